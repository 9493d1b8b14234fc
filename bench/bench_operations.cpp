// Times aggregation (every mode, 3 s steps), normalization (both modes) and BEA
// reorganization on 200 attributes x 50,000 times and 1,000 x 10,000, with
// irregular time stamps and about 10 % missing cells. Each figure is the best
// of three runs, the machine being shared; CPU is the process's processor
// time over the run (the main thread only waits meanwhile).
#include "operations/agregation.h"
#include "operations/normalization.h"
#include "operations/reorganization.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QTextStream>

#include <cmath>
#include <ctime>

namespace {

Data makeData(int attributes, int times)
{
    Data data(times, attributes);
    QRandomGenerator random(20240611);
    const QDateTime origin(QDate(2020, 1, 1), QTime(0, 0), Qt::UTC);
    for (int t = 0; t < times; ++t) {
        // One sample a second, up to 0.9 s late.
        data.times[t] = origin.addMSecs(qint64(t) * 1000 + random.bounded(900));
        for (int a = 0; a < attributes; ++a) {
            const double wave = 50.0 + 40.0 * std::sin(t / (20.0 + a % 13));
            data.values[t * attributes + a] =
                random.bounded(10) == 0 ? qQNaN() : wave + random.generateDouble();
        }
    }
    return data;
}

struct Timing
{
    double seconds = 0.0;
    double cpuSeconds = 0.0;
};

Timing timeTask(TypedTask<Data> *task)
{
    QElapsedTimer timer;
    bool done = false;
    QObject::connect(task, &Task::finished, [&done] {
        done = true;
        QCoreApplication::quit();
    });
    const std::clock_t cpu = std::clock();
    timer.start();
    task->start();
    if (!done)
        QCoreApplication::exec();
    const Timing timing{timer.nsecsElapsed() / 1e9, double(std::clock() - cpu) / CLOCKS_PER_SEC};
    if (task->status() != Task::Done)
        qFatal("task failed: %s", qPrintable(task->errorMessage()));
    delete task;
    return timing;
}

template <typename Make> Timing best(Make make)
{
    Timing fastest = timeTask(make());
    for (int run = 1; run < 3; ++run) {
        const Timing timing = timeTask(make());
        if (timing.seconds < fastest.seconds)
            fastest = timing;
    }
    return fastest;
}

void report(QTextStream &out, const char *what, qint64 cells, const Timing &timing)
{
    out << "  " << what << ": " << QString::number(timing.seconds, 'f', 3) << " s (CPU "
        << QString::number(timing.cpuSeconds, 'f', 3) << " s), "
        << QString::number(cells / timing.seconds, 'g', 4) << " cells/s\n";
    out.flush();
}

// Bonds the plain way: for each pair, one pass down the time-major table
// skipping missing values. Too slow to run in full on the large tables, so it
// runs for about a second and its pair rate gives the time of all pairs.
double straightforwardBea(const Data &data)
{
    const int attributes = data.attributeCount();
    const int times = data.timeCount();
    const double *values = data.values.constData();
    QElapsedTimer timer;
    timer.start();
    qint64 pairs = 0;
    volatile double sink = 0.0;
    for (int k = 2; k < attributes && timer.elapsed() < 1000; ++k) {
        for (int j = 0; j < k; ++j) {
            double bond = 0.0;
            for (int t = 0; t < times; ++t) {
                const double x = values[qsizetype(t) * attributes + k];
                const double y = values[qsizetype(t) * attributes + j];
                if (!std::isnan(x) && !std::isnan(y))
                    bond += x * y;
            }
            sink = sink + bond;
            ++pairs;
        }
    }
    const double allPairs = double(attributes) * (attributes - 1) / 2 - 1;
    return timer.nsecsElapsed() / 1e9 * allPairs / double(pairs);
}

void measure(QTextStream &out, int attributes, int times)
{
    const Data data = makeData(attributes, times);
    const qint64 cells = qint64(attributes) * times;
    out << attributes << " attributes x " << times << " times (" << cells << " cells)\n";
    const char *modes[] = {"sum", "average", "max", "min"};
    for (int mode = Agregation::Sum; mode <= Agregation::Min; ++mode)
        report(out, qPrintable(QString("aggregation (%1, 3 s)").arg(modes[mode]).leftJustified(26)),
               cells, best([&] { return new Agregation(data, mode, 3); }));
    report(out, "normalization (global)    ", cells,
           best([&] { return new Normalization(data, Normalization::Global); }));
    report(out, "normalization (local)     ", cells,
           best([&] { return new Normalization(data, Normalization::Local); }));
    const Timing bea = best([&] { return new Reorganization(data, Reorganization::Bea); });
    report(out, "reorganization (BEA)      ", cells, bea);
    const double plain = straightforwardBea(data);
    out << "  straightforward BEA loop  : " << QString::number(plain, 'f', 3)
        << " s (extrapolated from about a second), " << QString::number(plain / bea.seconds, 'f', 1)
        << "x slower\n";
    out.flush();
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    measure(out, 200, 50000);
    measure(out, 1000, 10000);
    return 0;
}
