#include "operations/correlation.h"

#include <QtTest>

#include <cmath>

namespace {

struct Outcome
{
    bool finished = false; // Done, at 100 %
    Selections found;
    QVector<float> scores;
    QString error;
    QVector<int> progress; // each value set
};

Outcome search(int mode, const Selection &model, double threshold,
               const QVector<float> &scores = {}, qint64 memoryLimit = 1LL << 62)
{
    Correlation task(mode, model, threshold, scores);
    Outcome outcome;
    task.setMemoryLimit(memoryLimit);
    task.setProgressObserver([&outcome](int p) { outcome.progress << p; });
    QSignalSpy spy(&task, &Task::finished);
    task.start();
    outcome.finished = spy.wait(20000) && task.status() == Task::Done && task.progress() == 100;
    outcome.found = task.result();
    outcome.scores = task.scores();
    outcome.error = task.errorMessage();
    return outcome;
}

Data randomData(int attributes, int times, quint32 seed)
{
    Data data(times, attributes);
    QRandomGenerator random(seed);
    for (double &value : data.values)
        value = random.generateDouble();
    return data;
}

// Attribute run and time run of each selection, e.g. "3-0:7-9".
QStringList places(const Selections &selections)
{
    QStringList list;
    for (const Selection &s : selections)
        list << QString::asprintf("%d-%d:%d-%d", s.firstAttribute, s.lastAttribute, s.firstTime,
                                  s.lastTime);
    return list;
}

// Textbook two-pass Pearson coefficient of the model and a window.
double reference(const Selection &x, const Selection &y)
{
    const int tc = x.timeCount(), n = x.attributeCount() * tc;
    double mx = 0, my = 0, sxy = 0, sxx = 0, syy = 0;
    for (int k = 0; k < n; ++k)
        mx += x.value(k / tc, k % tc) / n, my += y.value(k / tc, k % tc) / n;
    for (int k = 0; k < n; ++k) {
        const double dx = x.value(k / tc, k % tc) - mx, dy = y.value(k / tc, k % tc) - my;
        sxy += dx * dy, sxx += dx * dx, syy += dy * dy;
    }
    return sxy / std::sqrt(sxx * syy);
}

} // namespace

class TestCorrelation : public QObject
{
    Q_OBJECT

private slots:
    void windowsOfTheThreeZones()
    {
        // 4 attributes x 10 times, model attributes 1-2 x times 3-5. A threshold
        // of 3 accepts any finite coefficient, so every window is listed.
        const Data data = randomData(4, 10, 1);
        const Selection model(data, 1, 2, 3, 5);
        const QStringList all = places(search(Correlation::AllData, model, 3.0).found);
        QCOMPARE(all.size(), 32); // 4 rotations x (10 - 3 + 1) shifts
        // Rotations outside, shifts inside; the model's own place is 1 x 8 + 3.
        QCOMPARE(QStringList({all[0], all[1], all[7], all[8], all[11], all[31]}),
                 QStringList({"0-1:0-2", "0-1:1-3", "0-1:7-9", "1-2:0-2", "1-2:3-5", "3-0:7-9"}));
        QCOMPARE(places(search(Correlation::SameAttributes, model, 3.0).found),
                 QStringList({"1-2:0-2", "1-2:1-3", "1-2:2-4", "1-2:3-5", "1-2:4-6", "1-2:5-7",
                              "1-2:6-8", "1-2:7-9"}));
        const Selections steps = search(Correlation::SameTimeSteps, model, 3.0).found;
        QCOMPARE(places(steps), QStringList({"0-1:3-5", "1-2:3-5", "2-3:3-5", "3-0:3-5"}));
        QCOMPARE(steps.at(3).type, int(Selection::Zone));
        QCOMPARE(steps.at(3).value(1, 2), data.value(5, 0)); // wrapped round to attribute 0

        // A single value is its own and only match, whatever the threshold.
        for (const double threshold : {0.0, 3.0}) {
            const Outcome value =
                search(Correlation::AllData, Selection(data, 2, 2, 5, 5), threshold);
            QVERIFY(value.finished && value.scores.isEmpty());
            QCOMPARE(places(value.found), QStringList({"2-2:5-5"}));
        }
    }
    void modelFoundInPeriodicData()
    {
        // Random rows repeated every 12 steps; the model (attributes 3, 4, 0 x
        // times 14-20) recurs exactly at times 2, 14, 26, 38 and 50 (50 + 6 < 60).
        // Several draws, since rounding may push an exact match either side of 1.
        for (quint32 seed = 10; seed < 20; ++seed) {
            const Data base = randomData(5, 12, seed);
            Data data(60, 5);
            for (int i = 0; i < 60 * 5; ++i)
                data.values[i] = base.values.at(i % (12 * 5));
            const Selection model(data, 3, 0, 14, 20);
            const Outcome all = search(Correlation::AllData, model, 0.0);
            QVERIFY(all.finished);
            QCOMPARE(places(all.found),
                     QStringList({"3-0:2-8", "3-0:14-20", "3-0:26-32", "3-0:38-44", "3-0:50-56"}));
            QCOMPARE(all.scores.at(3 * 54 + 14), 1.0f); // rotation 3, shift 14 of 60 - 7 + 1
            QCOMPARE(places(search(Correlation::AllData, model, 0.0, all.scores).found),
                     places(all.found));
            QCOMPARE(places(search(Correlation::SameTimeSteps, model, 0.0).found),
                     QStringList({"3-0:14-20"}));
        }
    }
    void missingAndFlatCellsNeverMatch()
    {
        Data data = randomData(4, 30, 3);
        data.values[10 * 4 + 1] = qQNaN(); // attribute 1, time 10
        // Attributes 2-3 x times 20-24 flat at 0.7: summed in doubles, a 2 x 3
        // window of them leaves a variance of about 1.7e-16 instead of 0.
        for (int t = 20; t < 25; ++t)
            data.values[t * 4 + 2] = data.values[t * 4 + 3] = 0.7;
        // Threshold 3 accepts any finite coefficient. 4 x 28 = 112 windows; the
        // missing cell lies in rotations 0 and 1 at shifts 8-10 (6 windows), the
        // flat block fills rotation 2 at shifts 20-22 (3 windows).
        const Outcome all = search(Correlation::AllData, Selection(data, 0, 1, 0, 2), 3.0);
        QVERIFY(all.finished);
        QCOMPARE(all.scores.size(), 112);
        QCOMPARE(all.found.size(), 112 - 6 - 3);
        for (const int k : {8, 10, 28 + 8, 28 + 10, 56 + 20, 56 + 22})
            QVERIFY2(std::isnan(all.scores.at(k)), qPrintable(QString::number(k)));
        QVERIFY(!std::isnan(all.scores.at(56 + 23))); // one step off the flat block

        // A model holding the missing cell, or a flat one, matches nothing.
        for (const Selection &model :
             {Selection(data, 0, 1, 9, 11), Selection(data, 2, 3, 20, 22)}) {
            const Outcome none = search(Correlation::AllData, model, 3.0);
            QVERIFY(none.finished && none.found.isEmpty());
        }
    }
    void storedScores()
    {
        const Selection model(randomData(6, 80, 4), 4, 5, 30, 33);
        const Outcome first = search(Correlation::AllData, model, 0.6);
        QCOMPARE(first.scores.size(), 6 * 77);

        // Same places on other data: only the stored scores can give the answer
        // that a fresh search of the first data gives.
        const Selection moved(randomData(6, 80, 5), 4, 5, 30, 33);
        const Outcome replayed = search(Correlation::AllData, moved, 0.9, first.scores);
        QVERIFY(replayed.finished);
        QCOMPARE(replayed.scores, first.scores);
        const QStringList got = places(replayed.found);
        QCOMPARE(got, places(search(Correlation::AllData, model, 0.9).found));
        QVERIFY(got != places(search(Correlation::AllData, moved, 0.9).found));
        for (const QString &p : places(first.found)) // a wider threshold only adds
            QVERIFY2(got.contains(p), qPrintable(p));
        QVERIFY(got.size() > first.found.size());

        // Scores of another length belong to another search: recomputed.
        for (const int size : {6 * 77 - 1, 6 * 77 + 7}) {
            const Outcome outcome =
                search(Correlation::AllData, model, 0.6, QVector<float>(size, 1));
            QCOMPARE(outcome.scores, first.scores);
            QCOMPARE(places(outcome.found), places(first.found));
        }
    }
    void coefficientsMatchReference()
    {
        // More than 1024 shifts, so the search runs in several blocks; the model
        // wraps (attributes 4, 0, 1) and its 6 steps leave a remainder of 2 after
        // groups of 4.
        const Selection model(randomData(5, 2600, 8), 4, 1, 1200, 1205);
        for (const int mode : {0, 1, 2}) {
            const Outcome outcome = search(mode, model, 3.0);
            QVERIFY(outcome.finished);
            QCOMPARE(outcome.found.size(), outcome.scores.size());
            QCOMPARE(outcome.scores.size(), mode == 0 ? 5 * 2595 : mode == 1 ? 2595 : 5);
            // A window the search mislabelled would not match its reference either.
            for (int k = 0; k < outcome.found.size(); ++k) {
                QVERIFY2(std::abs(outcome.scores.at(k) - reference(model, outcome.found.at(k))) <=
                             1e-6,
                         qPrintable(QString("mode %1, window %2").arg(mode).arg(k)));
            }
        }
    }
    void attributeModelReadInPlace()
    {
        // An attribute over every time: too long to copy each column, so the
        // windows are read in the table. Attribute 7 is flat.
        Data data = randomData(40, 2000, 12);
        for (int t = 0; t < 2000; ++t)
            data.values[t * 40 + 7] = 0.3;
        const Selection model(data, 3, 3, 0, 1999);
        const Outcome outcome = search(Correlation::AllData, model, 3.0);
        QVERIFY(outcome.finished);
        QCOMPARE(outcome.scores.size(), 40);
        QCOMPARE(outcome.scores.at(3), 1.0f);
        QVERIFY(std::isnan(outcome.scores.at(7)));
        QCOMPARE(outcome.found.size(), 39);
        for (const Selection &window : outcome.found)
            QVERIFY(std::abs(outcome.scores.at(window.firstAttribute) - reference(model, window)) <=
                    1e-6);
    }
    void memory()
    {
        // Running out of memory ends the search as a failure.
        const Outcome starved = search(Correlation::AllData,
                                       Selection(randomData(5, 50, 13), 0, 1, 0, 9), 0.1, {}, 100);
        QVERIFY(!starved.finished);
        QCOMPARE(starved.error, QStringLiteral("Not enough memory to search for correlations."));

        // A search for one attribute adds at most half the table to the memory
        // in use, once the kernel has reset the peak resident size.
        QFile clear("/proc/self/clear_refs");
        const Data data = randomData(100, 40000, 14); // 32 MB
        if (!clear.open(QIODevice::WriteOnly) || clear.write("5") != 1)
            QSKIP("the peak resident size cannot be reset here");
        clear.close();
        const auto kilobytes = [](const char *field) {
            QFile status("/proc/self/status");
            status.open(QIODevice::ReadOnly);
            const QRegularExpression line(QString("^%1\\s*(\\d+)").arg(field),
                                          QRegularExpression::MultilineOption);
            return line.match(QString::fromLatin1(status.readAll())).captured(1).toLongLong();
        };
        const qint64 before = kilobytes("VmRSS:");
        QVERIFY(before > 0);
        QVERIFY(search(Correlation::AllData, Selection(data, 5, 5, 0, 39999), 0.1).finished);
        const qint64 extra = kilobytes("VmHWM:") - before;
        QVERIFY2(extra < 16000, qPrintable(QString("%1 kB").arg(extra)));
    }
    void progressInSmallSteps()
    {
        // 4,001 windows of 8,000 cells: every percent is reported, so a stop
        // is seen after at most 1 % of the work.
        const Selection model(randomData(4, 6000, 15), 0, 3, 0, 1999);
        const Outcome outcome = search(Correlation::SameAttributes, model, 0.1);
        QCOMPARE(outcome.progress.size(), 100);
        QCOMPARE(outcome.progress.first(), 1);
    }
    void stopIsHonoured()
    {
        const Selection model(randomData(100, 20000, 9), 0, 9, 0, 99); // about 2 million windows
        for (const bool replay : {false, true}) {
            const QVector<float> scores(replay ? 100 * 19901 : 0, 1.0f);
            QPointer<Task> task(new Correlation(Correlation::AllData, model, 0.1, scores));
            QSignalSpy spy(task.data(), &Task::finished);
            task->start();
            task->requestStop();
            QTRY_VERIFY_WITH_TIMEOUT(task.isNull(), 20000); // a stopped task deletes itself
            QCOMPARE(spy.count(), 0);
        }
    }
};

QTEST_GUILESS_MAIN(TestCorrelation)
#include "tst_correlation.moc"
