// Times the tube geometry build (CPU side, no GL) for 200 x 50,000 and
// 1,000 x 10,000 cells in the colour mode and in the colour & width mode (the
// latter needs trigonometry per cell), and prints the vertex bytes per cell
// and the memory the vertex list holds.
// A fresh buffer costs the first touch of its pages too, which on some
// virtual machines is most of the time; the refill shows the work alone.
#include "view/tubegeometry.h"

#include <QElapsedTimer>
#include <QLinearGradient>
#include <QRandomGenerator>
#include <QTextStream>

#include <algorithm>

namespace {

// Normalized values with 1% missing.
Data makeData(int attributes, int times)
{
    Data data(times, attributes);
    QRandomGenerator random(20240611);
    for (double &v : data.values)
        v = random.bounded(100) == 0 ? qQNaN() : random.generateDouble();
    return data;
}

struct Timing
{
    double cold = 0.0; // into a fresh buffer, as the view builds
    double warm = 0.0; // into the same buffer again: the fill alone
};

Timing time(const TubeGeometry &geometry, QVector<float> &vertices)
{
    Timing timing;
    QVector<double> warm;
    for (int i = 0; i < 4; ++i) {
        if (i == 0)
            vertices = QVector<float>();
        QElapsedTimer clock;
        clock.start();
        geometry.build(TubeLayout(geometry.data.attributeCount(), geometry.data.timeCount()),
                       vertices);
        const double seconds = clock.nsecsElapsed() / 1e9;
        if (i == 0)
            timing.cold = seconds;
        else
            warm.append(seconds);
    }
    std::sort(warm.begin(), warm.end());
    timing.warm = warm.at(1);
    return timing;
}

} // namespace

int main()
{
    QTextStream out(stdout);
    QLinearGradient gradient;
    gradient.setColorAt(0.0, QColor(0, 0, 255));
    gradient.setColorAt(0.5, QColor(255, 255, 0));
    gradient.setColorAt(1.0, QColor(170, 255, 255));

    const QVector<QPair<int, int>> sizes = {{200, 50000}, {1000, 10000}};
    for (const auto &size : sizes) {
        TubeGeometry geometry;
        geometry.data = makeData(size.first, size.second);
        geometry.colorStops = ColorStop::fromGradient(gradient);
        const qint64 cells = qint64(size.first) * size.second;
        for (int mode : {int(TubeGeometry::Color), int(TubeGeometry::ColorAndWidth)}) {
            geometry.displayMode = mode;
            QVector<float> vertices;
            const Timing timing = time(geometry, vertices);
            const qint64 bytes = qint64(vertices.size()) * qint64(sizeof(float));
            const qint64 allocated = qint64(vertices.capacity()) * qint64(sizeof(float));
            out << size.first << " attributes x " << size.second << " times (" << cells
                << " cells), " << (mode == TubeGeometry::Color ? "color" : "color & width") << ": "
                << QString::number(timing.cold, 'f', 3) << " s into a fresh buffer, "
                << QString::number(timing.warm, 'f', 3) << " s refilling it (median of 3), "
                << bytes / cells << " bytes per cell, "
                << QString::number(bytes / 1048576.0, 'f', 0) << " MiB in "
                << QString::number(allocated / 1048576.0, 'f', 0) << " MiB allocated\n";
            out.flush();
        }
    }
    return 0;
}
