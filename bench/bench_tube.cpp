// The tube view at the sizes people open: from a synchronous CSV file to the
// first frame (FileReader, then normalization as the processing chain runs
// it, then a 1280 x 800 VireoGLWidget), the frame times after a camera move
// and after a gradient change, the GPU bytes per cell of the values and the
// process's peak RSS. Run under X (xvfb-run); one process per path, so that
// each peak is its own:
//   bench_tube FILE intl|fr [--vertices]
// --vertices draws with the per-vertex path (the fallback) for comparison.
#include "io/filereader.h"
#include "operations/normalization.h"
#include "view/vireoglwidget.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QKeyEvent>
#include <QTextStream>

#include <algorithm>
#include <sys/resource.h>

namespace {

double peakRssMiB()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024.0;
}

// Runs a task to its end on the pool; its result, or a fatal error.
Data runTask(TypedTask<Data> *task)
{
    QEventLoop loop;
    QObject::connect(task, &Task::finished, &loop, &QEventLoop::quit);
    task->start();
    if (task->status() != Task::Done)
        loop.exec();
    if (task->status() != Task::Done)
        qFatal("task failed: %s", qPrintable(task->errorMessage()));
    const Data result = task->result();
    delete task;
    return result;
}

// Seconds from the request of a frame to its swap.
double frame(VireoGLWidget &view)
{
    QEventLoop loop;
    QObject::connect(&view, &QOpenGLWidget::frameSwapped, &loop, &QEventLoop::quit);
    QElapsedTimer clock;
    clock.start();
    view.update();
    loop.exec();
    return clock.nsecsElapsed() / 1e9;
}

struct Frames
{
    double median = 0.0;
    double worst = 0.0;
};

template <typename Change> Frames frames(VireoGLWidget &view, int count, Change change)
{
    QVector<double> times;
    for (int i = 0; i < count; ++i) {
        change(i);
        times.append(frame(view));
    }
    std::sort(times.begin(), times.end());
    return {times.at(times.size() / 2), times.last()};
}

QString ms(const Frames &f)
{
    return QStringLiteral("median %1 ms, worst %2 ms")
        .arg(f.median * 1000, 0, 'f', 1)
        .arg(f.worst * 1000, 0, 'f', 1);
}

void key(VireoGLWidget &view, QEvent::Type type, int code)
{
    QKeyEvent event(type, code, Qt::NoModifier);
    QApplication::sendEvent(&view, &event);
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 3) {
        QTextStream(stderr) << "usage: bench_tube FILE intl|fr [--vertices]\n";
        return 2;
    }
    QTextStream out(stdout);
    const bool vertices = args.contains(QStringLiteral("--vertices"));
    VireoGLWidget view;
    view.tubeRenderer().setTexturesAllowed(!vertices);
    view.resize(1280, 800);
    view.show();
    frame(view); // the window is open before the file is chosen
    // What any frame costs here (clear and composition), for scale.
    const Frames empty = frames(view, 10, [](int) {});

    QElapsedTimer clock;
    clock.start();
    const Data loaded = runTask(new FileReader(args.at(1), 0, args.at(2) == "fr" ? 0 : 1));
    const double read = clock.nsecsElapsed() / 1e9;
    const Data normalized = runTask(new Normalization(loaded, Normalization::Global));
    const double normalize = clock.nsecsElapsed() / 1e9 - read;
    view.setData(normalized);
    frame(view);
    const double first = clock.nsecsElapsed() / 1e9;
    const qint64 cells = qint64(normalized.attributeCount()) * normalized.timeCount();

    out << args.at(1).section('/', -1) << ": " << normalized.attributeCount() << " attributes x "
        << normalized.timeCount() << " times (" << cells << " cells), "
        << (vertices ? "per-vertex path" : "texture path") << ", 1280 x 800\n";
    out << "  file to first frame " << QString::number(first, 'f', 2) << " s (read "
        << QString::number(read, 'f', 2) << " s, normalize " << QString::number(normalize, 'f', 2)
        << " s, data to frame " << QString::number(first - read - normalize, 'f', 2) << " s)\n";
    out.flush();
    if (view.tubeRenderer().hasFailed()) {
        out << "  not displayed\n";
        return 1;
    }
    out << "  frame of the empty view: " << ms(empty) << "\n";
    if (!vertices)
        out << "  values on the GPU: "
            << QString::number(double(view.tubeRenderer().textureRenderer().valueBytes()) / cells,
                               'f', 3)
            << " bytes per cell in " << view.tubeRenderer().textureRenderer().tileCount()
            << " tiles\n";

    // Forward held: every frame sees the camera moved since the last one.
    key(view, QEvent::KeyPress, Qt::Key_Z);
    out << "  frame after a camera move: " << ms(frames(view, 20, [](int) {})) << "\n";
    key(view, QEvent::KeyRelease, Qt::Key_Z);
    QLinearGradient a;
    a.setColorAt(0.0, QColor(0, 0, 255));
    a.setColorAt(1.0, QColor(170, 255, 255));
    QLinearGradient b;
    b.setColorAt(0.0, QColor(0, 0, 0));
    b.setColorAt(0.5, QColor(255, 0, 0));
    b.setColorAt(1.0, QColor(255, 255, 0));
    out << "  frame after a gradient change: "
        << ms(frames(view, 10, [&](int i) { view.setGradient(i % 2 ? a : b); })) << "\n";
    view.setDisplayMode(2);
    frame(view);
    key(view, QEvent::KeyPress, Qt::Key_Z);
    out << "  frame after a camera move, \"Color & Width\": " << ms(frames(view, 10, [](int) {}))
        << "\n";
    key(view, QEvent::KeyRelease, Qt::Key_Z);
    out << "  peak RSS " << QString::number(peakRssMiB(), 'f', 0) << " MiB\n";
    return 0;
}
