#include "operations/correlation.h"

#include <QPointer>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QtTest>

#include <cmath>

namespace {

struct Outcome
{
    bool finished = false;
    Selections found;
    QVector<float> scores;
};

Outcome search(int mode, const Selection &model, double threshold,
               const QVector<float> &scores = {})
{
    auto *task = new Correlation(mode, model, threshold, scores);
    QSignalSpy spy(task, &Task::finished);
    task->start();
    Outcome outcome;
    outcome.finished = spy.wait(20000) && task->status() == Task::Done && task->progress() == 100;
    outcome.found = task->result();
    outcome.scores = task->scores();
    delete task;
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

// Attribute run and time run of a selection, e.g. "3-0:7-9".
QString place(const Selection &s)
{
    return QString("%1-%2:%3-%4")
        .arg(s.firstAttribute)
        .arg(s.lastAttribute)
        .arg(s.firstTime)
        .arg(s.lastTime);
}

QStringList places(const Selections &selections)
{
    QStringList list;
    for (const Selection &s : selections)
        list << place(s);
    return list;
}

// Textbook two-pass Pearson coefficient of the model and a window.
double reference(const Selection &x, const Selection &y)
{
    const int ac = x.attributeCount(), tc = x.timeCount();
    double mx = 0, my = 0;
    for (int i = 0; i < ac; ++i)
        for (int j = 0; j < tc; ++j)
            mx += x.value(i, j), my += y.value(i, j);
    mx /= ac * tc;
    my /= ac * tc;
    double sxy = 0, sxx = 0, syy = 0;
    for (int i = 0; i < ac; ++i) {
        for (int j = 0; j < tc; ++j) {
            const double dx = x.value(i, j) - mx, dy = y.value(i, j) - my;
            sxy += dx * dy, sxx += dx * dx, syy += dy * dy;
        }
    }
    return sxy / std::sqrt(sxx * syy);
}

} // namespace

class TestCorrelation : public QObject
{
    Q_OBJECT

private slots:
    void windowsOfTheThreeZones();
    void modelFoundInPeriodicData();
    void missingAndFlatCellsNeverMatch();
    void replayUsesStoredScores();
    void mismatchedScoresAreRecomputed();
    void valueModelIsItsOwnResult();
    void coefficientsMatchReference();
    void stopIsHonoured();
};

void TestCorrelation::windowsOfTheThreeZones()
{
    // 4 attributes x 10 times, model attributes 1-2 x times 3-5. A threshold
    // of 3 accepts any finite coefficient, so every window is listed.
    const Data data = randomData(4, 10, 1);
    const Selection model(data, 1, 2, 3, 5);

    const Outcome all = search(Correlation::AllData, model, 3.0);
    QVERIFY(all.finished);
    QCOMPARE(all.scores.size(), 32); // 4 rotations x (10 - 3 + 1) shifts
    const QStringList allPlaces = places(all.found);
    QCOMPARE(allPlaces.size(), 32);
    QCOMPARE(allPlaces.mid(0, 2), QStringList({"0-1:0-2", "0-1:1-3"}));
    QCOMPARE(allPlaces.mid(7, 2), QStringList({"0-1:7-9", "1-2:0-2"}));
    QCOMPARE(allPlaces.at(11), QString("1-2:3-5")); // the model's own place: 1 x 8 + 3
    QCOMPARE(allPlaces.at(31), QString("3-0:7-9"));
    QCOMPARE(all.found.at(31).type, int(Selection::Zone));

    const Outcome same = search(Correlation::SameAttributes, model, 3.0);
    QCOMPARE(same.scores.size(), 8);
    QCOMPARE(places(same.found), QStringList({"1-2:0-2", "1-2:1-3", "1-2:2-4", "1-2:3-5", "1-2:4-6",
                                              "1-2:5-7", "1-2:6-8", "1-2:7-9"}));

    const Outcome steps = search(Correlation::SameTimeSteps, model, 3.0);
    QCOMPARE(steps.scores.size(), 4);
    QCOMPARE(places(steps.found), QStringList({"0-1:3-5", "1-2:3-5", "2-3:3-5", "3-0:3-5"}));
    const Selection wrapping = steps.found.at(3);
    QCOMPARE(wrapping.attributeCount(), 2);
    QCOMPARE(wrapping.attributeIndex(0), 3);
    QCOMPARE(wrapping.attributeIndex(1), 0);
    QCOMPARE(wrapping.value(1, 2), data.value(5, 0));
}

void TestCorrelation::modelFoundInPeriodicData()
{
    // Random rows repeated every 12 steps; the model (attributes 3, 4, 0 x
    // times 14-20) recurs exactly at times 2, 14, 26, 38 and 50 (50 + 6 < 60).
    // Several draws, since rounding may push an exact match either side of 1.
    const int period = 12;
    for (quint32 seed = 10; seed < 20; ++seed) {
        const Data base = randomData(5, period, seed);
        Data data(60, 5);
        for (int t = 0; t < 60; ++t)
            for (int a = 0; a < 5; ++a)
                data.values[t * 5 + a] = base.value(t % period, a);
        const Selection model(data, 3, 0, 14, 20);

        const Outcome all = search(Correlation::AllData, model, 0.0);
        QVERIFY(all.finished);
        QCOMPARE(places(all.found),
                 QStringList({"3-0:2-8", "3-0:14-20", "3-0:26-32", "3-0:38-44", "3-0:50-56"}));
        QCOMPARE(all.scores.at(3 * 54 + 14), 1.0f); // rotation 3, shift 14 of 60 - 7 + 1
        QCOMPARE(places(search(Correlation::AllData, model, 0.0, all.scores).found),
                 places(all.found));

        const Outcome steps = search(Correlation::SameTimeSteps, model, 0.0);
        QCOMPARE(places(steps.found), QStringList({"3-0:14-20"}));
    }
}

void TestCorrelation::missingAndFlatCellsNeverMatch()
{
    Data data = randomData(4, 30, 3);
    data.values[10 * 4 + 1] = qQNaN(); // attribute 1, time 10
    // Attributes 2-3 x times 20-24 flat at 0.7: summed in doubles, a 2 x 3
    // window of them leaves a variance of about 1.7e-16 instead of 0.
    for (int t = 20; t < 25; ++t)
        data.values[t * 4 + 2] = data.values[t * 4 + 3] = 0.7;
    const Selection model(data, 0, 1, 0, 2);

    // Threshold 3 accepts any finite coefficient. 4 x 28 = 112 windows; the
    // missing cell lies in rotations 0 and 1 at shifts 8-10 (6 windows), the
    // flat block fills rotation 2 at shifts 20-22 (3 windows).
    const Outcome all = search(Correlation::AllData, model, 3.0);
    QVERIFY(all.finished);
    QCOMPARE(all.scores.size(), 112);
    QCOMPARE(all.found.size(), 112 - 6 - 3);
    for (const int k : {8, 10, 28 + 8, 28 + 10, 56 + 20, 56 + 22})
        QVERIFY2(std::isnan(all.scores.at(k)), qPrintable(QString::number(k)));
    QVERIFY(!std::isnan(all.scores.at(56 + 23))); // one step off the flat block

    // A model holding the missing cell, or a flat one, matches nothing.
    QVERIFY(search(Correlation::AllData, Selection(data, 0, 1, 9, 11), 3.0).found.isEmpty());
    QVERIFY(search(Correlation::AllData, Selection(data, 2, 3, 20, 22), 3.0).found.isEmpty());
}

void TestCorrelation::replayUsesStoredScores()
{
    const Data data = randomData(6, 80, 4);
    const Selection model(data, 4, 5, 30, 33);
    const Outcome first = search(Correlation::AllData, model, 0.6);
    QVERIFY(first.finished);
    QCOMPARE(first.scores.size(), 6 * 77);

    // Same places on other data: only the stored scores can give the answer.
    const Selection moved(randomData(6, 80, 5), 4, 5, 30, 33);
    const Outcome replayed = search(Correlation::AllData, moved, 0.9, first.scores);
    QVERIFY(replayed.finished);
    QCOMPARE(replayed.scores, first.scores);
    QStringList expected;
    for (int k = 0; k < first.scores.size(); ++k) {
        if (double(first.scores.at(k)) >= 1.0 - 0.9)
            expected << QString("%1-%2:%3-%4")
                            .arg(k / 77)
                            .arg((k / 77 + 1) % 6)
                            .arg(k % 77)
                            .arg(k % 77 + 3);
    }
    const QStringList got = places(replayed.found);
    QCOMPARE(got, expected);
    for (const QString &p : places(first.found))
        QVERIFY2(got.contains(p), qPrintable(p));
    QVERIFY(got.size() > first.found.size());
    QVERIFY(places(search(Correlation::AllData, moved, 0.9).found) != got);
}

void TestCorrelation::mismatchedScoresAreRecomputed()
{
    const Data data = randomData(5, 40, 6);
    const Selection model(data, 1, 3, 10, 14);
    const Outcome fresh = search(Correlation::AllData, model, 0.5);
    QCOMPARE(fresh.scores.size(), 5 * 36);
    for (const int size : {5 * 36 - 1, 5 * 36 + 7}) {
        const Outcome outcome =
            search(Correlation::AllData, model, 0.5, QVector<float>(size, 1.0f));
        QVERIFY(outcome.finished);
        QCOMPARE(outcome.scores, fresh.scores);
        QCOMPARE(places(outcome.found), places(fresh.found));
    }
}

void TestCorrelation::valueModelIsItsOwnResult()
{
    const Data data = randomData(4, 10, 7);
    const Selection model(data, 2, 2, 5, 5);
    QCOMPARE(model.type, int(Selection::Value));
    for (const double threshold : {0.0, 3.0}) {
        const Outcome outcome = search(Correlation::AllData, model, threshold);
        QVERIFY(outcome.finished);
        QCOMPARE(places(outcome.found), QStringList({"2-2:5-5"}));
        QVERIFY(outcome.scores.isEmpty());
    }
}

void TestCorrelation::coefficientsMatchReference()
{
    // More than 1024 shifts, so the search runs in several blocks; the model
    // wraps (attributes 4, 0, 1) and its 6 steps leave a remainder of 2 after
    // groups of 4.
    const Data data = randomData(5, 2600, 8);
    const Selection model(data, 4, 1, 1200, 1205);
    for (const int mode : {0, 1, 2}) {
        const Outcome outcome = search(mode, model, 3.0);
        QVERIFY(outcome.finished);
        QCOMPARE(outcome.found.size(), outcome.scores.size());
        QCOMPARE(outcome.scores.size(), mode == 0 ? 5 * 2595 : mode == 1 ? 2595 : 5);
        for (int k = 0; k < outcome.found.size(); ++k) {
            const Selection &window = outcome.found.at(k);
            QCOMPARE(window.firstTime, mode == 2 ? 1200 : k % 2595);
            QCOMPARE(window.firstAttribute, mode == 1 ? 4 : mode == 2 ? k : k / 2595);
            const double expected = reference(model, window);
            if (std::abs(outcome.scores.at(k) - expected) > 1e-6)
                QFAIL(qPrintable(QString("mode %1 window %2: %3 instead of %4")
                                     .arg(mode)
                                     .arg(k)
                                     .arg(outcome.scores.at(k))
                                     .arg(expected)));
        }
    }
}

void TestCorrelation::stopIsHonoured()
{
    const Data data = randomData(100, 20000, 9);
    const Selection model(data, 0, 9, 0, 99); // about 2 million windows
    for (const bool replay : {false, true}) {
        const QVector<float> scores(replay ? 100 * 19901 : 0, 1.0f);
        auto *task = new Correlation(Correlation::AllData, model, 0.1, scores);
        QPointer<Task> guard(task);
        QSignalSpy spy(task, &Task::finished);
        task->start();
        task->requestStop();
        QTRY_VERIFY_WITH_TIMEOUT(guard.isNull(), 20000);
        QCOMPARE(spy.count(), 0);
    }
}

QTEST_GUILESS_MAIN(TestCorrelation)
#include "tst_correlation.moc"
