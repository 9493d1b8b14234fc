#include "operations/agregation.h"
#include "operations/normalization.h"
#include "operations/reorganization.h"
#include "readertesting.h"
#include "testsupport.h"

#include <QtTest>

#include <cmath>
#include <cstdio>
#include <limits>

namespace {

const double NaN = qQNaN();
const QDateTime origin(QDate(2021, 3, 1), QTime(0, 0), Qt::UTC);
using Columns = QVector<QVector<double>>;
using A = Agregation;
// Task kinds in the order of each operation's modes.
const QStringList kinds{"sum", "average", "max", "min", "global", "local", "bea", "first"};
const int Never = 0, AtOnce = 1, AtFirstProgress = 2; // when a test asks to stop

// columns[a][i] is attribute a at origin + times[i] units of milliseconds
// (one second apart without times).
Data series(const Columns &columns, const QVector<qint64> &times = {}, qint64 unit = 1000)
{
    QVector<QString> names;
    for (int a = 0; a < columns.size(); ++a)
        names << QStringLiteral("a%1").arg(a);
    Data data(names, columns.first().size());
    for (int i = 0; i < data.timeCount(); ++i) {
        data.times[i] = origin.addMSecs((times.isEmpty() ? i : times.at(i)) * unit);
        for (int a = 0; a < columns.size(); ++a)
            data.values[i * columns.size() + a] = columns.at(a).at(i);
    }
    return data;
}

// A fifth of the values missing, the others uniform in [offset, offset + scale).
Columns randomColumns(QRandomGenerator &rng, int count, int size, double scale = 1,
                      double offset = 0)
{
    Columns columns(count);
    for (QVector<double> &c : columns) {
        for (int i = 0; i < size; ++i)
            c << (rng.bounded(5) == 0 ? NaN : rng.generateDouble() * scale + offset);
    }
    return columns;
}

// Empty when equal to 1e-9; NaN matches NaN only, -0 only -0.
QString differences(const QVector<double> &actual, const QVector<double> &expected)
{
    if (actual.size() != expected.size())
        return QStringLiteral("size %1, expected %2").arg(actual.size()).arg(expected.size());
    QString text;
    char line[96]; // printf keeps the sign of -0, QString drops it
    for (int i = 0; i < actual.size(); ++i) {
        const double x = actual.at(i), y = expected.at(i);
        if (qIsNaN(x) != qIsNaN(y) || std::abs(x - y) > 1e-9 * (1.0 + std::abs(y)) ||
            (x == 0 && y == 0 && std::signbit(x) != std::signbit(y))) {
            std::snprintf(line, sizeof line, "[%d] %.17g != %.17g; ", i, x, y);
            text += line;
        }
    }
    return text;
}

TypedTask<Data> *makeTask(const QString &kind, const Data &data, qint64 deltaT = 1)
{
    const int k = kinds.indexOf(kind);
    if (k < 4)
        return new Agregation(data, k, deltaT);
    if (k < 6)
        return new Normalization(data, k - 4);
    return new Reorganization(data, k - 6);
}

// Bond energy order the slow way: attribute k goes just before the placed
// attribute it bonds with most, or to the front when no bond is positive.
QVector<int> beaOrder(const Columns &columns)
{
    const auto bond = [&columns](int a, int b) {
        double sum = 0.0;
        for (int t = 0; t < columns[a].size(); ++t) {
            if (!qIsNaN(columns[a][t]) && !qIsNaN(columns[b][t]))
                sum += columns[a][t] * columns[b][t];
        }
        return sum;
    };
    QVector<int> order{0, 1};
    for (int k = 2; k < columns.size(); ++k) {
        double best = std::numeric_limits<double>::min();
        int position = 0;
        for (int j = 0; j < order.size(); ++j) {
            if (bond(k, order[j]) > best)
                best = bond(k, order[j]), position = j;
        }
        order.insert(position, k);
    }
    return order;
}

Data grid(int attributes, int times, int missingEvery = 7)
{
    return generatedTable(attributes, times, origin, 1, [missingEvery](int t, int a) {
        return (t + a) % missingEvery ? (t * 31 + a) % 97 : NaN;
    });
}

// The same results computed the plain way: one attribute at a time, one cell
// at a time, in the order each operation's rules state.
QVector<double> plainAgregation(const Data &data, int mode, qint64 deltaT)
{
    const int attributes = data.attributeCount(), samples = data.timeCount();
    const int steps = int(data.firstTime().secsTo(data.lastTime()) / deltaT + 1);
    QVector<qint64> ms;
    for (const QDateTime &time : data.times)
        ms << time.toMSecsSinceEpoch();
    QVector<double> out(steps * attributes);
    for (int a = 0; a < attributes; ++a) {
        qint64 bound = ms[0];
        int first = 0;
        bool held = false;
        double carry = NaN;
        for (int s = 0; s < steps; ++s) {
            bound += deltaT * 1000;
            const double incoming = mode == A::Sum ? carry : NaN;
            const bool sums = mode == A::Sum || mode == A::Average;
            double acc = NaN;
            int end = first, count = 0;
            while (end < samples && ms[end] < bound)
                ++end;
            // Sums: the carry and the samples in order; an infinite term
            // decides alone, both signs leave it undefined.
            bool positive = incoming == qInf(), negative = incoming == -qInf();
            long double wide = qIsNaN(incoming) ? 0.0L : incoming;
            if (!qIsNaN(incoming))
                acc = incoming, ++count;
            for (int i = held && mode == A::Sum ? first + 1 : first; i < end; ++i) {
                const double x = data.value(i, a);
                if (qIsNaN(x))
                    continue;
                positive |= x == qInf(), negative |= x == -qInf();
                wide += x;
                if (count++ == 0 || (mode == A::Max && x > acc) || (mode == A::Min && x < acc))
                    acc = x;
                else if (sums)
                    acc += x;
            }
            if (mode == A::Average && count > 0)
                acc /= count;
            held = end > first && end < samples && ms[end] > bound;
            const double last = held ? data.value(end - 1, a) : NaN;
            carry = NaN;
            if (mode == A::Sum && held) {
                const double after = double(ms[end] - bound),
                             length = double(ms[end] - ms[end - 1]);
                carry = last * after / length;
                if (std::isinf(carry) && std::isfinite(last))
                    carry = last * (after / length);
                if (!qIsNaN(last))
                    acc -= carry, wide -= carry;
            }
            if (sums && count > 0 && !std::isfinite(acc)) {
                if (positive || negative)
                    acc = positive && negative ? NaN : positive ? qInf() : -qInf();
                else if (mode == A::Sum)
                    acc = double(wide);
                else { // the mean of finite values
                    double mean = 0.0;
                    for (int i = first, n = 0; i < end; ++i) {
                        const double x = data.value(i, a);
                        if (!qIsNaN(x))
                            ++n, mean += x / n - mean / n;
                    }
                    acc = mean;
                }
            }
            out[s * attributes + a] = acc;
            first = held ? end - 1 : end;
        }
    }
    return out;
}

QVector<double> plainNormalization(const Data &data, bool local)
{
    const int attributes = data.attributeCount();
    QVector<double> out = data.values;
    double min = NaN, max = NaN;
    for (int a = 0; a < attributes; ++a) {
        for (int i = local ? a : 0; i < out.size() && (a == 0 || local);
             i += local ? attributes : 1) {
            const double x = data.values[i];
            if (!qIsNaN(x) && (qIsNaN(min) || min > x))
                min = x;
            if (!qIsNaN(x) && (qIsNaN(max) || max < x))
                max = x;
        }
        const bool flat = min == max;
        const double scale = flat ? 0.0 : 1.0 / (max - min), shift = flat ? 0.0 : -(scale * min);
        for (int i = a; i < out.size(); i += attributes) {
            out[i] = std::min(out[i] * scale + shift, 1.0);
            if (flat && std::isinf(min) && !qIsNaN(out[i]))
                out[i] = 0.0;
        }
        if (local)
            min = max = NaN;
    }
    return out;
}

// Irregular times (repeated, close, far apart); attribute a % 6 is 0: all
// missing, 1: constant, 2: with infinities, else wide values with zeros of
// both signs; a tenth of the cells missing.
Data randomTable(quint32 seed, int attributes, int times, bool infinities)
{
    QRandomGenerator rng(seed);
    const qint64 gaps[] = {0, 1, 250, 999, 1000, 1000, 1000, 2500, 7001};
    Data data(times, attributes);
    qint64 ms = 0;
    for (int t = 0; t < times; ++t) {
        // The last time is apart from the first, so that there are steps.
        data.times[t] = origin.addMSecs(ms += t ? gaps[rng.bounded(9)] + (t + 1 == times) : 0);
        for (int a = 0; a < attributes; ++a) {
            const int kind = a % 6, pick = rng.bounded(20);
            double x = (rng.generateDouble() - 0.3) * std::pow(10.0, rng.bounded(-3, 8));
            if (kind == 1)
                x = 7;
            else if (kind == 2 && infinities && pick < 2)
                x = pick ? qInf() : -qInf();
            else if (kind > 2 && pick < 2)
                x = pick ? 0.0 : -0.0;
            data.values[t * attributes + a] = kind == 0 || pick > 17 ? NaN : x;
        }
    }
    return data;
}
} // namespace

class TestOperations : public QObject
{
    Q_OBJECT

private slots:
    void results_data();
    void results();
    void progressAndStop_data();
    void progressAndStop();
    void memoryExhaustion_data();
    void memoryExhaustion();
    void matchesPlain_data();
    void matchesPlain();
};

void TestOperations::results_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<Data>("data");
    QTest::addColumn<qint64>("deltaT"); // aggregation only
    QTest::addColumn<Columns>("expected");
    QTest::addColumn<QVector<int>>("order"); // reorganization only
    QTest::addColumn<QString>("error");
    const auto row = [](const QString &name, const QString &kind, const Data &data, qint64 deltaT,
                        const Columns &expected, const QVector<int> &order = {},
                        const QString &error = {}) {
        QTest::newRow(qPrintable(name)) << kind << data << deltaT << expected << order << error;
    };
    // The attributes with their values, in the given order.
    const auto reorganize = [&row](const char *name, const char *kind, const Columns &columns,
                                   const QVector<int> &order, const QString &error = {}) {
        Columns moved;
        for (int a : order)
            moved << columns.at(a);
        row(name, kind, series(columns), 0, moved, order, error);
    };

    // Steps [0,3) [3,6) [6,9) [9,12). The sample at 3 s starts step 1. The
    // one at 3 s spans [3,7) and is held into step 2, the one at 7 s spans
    // [7,10) and is held into step 3.
    const Data bounds = series({{1, 2, 4, 8, 16}}, {0, 2, 3, 7, 10});
    row("boundaries average", "average", bounds, 3, {{1.5, 4, 6, 12}});
    row("boundaries max", "max", bounds, 3, {{2, 4, 8, 16}});
    row("boundaries min", "min", bounds, 3, {{1, 4, 4, 8}});
    // 1+2; 4 - 4*(7-6)/(7-3) = 3; 1 + 8 - 8*(10-9)/(10-7) = 19/3; 8/3 + 16.
    row("boundaries sum", "sum", bounds, 3, {{3, 3, 19.0 / 3, 56.0 / 3}});
    // Steps of 2 s up to 12 s; the sample at 1 s (6) spans [1,11).
    const Data gap = series({{5, 6, 7}}, {0, 1, 11});
    row("gap average", "average", gap, 2, {{5.5, 6, 6, 6, 6, 6.5}});
    row("gap min", "min", gap, 2, {{5, 6, 6, 6, 6, 6}});
    // 6 spreads as 0.6 per second: 5 + 0.6; 1.2 for each full step; 0.6 + 7.
    row("gap sum", "sum", gap, 2, {{5.6, 1.2, 1.2, 1.2, 1.2, 7.6}});
    // 10 * (4-3)/(4-0) = 2.5 moves on: 7.5, then 2.5 + 2.
    row("split share", "sum", series({{10, 2}}, {0, 4}), 3, {{7.5, 4.5}});
    // 10 over [0,10) gives 3 to each step of 3 s and 1 to the last.
    row("spread sum", "sum", series({{10, 5}}, {0, 10}), 3, {{3, 3, 3, 6}});
    row("average skips missing", "average", series({{2, NaN, 4, 8}}), 3, {{3, 8}});
    // Their sum overflows; their mean does not.
    const double big = std::numeric_limits<double>::max();
    row("average of huge values", "average", series({{big, big, 1}}), 10, {{big / 3 * 2}});
    // An infinity decides alone, even after the finite sum has overflowed;
    // infinities of both signs leave the value undefined, and later values
    // do not make it defined again.
    const double inf = qInf();
    row("infinity after overflow", "average", series({{big, big, -inf, big, 1}}), 10, {{-inf}});
    row("opposite infinities", "sum", series({{inf, -inf, 5, 1}}), 10, {{NaN}});
    row("opposite infinities average", "average", series({{-inf, inf, 5, 1}}), 10, {{NaN}});
    // The overflow cancels out again in a wider sum.
    row("overflow cancelled", "sum", series({{big, big, -big, 1}}, {0, 1, 2, 10}), 10, {{big, 1}});
    // The huge sample at 2 s spans [2,20): 10/18 of it moves on, not an
    // overflowed product.
    const double moved = big * (10.0 / 18);
    row("huge share", "sum", series({{1, big, 1}}, {0, 2, 20}), 10, {{1 + big - moved, moved, 1}});
    // An infinite sample spans [1,7): every step it reaches is infinite.
    row("spread infinity", "sum", series({{1, inf, 2}}, {0, 1, 8}), 2, {{inf, inf, inf, inf, 2}});
    const Data empty = series({{NaN, NaN, 1}}, {0, 1, 3});
    for (const QString kind : {"max", "min", "sum"})
        row("missing step " + kind, kind, empty, 3, {{NaN, 1}});
    // The missing sample at 2 s is the one held over [3,6).
    const Data heldMissing = series({{1, NaN, 3}}, {0, 2, 7});
    for (const QString kind : {"average", "sum"})
        row("held missing " + kind, kind, heldMissing, 3, {{1, NaN, 3}});
    // 0.0 and -0.0 compare equal: only the sign shows that the held one stays.
    const Data ties = series({{0.0, -0.0, 1}, {-0.0, 0.0, 1}}, {0, 1, 3});
    for (const QString kind : {"max", "min"})
        row("ties " + kind, kind, ties, 3, {{0.0, 1}, {-0.0, 1}});
    const QString zero = QStringLiteral("originalDataTimeInterval or deltaT is 0");
    const Data two = series({{1, 2}}, {0, 9});
    row("one time", "sum", series({{1}}, {5}), 3, {}, {}, zero);
    row("same times", "sum", series({{1, 2}}, {5, 5}), 3, {}, {}, zero);
    row("zero step", "sum", two, 0, {}, {}, zero);
    row("negative step", "sum", two, -3, {}, {}, zero);
    // 2^32 + 1 steps would wrap to 1 step in 32 bits.
    row("wrapping count", "sum", series({{1, 2}}, {0, qint64(1) << 32}), 1, {}, {},
        QStringLiteral("ΔT = 1 s gives too many time steps: 1 attributes at 4294967297 times make "
                       "4294967297 values, more than the 268435447 a table can hold."));
    // 2 x (2e8 + 1) cells exceed what one Data holds.
    row("too many cells", "sum", series({{1, 2}, {3, 4}}, {0, 200000000}), 1, {}, {},
        QStringLiteral("ΔT = 1 s gives too many time steps: 2 attributes at 200000001 times make "
                       "400000002 values, more than the 268435447 a table can hold."));
    row("huge step", "sum", two, qint64(1) << 62, {}, {},
        QStringLiteral("ΔT = 4611686018427387904 s is out of range."));

    row("local", "local", series({{2, 4, 6}, {NaN, 1, 3}}), 0, {{0, 0.5, 1}, {NaN, 0, 1}});
    // One range 0..20 for both: 10 / 20, (5 - 0) / 20.
    row("global", "global", series({{0, 10, NaN}, {5, 20, 10}}), 0,
        {{0, 0.5, NaN}, {0.25, 1, 0.5}});
    // Constants are values at the bottom of their range; an empty range
    // stays missing.
    row("local constant", "local", series({{7, 7, NaN}, {NaN, NaN, NaN}, {-1, 3, 1}}), 0,
        {{0, 0, NaN}, {NaN, NaN, NaN}, {0, 1, 0.5}});
    row("global constant", "global", series({{7, 7}, {NaN, 7}}), 0, {{0, 0}, {NaN, 0}});
    row("global empty", "global", series({{NaN, NaN}}), 0, {{NaN, NaN}});
    // max * (1 / (max - min)) - min / (max - min) rounds to just above 1 here.
    row("local top rounding", "local", series({{-85.26, -66.91}}), 0, {{0, 1}});

    const QString fewer = QStringLiteral("Number of attributes is less than 2");
    for (const char *kind : {"bea", "first"})
        reorganize(qPrintable(QString(kind) + " one attribute"), kind, {{1, 2}}, {}, fewer);
    // bond(2,0) = 0.1, bond(2,1) = 0.9: 2 goes before 1.
    reorganize("bea strongest", "bea", {{1, 0}, {0, 1}, {0.1, 0.9}}, {0, 2, 1});
    // No overlap at all: bonds 0, front.
    reorganize("bea zero bonds", "bea", {{1, NaN}, {1, NaN}, {NaN, 1}}, {2, 0, 1});
    // bond(2,0) = bond(2,1) = 2: the earlier position wins.
    reorganize("bea tie", "bea", {{1, 1}, {1, 1}, {1, 1}}, {2, 0, 1});
    reorganize("bea two", "bea", {{1, NaN}, {NaN, 1}}, {0, 1});
    // k=2: bonds with 0, 1 are 1, 0.2 -> [2,0,1]. k=3: bonds with 2, 0, 1
    // are 0.1+0.2, 0.1, 1 -> [2,0,3,1]. k=4 (no value) and k=5 (negative
    // bonds) go to the front.
    reorganize("bea five", "bea", {{1, 0}, {0, 1}, {1, 0.2}, {0.1, 1}, {NaN, NaN}, {-1, -1}},
               {5, 4, 2, 0, 3, 1});
    // First values at 3, none, 0, 3, none, 1: ties and empty attributes keep
    // their input order, the empty ones last.
    const double _ = NaN;
    reorganize("first value", "first",
               {{_, _, _, 1}, {_, _, _, _}, {1, _, _, _}, {_, _, _, 2}, {_, _, _, _}, {_, 5, 6, _}},
               {2, 5, 0, 3, 1, 4});
}

void TestOperations::results()
{
    QFETCH(QString, kind);
    QFETCH(Data, data);
    QFETCH(qint64, deltaT);
    QFETCH(Columns, expected);
    QFETCH(QVector<int>, order);
    QFETCH(QString, error);
    const auto task = ran(makeTask(kind, data, deltaT));
    QCOMPARE(task->errorMessage(), error);
    QCOMPARE(task->status(), int(error.isEmpty() ? Task::Done : Task::Failed));
    if (auto *reorganization = dynamic_cast<Reorganization *>(task.get()))
        QCOMPARE(reorganization->permutation(), order);
    const Data result = task->result();
    QCOMPARE(result.timeCount(), error.isEmpty() ? expected.first().size() : 0);
    if (!error.isEmpty())
        return;
    if (kind == "local" || kind == "global")
        for (double v : result.values)
            QVERIFY2(qIsNaN(v) || (v >= 0 && v <= 1), qPrintable(QString::number(v, 'g', 17)));
    const QString mismatch = differences(result.values, series(expected).values);
    QVERIFY2(mismatch.isEmpty(), qPrintable(mismatch));
    QVector<QString> names = data.attributes; // moved with their values
    for (int i = 0; i < order.size(); ++i)
        names[i] = data.attributes.at(order[i]);
    QCOMPARE(result.attributes, names);
    // Aggregation labels each step with the end of its interval.
    for (int s = 0; s < result.timeCount(); ++s)
        QCOMPARE(result.timeAt(s),
                 deltaT ? data.firstTime().addSecs((s + 1) * deltaT) : data.timeAt(s));
    QCOMPARE(result.times.constFirst().timeSpec(), Qt::UTC);
}

void TestOperations::progressAndStop_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<Data>("data");
    QTest::addColumn<int>("stop");
    QTest::addColumn<int>("values"); // progress values set, when not stopped
    // 3 x 7 cells: each cell is a new percentage (4, 9, ..., 100).
    QTest::newRow("agregation") << "average" << grid(3, 7) << Never << 21;
    // 25, 50, 75 after attributes 1..3, then 100.
    QTest::newRow("normalization") << "local" << grid(4, 5) << Never << 4;
    QTest::newRow("normalization one") << "local" << grid(1, 5) << Never << 1;
    // Attributes 2 and 3 give 50 and 75, then 100.
    QTest::newRow("bea") << "bea" << grid(4, 5) << Never << 3;
    QTest::newRow("first value") << "first" << grid(4, 5) << Never << 4;
    // Asked to stop right after start(): the first check point disposes.
    QTest::newRow("agregation stop") << "average" << grid(50, 40000) << AtOnce << 0;
    QTest::newRow("normalization stop") << "local" << grid(200, 10000) << AtOnce << 0;
    QTest::newRow("first value stop") << "first" << grid(400, 5000, 1) << AtOnce << 0;
    QTest::newRow("bea stop") << "bea" << grid(100, 5000) << AtOnce << 0;
    // Asked at the first progress notification; some 1.5e9 products remain.
    QTest::newRow("bea running stop") << "bea" << grid(500, 12000) << AtFirstProgress << 0;
}

void TestOperations::progressAndStop()
{
    QFETCH(QString, kind);
    QFETCH(Data, data);
    QFETCH(int, stop);
    QFETCH(int, values);
    // A stopped task deletes itself. dispose() cuts every connection,
    // destroyed() included, but QPointer still sees the deletion.
    QPointer<Task> task(makeTask(kind, data));
    QSignalSpy finished(task.data(), &Task::finished);
    connect(task.data(), &Task::finished, task.data(), &QObject::deleteLater);
    QVector<int> set, seen;
    task->setProgressObserver([&set](int p) { set << p; });
    connect(task.data(), &Task::progressChanged, this, [&](Task *t) {
        seen << t->progress();
        if (stop == AtFirstProgress)
            t->requestStop();
    });
    task->start();
    if (stop == AtOnce)
        task->requestStop();
    QTRY_VERIFY_WITH_TIMEOUT(task.isNull(), 20000);
    QCOMPARE(finished.count(), stop == Never ? 1 : 0);
    // Each value once, rising to 100; no notification once a stop is asked for.
    QVERIFY(std::adjacent_find(seen.begin(), seen.end(), std::greater_equal<int>()) == seen.end());
    QVERIFY(std::adjacent_find(set.begin(), set.end(), std::greater_equal<int>()) == set.end());
    if (stop == Never) {
        QCOMPARE(set.size(), values);
        QCOMPARE(seen.last(), 100);
    } else {
        QCOMPARE(seen.size(), stop == AtFirstProgress ? 1 : 0);
    }
}

void TestOperations::memoryExhaustion_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("message");
    for (int k = 0; k < kinds.size(); ++k) {
        const char *verb = k < 4 ? "aggregate" : k < 6 ? "normalize" : "reorganize";
        QTest::newRow(qPrintable(kinds[k]))
            << kinds[k] << QString("Not enough memory to %1 the data.").arg(verb);
    }
}

void TestOperations::memoryExhaustion()
{
    QFETCH(QString, kind);
    QFETCH(QString, message);
    // 8 x 100 values take 6,400 bytes: a copy does not fit in 6,000.
    for (const qint64 limit : {6000, 100000}) {
        QScopedPointer<TypedTask<Data>> task(makeTask(kind, grid(8, 100)));
        task->setMemoryLimit(limit);
        QSignalSpy finished(task.data(), &Task::finished);
        task->start();
        QVERIFY(finished.wait(30000));
        const bool enough = limit > 6000;
        QCOMPARE(task->status(), int(enough ? Task::Done : Task::Failed));
        QCOMPARE(task->errorMessage(), enough ? QString() : message);
        QCOMPARE(task->result().values.size(), enough ? 800 : 0);
    }
}

void TestOperations::matchesPlain_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<Data>("data");
    QTest::addColumn<qint64>("deltaT");
    // Sizes cross the operations' runs of rows, steps and attribute blocks, and leave rows
    // after the groups of four.
    const struct
    {
        int attributes, times;
        qint64 deltaT;
        bool infinities;
    } shapes[] = {{1, 2, 1, true},      {7, 303, 2, true},    {70, 9000, 3, true},
                  {200, 3000, 1, true}, {45, 6001, 5, false}, {1300, 43, 7, true}};
    quint32 seed = 1;
    for (const auto &shape : shapes) {
        for (const QString &kind : kinds.mid(0, 7)) {
            const Data data = randomTable(seed++, shape.attributes, shape.times, shape.infinities);
            QTest::addRow("%s %dx%d%s", qPrintable(kind), shape.attributes, shape.times,
                          shape.infinities ? " inf" : "")
                << kind << data << shape.deltaT;
        }
    }
    // Gaps of whole and half seconds, repeated times, steps longer than most gaps.
    QRandomGenerator random(7);
    const qint64 gaps[] = {0, 500, 1000, 1000, 2000, 3000, 3250, 7000, 20000};
    QVector<qint64> times{0};
    for (int i = 1; i < 400; ++i)
        times << times.last() + gaps[random.bounded(9)];
    const Data gapped = series(randomColumns(random, 3, times.size(), 15, -5), times, 1);
    for (qint64 deltaT : {1, 3, 10})
        for (const QString &kind : kinds.mid(0, 4))
            QTest::addRow("%s gaps, %d s", qPrintable(kind), int(deltaT))
                << kind << gapped << deltaT;
    // Four short steps, then one of a thousand samples: the work of the
    // last step alone outweighs a share.
    QVector<qint64> ms{0, 1000, 2000, 3000};
    for (int i = 0; i < 1000; ++i)
        ms << 4000 + i;
    QRandomGenerator rng(5);
    for (const char *kind : {"sum", "average"})
        QTest::addRow("%s, one long step", kind)
            << kind << series(randomColumns(rng, 11, ms.size(), 9, -2), ms, 1) << qint64(1);
}

void TestOperations::matchesPlain()
{
    QFETCH(QString, kind);
    QFETCH(Data, data);
    QFETCH(qint64, deltaT);
    const auto task = ran(makeTask(kind, data, deltaT));
    const int k = kinds.indexOf(kind);
    if (data.attributeCount() < 2 && k >= 6) {
        QCOMPARE(task->status(), int(Task::Failed));
        return;
    }
    QCOMPARE(task->status(), int(Task::Done));
    const Data result = task->result();
    QVector<double> expected;
    if (k < 4) {
        expected = plainAgregation(data, k, deltaT);
    } else if (k < 6) {
        expected = plainNormalization(data, k == 5);
    } else {
        Columns columns(data.attributeCount());
        for (int i = 0; i < data.values.size(); ++i)
            columns[i % columns.size()] << data.values[i];
        QCOMPARE(static_cast<Reorganization *>(task.get())->permutation(), beaOrder(columns));
        return;
    }
    const QString mismatch = bitDifference(result.values, expected);
    QVERIFY2(mismatch.isEmpty(), qPrintable(mismatch));
}

QTEST_GUILESS_MAIN(TestOperations)
#include "tst_operations.moc"
