// Times an "All data" correlation search of a 10-attribute x 100-step model
// on 200 attributes x 50,000 time steps, then the replay of its scores with
// another threshold; how soon a stop is honoured and how progress moves; and
// the peak memory added by a search for one whole attribute.
#include "operations/correlation.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QTextStream>
#include <QThread>
#include <QThreadPool>

#include <QFile>

#include <cmath>
#include <ctime>
#include <vector>

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

// Kilobytes of a field of /proc/self/status, such as "VmHWM:".
qint64 statusKb(const char *field)
{
    QFile status("/proc/self/status");
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray text = status.readAll();
    const int at = text.indexOf(field) + int(qstrlen(field));
    return text.mid(at, text.indexOf('\n', at) - at).trimmed().split(' ').first().toLongLong();
}

// Polls the progress of a search, asks it to stop after a while and times
// how long the pool thread takes to give up.
void stopLatency(QTextStream &out, const Selection &model)
{
    auto *task = new Correlation(Correlation::AllData, model, 0.1, {});
    QElapsedTimer timer;
    timer.start();
    task->start();
    int last = 0;
    int largestStep = 0;
    while (timer.elapsed() < 400) {
        const int p = task->progress();
        largestStep = std::max(largestStep, p - last);
        last = p;
    }
    QElapsedTimer stop;
    stop.start();
    task->requestStop();
    QThreadPool::globalInstance()->waitForDone();
    out << "stop: honoured after " << QString::number(stop.nsecsElapsed() / 1e6, 'f', 1)
        << " ms at " << last << " %, largest progress step polled " << largestStep << " %\n";
    out.flush();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// The three passes of the plain description (mean, deviation, mean of
// products) for the windows of the first rotation: their rate, and how far the
// search's scores are from these coefficients.
void straightforward(QTextStream &out, const Selection &model, const Run &computed)
{
    const Data &data = model.data;
    const int attributes = data.attributeCount();
    const int ac = model.attributeCount();
    const int tc = model.timeCount();
    const double n = double(ac) * tc;
    const auto cell = [&](int first, int shift, int i, int j) {
        return data.values[qsizetype(shift + j) * attributes + (first + i) % attributes];
    };
    double modelSum = 0.0, modelSquares = 0.0;
    for (int i = 0; i < ac; ++i)
        for (int j = 0; j < tc; ++j) {
            const double x = cell(model.firstAttribute, model.firstTime, i, j);
            modelSum += x;
            modelSquares += x * x;
        }
    const double modelMean = modelSum / n;
    const double modelDeviation = std::sqrt(modelSquares / n - modelMean * modelMean);
    const int shifts = data.timeCount() - tc + 1;
    const QVector<double> coefficients = Correlation::coefficients(model, 0);
    QElapsedTimer timer;
    timer.start();
    std::vector<double> plain(size_t(shifts), 0.0);
    for (int m = 0; m < shifts; ++m) {
        double sum = 0.0;
        for (int i = 0; i < ac; ++i)
            for (int j = 0; j < tc; ++j)
                sum += cell(0, m, i, j);
        const double mean = sum / n;
        double squares = 0.0;
        for (int i = 0; i < ac; ++i)
            for (int j = 0; j < tc; ++j)
                squares += cell(0, m, i, j) * cell(0, m, i, j);
        const double deviation = std::sqrt(squares / n - mean * mean);
        double products = 0.0;
        for (int i = 0; i < ac; ++i)
            for (int j = 0; j < tc; ++j)
                products += cell(model.firstAttribute, model.firstTime, i, j) * cell(0, m, i, j);
        plain[size_t(m)] = (products / n - modelMean * mean) / (modelDeviation * deviation);
    }
    const double rate = shifts / (timer.nsecsElapsed() / 1e9);
    // Near zero a coefficient's relative gaps grow whichever is right: a
    // two-pass sum in long double tells which of the two is nearer.
    const auto reference = [&](int m) {
        long double x = 0, y = 0;
        for (int i = 0; i < ac; ++i)
            for (int j = 0; j < tc; ++j) {
                x += cell(model.firstAttribute, model.firstTime, i, j);
                y += cell(0, m, i, j);
            }
        x /= n;
        y /= n;
        long double xy = 0, xx = 0, yy = 0;
        for (int i = 0; i < ac; ++i)
            for (int j = 0; j < tc; ++j) {
                const long double dx = cell(model.firstAttribute, model.firstTime, i, j) - x;
                const long double dy = cell(0, m, i, j) - y;
                xy += dx * dy;
                xx += dx * dx;
                yy += dy * dy;
            }
        return double(xy / std::sqrt(xx * yy));
    };
    const auto gap = [](double value, double coefficient) {
        return std::abs(value - coefficient) / std::max(std::abs(coefficient), 1e-300);
    };
    double worst = 0.0, worstCoefficient = 0.0, searchToReference = 0.0, plainToReference = 0.0;
    for (int m = 0; m < shifts; ++m) {
        const double coefficient = plain[size_t(m)];
        const double exact = reference(m);
        worst = std::max(worst, gap(computed.scores.at(m), coefficient));
        worstCoefficient =
            std::max(worstCoefficient, gap(coefficients.value(m, qQNaN()), coefficient));
        searchToReference = std::max(searchToReference, gap(coefficients.value(m, qQNaN()), exact));
        plainToReference = std::max(plainToReference, gap(coefficient, exact));
    }
    const double searchRate = computed.scores.size() / computed.seconds;
    out << "straightforward three passes: " << QString::number(rate, 'g', 4)
        << " windows/s over the " << shifts << " windows of rotation 0; the search is "
        << QString::number(searchRate / rate, 'f', 1)
        << "x faster; largest relative gap to its coefficients "
        << QString::number(worstCoefficient, 'g', 3)
        << " (stored as float scores: " << QString::number(worst, 'g', 3)
        << "); to a two-pass long double reference: the search's "
        << QString::number(searchToReference, 'g', 3) << ", the three passes' "
        << QString::number(plainToReference, 'g', 3) << "\n";
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
    straightforward(out, model, computed);
    const Run replayed = search(model, 0.20, computed.scores);
    report(out, "replay  (threshold 0.20)", windows, replayed);
    stopLatency(out, model);

    // The peak resident size is reset where the kernel allows it.
    QFile clear("/proc/self/clear_refs");
    const bool reset = clear.open(QIODevice::WriteOnly) && clear.write("5") == 1;
    clear.close();
    const qint64 before = statusKb("VmRSS:");
    const Selection attribute(data, 20, 20, 0, times - 1);
    const Run one = search(attribute, 0.10, {});
    report(out, "one attribute", attribute.data.attributeCount(), one);
    out << "one attribute: peak memory " << (reset ? "" : "(not reset) ")
        << (statusKb("VmHWM:") - before) / 1024 << " MB above the "
        << qint64(attributes) * times * 8 / (1 << 20) << " MB table\n";
    return 0;
}
