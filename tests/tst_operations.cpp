#include "operations/agregation.h"
#include "operations/normalization.h"
#include "operations/reorganization.h"

#include <QtTest>

#include <cmath>

namespace {

const double NaN = qQNaN();
const QDateTime origin(QDate(2021, 3, 1), QTime(0, 0), Qt::UTC);

// columns[a][i] is attribute a at the i-th time, origin + msecs[i].
Data series(const QVector<qint64> &msecs, const QVector<QVector<double>> &columns)
{
    QVector<QString> names;
    for (int a = 0; a < columns.size(); ++a)
        names << QStringLiteral("a%1").arg(a);
    Data data(names, msecs.size());
    for (int i = 0; i < msecs.size(); ++i) {
        data.times[i] = origin.addMSecs(msecs.at(i));
        for (int a = 0; a < columns.size(); ++a)
            data.values[i * columns.size() + a] = columns.at(a).at(i);
    }
    return data;
}

Data seconds(const QVector<qint64> &secs, const QVector<QVector<double>> &columns)
{
    QVector<qint64> msecs;
    for (qint64 s : secs)
        msecs << s * 1000;
    return series(msecs, columns);
}

QVector<double> column(const Data &data, int a)
{
    QVector<double> values;
    for (int t = 0; t < data.timeCount(); ++t)
        values << data.value(t, a);
    return values;
}

// Empty when equal; NaN matches NaN only.
QString differences(const QVector<double> &actual, const QVector<double> &expected,
                    double tolerance = 1e-12)
{
    QString text;
    if (actual.size() != expected.size())
        return QStringLiteral("size %1, expected %2").arg(actual.size()).arg(expected.size());
    for (int i = 0; i < actual.size(); ++i) {
        const double x = actual.at(i), y = expected.at(i);
        const bool same = qIsNaN(x) || qIsNaN(y)
                              ? qIsNaN(x) && qIsNaN(y)
                              : std::abs(x - y) <= tolerance * (1.0 + std::abs(y));
        if (!same)
            text += QStringLiteral("[%1] %2 != %3; ").arg(i).arg(x, 0, 'g', 17).arg(y, 0, 'g', 17);
    }
    return text;
}

#define COMPARE_VALUES(actual, ...)                                                                \
    do {                                                                                           \
        const QString d = differences(actual, __VA_ARGS__);                                        \
        QVERIFY2(d.isEmpty(), qPrintable(d));                                                      \
    } while (false)

bool runToEnd(Task &task)
{
    QSignalSpy finished(&task, &Task::finished);
    task.start();
    return finished.wait(30000) && finished.count() == 1;
}

Data aggregate(const Data &data, int mode, qint64 deltaT)
{
    Agregation task(data, mode, deltaT);
    if (!runToEnd(task) || task.status() != Task::Done)
        qWarning() << "aggregation failed:" << task.errorMessage();
    return task.result();
}

// Brute-force model of aggregation. Sample i stands for [t_i, t_i+1); it
// takes part in every step that interval overlaps (a sample without length
// only in its own step). Sum spreads it in proportion to the overlap.
QVector<double> reference(const QVector<qint64> &ms, const QVector<double> &x, int mode,
                          qint64 step, int steps)
{
    QVector<double> result(steps, NaN);
    QVector<int> counts(steps, 0);
    for (int i = 0; i < ms.size(); ++i) {
        if (qIsNaN(x[i]))
            continue;
        const qint64 begin = ms[i], end = i + 1 < ms.size() ? ms[i + 1] : begin;
        for (int s = int((begin - ms[0]) / step); s < steps; ++s) {
            const qint64 low = qMax(begin, ms[0] + s * step);
            const qint64 high = qMin(end, ms[0] + (s + 1) * step);
            if (high <= low && s > (begin - ms[0]) / step)
                break;
            double v = x[i];
            if (mode == Agregation::Sum && end > begin)
                v = x[i] * double(high - low) / double(end - begin);
            double &r = result[s];
            if (qIsNaN(r))
                r = v;
            else if (mode == Agregation::Sum || mode == Agregation::Average)
                r += v;
            else if (mode == Agregation::Max ? v > r : v < r)
                r = v;
            ++counts[s];
        }
    }
    for (int s = 0; mode == Agregation::Average && s < steps; ++s)
        result[s] /= counts[s];
    return result;
}

} // namespace

class TestOperations : public QObject
{
    Q_OBJECT

private slots:
    void aggregationFailures_data();
    void aggregationFailures();
    void aggregationSteps_data();
    void aggregationSteps();
    void aggregationTiesKeepHeldValue();
    void aggregationMatchesBruteForce();
    void normalization_data();
    void normalization();
    void beaOrders_data();
    void beaOrders();
    void beaMatchesBruteForce_data();
    void beaMatchesBruteForce();
    void firstValueOrders();
    void reorganizationNeedsTwoAttributes();
    void progressNotifications_data();
    void progressNotifications();
    void stopRequestsHonoured_data();
    void stopRequestsHonoured();
};

void TestOperations::aggregationFailures_data()
{
    QTest::addColumn<Data>("data");
    QTest::addColumn<qint64>("deltaT");
    QTest::addColumn<QString>("message");
    const QString zero = QStringLiteral("originalDataTimeInterval or deltaT is 0");
    QTest::newRow("one time") << seconds({5}, {{1}}) << qint64(3) << zero;
    QTest::newRow("same times") << seconds({5, 5}, {{1, 2}}) << qint64(3) << zero;
    QTest::newRow("zero step") << seconds({0, 9}, {{1, 2}}) << qint64(0) << zero;
    QTest::newRow("negative step") << seconds({0, 9}, {{1, 2}}) << qint64(-3) << zero;
    // 2^32 + 1 steps would wrap to 1 step in 32 bits.
    QTest::newRow("wrapping count")
        << seconds({0, qint64(1) << 32}, {{1, 2}}) << qint64(1)
        << QStringLiteral("Too many time steps (4294967297) for ΔT = 1 s.");
    // 2 x (2e8 + 1) cells exceed what one Data holds.
    QTest::newRow("too many cells")
        << seconds({0, 200000000}, {{1, 2}, {3, 4}}) << qint64(1)
        << QStringLiteral("Too many time steps (200000001) for ΔT = 1 s.");
    QTest::newRow("huge step") << seconds({0, 9}, {{1, 2}}) << (qint64(1) << 62)
                               << QStringLiteral("ΔT = 4611686018427387904 s is out of range.");
}

void TestOperations::aggregationFailures()
{
    QFETCH(Data, data);
    QFETCH(qint64, deltaT);
    QFETCH(QString, message);
    Agregation task(data, Agregation::Sum, deltaT);
    QVERIFY(runToEnd(task));
    QCOMPARE(task.status(), int(Task::Failed));
    QCOMPARE(task.errorMessage(), message);
    QCOMPARE(task.result().timeCount(), 0);
}

void TestOperations::aggregationSteps_data()
{
    QTest::addColumn<Data>("data");
    QTest::addColumn<qint64>("deltaT");
    QTest::addColumn<int>("mode");
    QTest::addColumn<QVector<double>>("expected");

    // Steps [0,3) [3,6) [6,9) [9,12). The sample at 3 s starts step 1. The
    // one at 3 s spans [3,7) and is held into step 2, the one at 7 s spans
    // [7,10) and is held into step 3.
    const Data bounds = seconds({0, 2, 3, 7, 10}, {{1, 2, 4, 8, 16}});
    QTest::newRow("boundaries average")
        << bounds << qint64(3) << int(Agregation::Average) << QVector<double>{1.5, 4, 6, 12};
    QTest::newRow("boundaries max")
        << bounds << qint64(3) << int(Agregation::Max) << QVector<double>{2, 4, 8, 16};
    QTest::newRow("boundaries min")
        << bounds << qint64(3) << int(Agregation::Min) << QVector<double>{1, 4, 4, 8};
    // 1+2; 4 - 4*(7-6)/(7-3) = 3; 1 + 8 - 8*(10-9)/(10-7) = 19/3; 8/3 + 16.
    QTest::newRow("boundaries sum")
        << bounds << qint64(3) << int(Agregation::Sum) << QVector<double>{3, 3, 19.0 / 3, 56.0 / 3};

    // Steps of 2 s up to 12 s; the sample at 1 s (6) spans [1,11).
    const Data gap = seconds({0, 1, 11}, {{5, 6, 7}});
    QTest::newRow("gap average") << gap << qint64(2) << int(Agregation::Average)
                                 << QVector<double>{5.5, 6, 6, 6, 6, 6.5};
    QTest::newRow("gap min") << gap << qint64(2) << int(Agregation::Min)
                             << QVector<double>{5, 6, 6, 6, 6, 6};
    // 6 spreads as 0.6 per second: 5 + 0.6; 1.2 for each full step; 0.6 + 7.
    QTest::newRow("gap sum") << gap << qint64(2) << int(Agregation::Sum)
                             << QVector<double>{5.6, 1.2, 1.2, 1.2, 1.2, 7.6};

    // 10 * (4-3)/(4-0) = 2.5 moves on: 7.5, then 2.5 + 2.
    QTest::newRow("split share") << seconds({0, 4}, {{10, 2}}) << qint64(3) << int(Agregation::Sum)
                                 << QVector<double>{7.5, 4.5};
    // 10 over [0,10) gives 3 to each step of 3 s and 1 to the last.
    QTest::newRow("spread sum") << seconds({0, 10}, {{10, 5}}) << qint64(3) << int(Agregation::Sum)
                                << QVector<double>{3, 3, 3, 6};

    const Data missing = seconds({0, 1, 2, 3}, {{2, NaN, 4, 8}});
    QTest::newRow("average skips missing")
        << missing << qint64(3) << int(Agregation::Average) << QVector<double>{3, 8};
    const Data empty = seconds({0, 1, 3}, {{NaN, NaN, 1}});
    QTest::newRow("missing step max")
        << empty << qint64(3) << int(Agregation::Max) << QVector<double>{NaN, 1};
    QTest::newRow("missing step min")
        << empty << qint64(3) << int(Agregation::Min) << QVector<double>{NaN, 1};
    QTest::newRow("missing step sum")
        << empty << qint64(3) << int(Agregation::Sum) << QVector<double>{NaN, 1};
    // The missing sample at 2 s is the one held over [3,6).
    const Data heldMissing = seconds({0, 2, 7}, {{1, NaN, 3}});
    QTest::newRow("held missing average")
        << heldMissing << qint64(3) << int(Agregation::Average) << QVector<double>{1, NaN, 3};
    QTest::newRow("held missing sum")
        << heldMissing << qint64(3) << int(Agregation::Sum) << QVector<double>{1, NaN, 3};
}

void TestOperations::aggregationSteps()
{
    QFETCH(Data, data);
    QFETCH(qint64, deltaT);
    QFETCH(int, mode);
    QFETCH(QVector<double>, expected);
    const Data result = aggregate(data, mode, deltaT);
    COMPARE_VALUES(column(result, 0), expected);
    QCOMPARE(result.attributes, data.attributes);
    for (int s = 0; s < result.timeCount(); ++s)
        QCOMPARE(result.timeAt(s), data.firstTime().addSecs((s + 1) * deltaT));
    QCOMPARE(result.times.constFirst().timeSpec(), Qt::UTC);
}

void TestOperations::aggregationTiesKeepHeldValue()
{
    // 0.0 and -0.0 compare equal: only the sign shows which one was kept.
    const Data data = seconds({0, 1, 3}, {{0.0, -0.0, 1}, {-0.0, 0.0, 1}});
    const Data max = aggregate(data, Agregation::Max, 3);
    const Data min = aggregate(data, Agregation::Min, 3);
    QVERIFY(!std::signbit(max.value(0, 0)) && std::signbit(max.value(0, 1)));
    QVERIFY(!std::signbit(min.value(0, 0)) && std::signbit(min.value(0, 1)));
}

void TestOperations::aggregationMatchesBruteForce()
{
    QRandomGenerator random(7);
    const qint64 gaps[] = {0, 500, 1000, 1000, 2000, 3000, 3250, 7000, 20000};
    QVector<qint64> ms{0};
    for (int i = 1; i < 400; ++i)
        ms << ms.last() + gaps[random.bounded(9)];
    QVector<QVector<double>> columns(3);
    for (QVector<double> &c : columns) {
        for (int i = 0; i < ms.size(); ++i)
            c << (random.bounded(5) == 0 ? NaN : random.generateDouble() * 15 - 5);
    }
    const Data data = series(ms, columns);
    for (qint64 deltaT : {1, 3, 10}) {
        for (int mode : {Agregation::Sum, Agregation::Average, Agregation::Max, Agregation::Min}) {
            const Data result = aggregate(data, mode, deltaT);
            const int steps = int((ms.last() / 1000) / deltaT + 1);
            QCOMPARE(result.timeCount(), steps);
            for (int a = 0; a < columns.size(); ++a) {
                const QVector<double> out = column(result, a);
                COMPARE_VALUES(out, reference(ms, columns[a], mode, deltaT * 1000, steps), 1e-9);
                if (mode != Agregation::Sum)
                    continue;
                double in = 0, total = 0;
                for (double x : columns[a])
                    in += qIsNaN(x) ? 0 : x;
                for (double x : out)
                    total += qIsNaN(x) ? 0 : x;
                QVERIFY(std::abs(in - total) < 1e-9 * (1 + std::abs(in)));
            }
        }
    }
}

void TestOperations::normalization_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<QVector<QVector<double>>>("columns");
    QTest::addColumn<QVector<QVector<double>>>("expected");
    using Columns = QVector<QVector<double>>;
    QTest::newRow("local") << int(Normalization::Local) << Columns{{2, 4, 6}, {NaN, 1, 3}}
                           << Columns{{0, 0.5, 1}, {NaN, 0, 1}};
    // One range 0..20 for both: 10 / 20, (5 - 0) / 20.
    QTest::newRow("global") << int(Normalization::Global) << Columns{{0, 10, NaN}, {5, 20, 10}}
                            << Columns{{0, 0.5, NaN}, {0.25, 1, 0.5}};
    // Constants are values at the bottom of their range; an empty range
    // stays missing.
    QTest::newRow("local constant")
        << int(Normalization::Local) << Columns{{7, 7, NaN}, {NaN, NaN, NaN}, {-1, 3, 1}}
        << Columns{{0, 0, NaN}, {NaN, NaN, NaN}, {0, 1, 0.5}};
    QTest::newRow("global constant")
        << int(Normalization::Global) << Columns{{7, 7}, {NaN, 7}} << Columns{{0, 0}, {NaN, 0}};
    QTest::newRow("global empty") << int(Normalization::Global) << Columns{{NaN, NaN}}
                                  << Columns{{NaN, NaN}};
}

void TestOperations::normalization()
{
    QFETCH(int, mode);
    QFETCH(QVector<QVector<double>>, columns);
    QFETCH(QVector<QVector<double>>, expected);
    QVector<qint64> times;
    for (int t = 0; t < columns.first().size(); ++t)
        times << t;
    const Data input = seconds(times, columns);
    const QVector<double> before = input.values;
    Normalization task(input, mode);
    QVERIFY(runToEnd(task));
    const Data result = task.result();
    for (int a = 0; a < columns.size(); ++a)
        COMPARE_VALUES(column(result, a), expected.at(a));
    QCOMPARE(result.attributes, input.attributes);
    QCOMPARE(result.times, input.times);
    COMPARE_VALUES(input.values, before, 0.0); // the caller's copy is untouched
}

void TestOperations::beaOrders_data()
{
    QTest::addColumn<QVector<QVector<double>>>("columns");
    QTest::addColumn<QVector<int>>("order");
    using Columns = QVector<QVector<double>>;
    // bond(2,0) = 0.1, bond(2,1) = 0.9: 2 goes before 1.
    QTest::newRow("strongest") << Columns{{1, 0}, {0, 1}, {0.1, 0.9}} << QVector<int>{0, 2, 1};
    // No overlap at all: bonds 0, front.
    QTest::newRow("zero bonds") << Columns{{1, NaN}, {1, NaN}, {NaN, 1}} << QVector<int>{2, 0, 1};
    // bond(2,0) = bond(2,1) = 2: the earlier position wins.
    QTest::newRow("tie") << Columns{{1, 1}, {1, 1}, {1, 1}} << QVector<int>{2, 0, 1};
    QTest::newRow("two") << Columns{{1, NaN}, {NaN, 1}} << QVector<int>{0, 1};
    // k=2: bonds with 0, 1 are 1, 0.2 -> [2,0,1]. k=3: bonds with 2, 0, 1
    // are 0.1+0.2, 0.1, 1 -> [2,0,3,1]. k=4 (no value) and k=5 (negative
    // bonds) go to the front.
    QTest::newRow("five") << Columns{{1, 0}, {0, 1}, {1, 0.2}, {0.1, 1}, {NaN, NaN}, {-1, -1}}
                          << QVector<int>{5, 4, 2, 0, 3, 1};
}

void TestOperations::beaOrders()
{
    QFETCH(QVector<QVector<double>>, columns);
    QFETCH(QVector<int>, order);
    Reorganization task(seconds({0, 1}, columns), Reorganization::Bea);
    QVERIFY(runToEnd(task));
    QCOMPARE(task.permutation(), order);
}

void TestOperations::beaMatchesBruteForce_data()
{
    QTest::addColumn<bool>("infinite");
    QTest::newRow("finite") << false;
    // Rows holding an infinity are bonded one by one, the others four at once.
    QTest::newRow("one infinity") << true;
}

void TestOperations::beaMatchesBruteForce()
{
    QFETCH(bool, infinite);
    // 40 attributes span several blocks; 23 times leave 3 rows after the
    // groups of four.
    const int attributes = 40, times = 23;
    QRandomGenerator random(11);
    QVector<QVector<double>> columns(attributes);
    for (QVector<double> &c : columns) {
        for (int t = 0; t < times; ++t)
            c << (random.bounded(5) == 0 ? NaN : random.generateDouble());
    }
    if (infinite)
        columns[7][9] = qInf();
    const auto bond = [&columns](int a, int b) {
        double sum = 0.0;
        for (int t = 0; t < times; ++t) {
            if (!qIsNaN(columns[a][t]) && !qIsNaN(columns[b][t]))
                sum += columns[a][t] * columns[b][t];
        }
        return sum;
    };
    QVector<int> order{0, 1};
    for (int k = 2; k < attributes; ++k) {
        double best = std::numeric_limits<double>::min();
        int position = 0;
        for (int j = 0; j < order.size(); ++j) {
            if (bond(k, order[j]) > best) {
                best = bond(k, order[j]);
                position = j;
            }
        }
        order.insert(position, k);
    }
    QVector<qint64> secs;
    for (int t = 0; t < times; ++t)
        secs << t;
    Reorganization task(seconds(secs, columns), Reorganization::Bea);
    QVERIFY(runToEnd(task));
    QCOMPARE(task.permutation(), order);
}

void TestOperations::firstValueOrders()
{
    // First values at 3, none, 0, 3, none, 1: ties and empty attributes keep
    // their input order, the empty ones last.
    const Data data = seconds({0, 1, 2, 3}, {{NaN, NaN, NaN, 1},
                                             {NaN, NaN, NaN, NaN},
                                             {1, NaN, NaN, NaN},
                                             {NaN, NaN, NaN, 2},
                                             {NaN, NaN, NaN, NaN},
                                             {NaN, 5, 6, NaN}});
    Reorganization task(data, Reorganization::FirstValue);
    QVERIFY(runToEnd(task));
    QCOMPARE(task.permutation(), (QVector<int>{2, 5, 0, 3, 1, 4}));
    // The permutation moves the names and the values together.
    const Data result = task.result();
    QCOMPARE(result.attributes, (QVector<QString>{"a2", "a5", "a0", "a3", "a1", "a4"}));
    COMPARE_VALUES(column(result, 1), column(data, 5), 0.0);
    COMPARE_VALUES(column(result, 3), column(data, 3), 0.0);
    COMPARE_VALUES(result.values.mid(0, 6), {1, NaN, NaN, NaN, NaN, NaN}, 0.0);
    COMPARE_VALUES(result.values.mid(18, 6), {NaN, NaN, 1, 2, NaN, NaN}, 0.0);
    QCOMPARE(result.times, data.times);
}

void TestOperations::reorganizationNeedsTwoAttributes()
{
    for (int mode : {Reorganization::Bea, Reorganization::FirstValue}) {
        Reorganization task(seconds({0, 1}, {{1, 2}}), mode);
        QVERIFY(runToEnd(task));
        QCOMPARE(task.status(), int(Task::Failed));
        QCOMPARE(task.errorMessage(), QStringLiteral("Number of attributes is less than 2"));
        QVERIFY(task.permutation().isEmpty());
    }
}

namespace {

Data grid(int attributes, int times, int missingEvery = 7)
{
    Data data(times, attributes);
    for (int t = 0; t < times; ++t) {
        data.times[t] = origin.addSecs(t);
        for (int a = 0; a < attributes; ++a)
            data.values[t * attributes + a] = (t + a) % missingEvery ? (t * 31 + a) % 97 : NaN;
    }
    return data;
}

// dispose() cuts every connection, destroyed() included: count in the destructor.
int deletions = 0;

template <typename T> class Counted : public T
{
public:
    using T::T;
    ~Counted() override { ++deletions; }
};

Task *makeTask(const QString &kind, const Data &data)
{
    if (kind == "agregation")
        return new Counted<Agregation>(data, Agregation::Average, 1);
    if (kind == "normalization")
        return new Counted<Normalization>(data, Normalization::Local);
    const int mode = kind == "bea" ? Reorganization::Bea : Reorganization::FirstValue;
    return new Counted<Reorganization>(data, mode);
}

} // namespace

void TestOperations::progressNotifications_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<Data>("data");
    QTest::addColumn<int>("notifications");
    // 3 x 7 cells: each cell is a new percentage (4, 9, ..., 100).
    QTest::newRow("agregation") << "agregation" << grid(3, 7) << 21;
    // 25, 50, 75 after attributes 1..3, then 100.
    QTest::newRow("normalization") << "normalization" << grid(4, 5) << 4;
    QTest::newRow("normalization one") << "normalization" << grid(1, 5) << 1;
    // Attributes 2 and 3 give 50 and 75, then 100.
    QTest::newRow("bea") << "bea" << grid(4, 5) << 3;
    QTest::newRow("first value") << "first" << grid(4, 5) << 4;
}

void TestOperations::progressNotifications()
{
    QFETCH(QString, kind);
    QFETCH(Data, data);
    QFETCH(int, notifications);
    QScopedPointer<Task> task(makeTask(kind, data));
    QVector<int> seen;
    connect(task.data(), &Task::progressChanged, this, [&seen](Task *t) { seen << t->progress(); });
    QVERIFY(runToEnd(*task));
    QCOMPARE(seen.size(), notifications);
    QVERIFY(std::is_sorted(seen.cbegin(), seen.cend()));
    QCOMPARE(seen.last(), 100);
}

void TestOperations::stopRequestsHonoured_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<Data>("data");
    QTest::addColumn<bool>("atOnce");
    // Asked to stop right after start(): the first check point disposes.
    QTest::newRow("agregation") << "agregation" << grid(50, 40000) << true;
    QTest::newRow("normalization") << "normalization" << grid(200, 10000) << true;
    QTest::newRow("first value") << "first" << grid(400, 5000, 1) << true;
    QTest::newRow("bea") << "bea" << grid(100, 5000) << true;
    // Asked at the first progress notification; some 1.5e9 products remain.
    QTest::newRow("bea running") << "bea" << grid(500, 12000) << false;
}

void TestOperations::stopRequestsHonoured()
{
    QFETCH(QString, kind);
    QFETCH(Data, data);
    QFETCH(bool, atOnce);
    Task *task = makeTask(kind, data);
    QSignalSpy finished(task, &Task::finished);
    deletions = 0;
    int afterStop = 0;
    QEventLoop loop;
    connect(task, &Task::progressChanged, this, [&](Task *t) {
        afterStop += t->isStopRequested();
        t->requestStop();
        loop.quit();
    });
    QTimer::singleShot(20000, &loop, &QEventLoop::quit);
    task->start();
    if (atOnce)
        task->requestStop();
    else
        loop.exec();
    QCOMPARE(task->status(), int(Task::StopRequested));
    QTRY_COMPARE_WITH_TIMEOUT(deletions, 1, 20000);
    QTest::qWait(50);
    QCOMPARE(deletions, 1);
    QCOMPARE(finished.count(), 0);
    QCOMPARE(afterStop, 0);
}

QTEST_GUILESS_MAIN(TestOperations)
#include "tst_operations.moc"
