// Times an "All data" correlation search of a 10-attribute x 100-step model
// on 200 attributes x 50,000 time steps, then the replay of its scores with
// another threshold.
#include "operations/correlation.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QTextStream>

#include <cmath>
#include <ctime>

namespace {

// Noisy waves of various periods, so that some windows really correlate.
Data makeData(int attributes, int times)
{
    Data data(times, attributes);
    QRandomGenerator random(20240611);
    for (int a = 0; a < attributes; ++a) {
        const double period = 50.0 + 10.0 * (a % 17);
        for (int t = 0; t < times; ++t) {
            const double wave = 0.5 + 0.4 * std::sin(2.0 * M_PI * t / period);
            data.values[t * attributes + a] = wave + 0.1 * random.generateDouble();
        }
    }
    return data;
}

struct Run
{
    double seconds = 0.0;
    double cpuSeconds = 0.0;
    int matches = 0;
    QVector<float> scores;
};

Run search(const Selection &model, double threshold, const QVector<float> &scores)
{
    auto *task = new Correlation(Correlation::AllData, model, threshold, scores);
    Run run;
    QElapsedTimer timer;
    std::clock_t cpuStart = 0;
    QObject::connect(task, &Task::finished, [&](Task *) {
        run.seconds = timer.nsecsElapsed() / 1e9;
        run.cpuSeconds = double(std::clock() - cpuStart) / CLOCKS_PER_SEC;
        run.matches = task->result().size();
        run.scores = task->scores();
        QCoreApplication::quit();
    });
    timer.start();
    cpuStart = std::clock();
    task->start();
    QCoreApplication::exec();
    delete task;
    return run;
}

void report(QTextStream &out, const char *what, qint64 windows, const Run &run)
{
    out << what << ": " << windows << " windows in " << QString::number(run.seconds, 'f', 3)
        << " s (CPU " << QString::number(run.cpuSeconds, 'f', 3) << " s), "
        << QString::number(windows / run.seconds, 'g', 4) << " windows/s, " << run.matches
        << " matches\n";
    out.flush();
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    const int attributes = 200;
    const int times = 50000;
    const Data data = makeData(attributes, times);
    const Selection model(data, 20, 29, 1000, 1099);
    const qint64 windows = qint64(attributes) * (times - model.timeCount() + 1);
    out << "data " << attributes << " x " << times << ", model " << model.attributeCount() << " x "
        << model.timeCount() << ", \"All data\"\n";

    const Run computed = search(model, 0.10, {});
    report(out, "compute (threshold 0.10)", windows, computed);
    const Run replayed = search(model, 0.20, computed.scores);
    report(out, "replay  (threshold 0.20)", windows, replayed);
    return 0;
}
