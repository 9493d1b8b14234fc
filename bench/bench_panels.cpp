// The selection tree of a zone of 1,000 attributes x 100,000 time steps and
// the correlation tree of 50,000 areas, in real tree views: how long the
// model takes to build and to show, and the memory it adds before and as its
// largest nodes are expanded. Run it with QT_QPA_PLATFORM=offscreen.
#include "mainwindow/selectionsitemmodel.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QScrollBar>
#include <QTextStream>
#include <QTreeView>

#include <functional>

namespace {

// Kilobytes of a field of /proc/self/status, such as "VmRSS:".
qint64 statusKb(const char *field)
{
    QFile status("/proc/self/status");
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith(field))
            return line.mid(int(qstrlen(field))).trimmed().split(' ').first().toLongLong();
    return 0;
}

Data makeData(int attributes, int times)
{
    Data data(times, attributes);
    for (int a = 0; a < attributes; ++a)
        data.attributes[a] = QStringLiteral("attribute %1").arg(a);
    for (qsizetype i = 0; i < data.values.size(); ++i)
        data.values[i] = double(i % 1000) / 7.0;
    return data;
}

// Runs step, then lets the view lay out and paint; prints time and added memory.
void measure(QTextStream &out, const char *what, const std::function<void()> &step)
{
    const qint64 before = statusKb("VmRSS:");
    QElapsedTimer timer;
    timer.start();
    step();
    QCoreApplication::processEvents();
    const double ms = timer.nsecsElapsed() / 1e6;
    out << qSetFieldWidth(44) << Qt::left << what << qSetFieldWidth(0) << qSetRealNumberPrecision(4)
        << ms << " ms, +" << (statusKb("VmRSS:") - before) / 1024.0 << " MB\n";
    out.flush();
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QTextStream out(stdout);
    const int attributes = 1000;
    const int times = 100000;
    const Data data = makeData(attributes, times);
    out << "data " << attributes << " x " << times << " ("
        << qint64(attributes) * times * 8 / (1 << 20) << " MB of values)\n";

    QTreeView tree;
    tree.setUniformRowHeights(true);
    tree.resize(400, 600);
    tree.show();
    const Selection zone(data, 0, attributes - 1, 0, times - 1);
    // The first model and view also bring in the code they run.
    measure(out, "warm-up: a 2 x 2 zone built and shown", [&] {
        tree.setModel(
            new SelectionsItemModel("Selection", Selection(data, 0, 1, 0, 1), data, &tree));
    });
    QAbstractItemModel *warmUp = tree.model();
    SelectionsItemModel *model = nullptr;
    measure(out, "zone model built",
            [&] { model = new SelectionsItemModel("Selection", zone, data, &tree); });
    measure(out, "zone model shown (collapsed)", [&] {
        tree.setModel(model);
        delete warmUp;
    });
    const QModelIndex attributeRows = model->index(0, 0);
    const QModelIndex timeRows = model->index(1, 0);
    out << "rows: " << attributeRows.data().toString() << ", " << timeRows.data().toString()
        << "\n";
    measure(out, "1,000 attributes expanded", [&] { tree.expand(attributeRows); });
    measure(out, "100,000 time steps expanded", [&] { tree.expand(timeRows); });
    measure(out, "last time step's 1,000 values expanded",
            [&] { tree.expand(model->index(times - 1, 0, timeRows)); });
    measure(out, "scrolled to the end",
            [&] { tree.verticalScrollBar()->setValue(tree.verticalScrollBar()->maximum()); });
    Selections areas;
    for (int i = 0; i < 50000; ++i)
        areas << Selection(data, i % attributes, i % attributes, i, i + 9);
    // The zone's model stays alive: its freed nodes would otherwise be reused.
    measure(out, "50,000 areas: model built and shown",
            [&] { tree.setModel(new SelectionsItemModel("Correlation", areas, data, &tree)); });
    measure(out, "50,000 areas: scrolled to the end",
            [&] { tree.verticalScrollBar()->setValue(tree.verticalScrollBar()->maximum()); });
    measure(out, "zone model deleted", [&] { delete model; });
    return 0;
}
