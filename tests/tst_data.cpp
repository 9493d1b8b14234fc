#include "core/annotation.h"
#include "core/data.h"
#include "core/selection.h"

#include <QtTest>

class TestData : public QObject
{
    Q_OBJECT

private slots:
    void constructors();
    void addTimeStepAppendsZeroRow();
    void copiesShareUntilWritten();
    void sizeLimits();
    void selectionTypes();
    void wrappingSelection();
    void defaultSelectionAndAnnotation();
};

static bool allNaN(const QVector<double> &values)
{
    return std::all_of(values.begin(), values.end(), [](double v) { return qIsNaN(v); });
}

void TestData::constructors()
{
    const Data named({QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")}, 0);
    QCOMPARE(named.attributeCount(), 3);
    QCOMPARE(named.timeCount(), 0);
    QVERIFY(named.values.isEmpty());

    const Data sized(3, 2);
    QCOMPARE(sized.attributes, QVector<QString>({QString(), QString()}));
    QCOMPARE(sized.timeCount(), 3);
    QVERIFY(!sized.timeAt(0).isValid() && !sized.lastTime().isValid());
    QCOMPARE(sized.values.size(), 6);
    QVERIFY(allNaN(sized.values));

    const Data withTimes({QStringLiteral("X")}, 4);
    QCOMPARE(withTimes.values.size(), 4);
    QVERIFY(allNaN(withTimes.values));
}

void TestData::addTimeStepAppendsZeroRow()
{
    Data data({QStringLiteral("A"), QStringLiteral("B")}, 0);
    const QDateTime t0(QDate(2014, 1, 1), QTime(0, 0), Qt::UTC);
    const QDateTime t1 = t0.addSecs(60);

    double *row = data.addTimeStep(t0);
    QCOMPARE(row[0], 0.0);
    QCOMPARE(row[1], 0.0);
    row[0] = 1.5;
    row[1] = qQNaN();
    row = data.addTimeStep(t1);
    row[1] = 7.0;

    QCOMPARE(data.timeCount(), 2);
    QCOMPARE(data.firstTime(), t0);
    QCOMPARE(data.lastTime(), t1);
    QCOMPARE(data.values.size(), 4);
    QCOMPARE(data.value(0, 0), 1.5);
    QVERIFY(qIsNaN(data.value(0, 1)));
    QCOMPARE(data.value(1, 0), 0.0); // untouched cell of the new row
    QCOMPARE(data.value(1, 1), 7.0);
}

void TestData::copiesShareUntilWritten()
{
    Data original(2, 2);
    original.values[0] = 1.0;
    Data copy = original;
    QCOMPARE(copy.values.constData(), original.values.constData());

    // Filling a row through addTimeStep must never write into a shared copy.
    copy.addTimeStep(QDateTime())[0] = 5.0;
    QCOMPARE(original.values.size(), 4);
    QCOMPARE(original.timeCount(), 2);
    QCOMPARE(copy.values.size(), 6);
    QCOMPARE(copy.value(2, 0), 5.0);
    QCOMPARE(original.value(0, 0), 1.0);
}

void TestData::sizeLimits()
{
    const qint64 max = Data::maxValueCount();
    // The largest QVector<double> Qt 5 can allocate holds a little under 2^28 values.
    QVERIFY(max > 268000000 && max < (qint64(1) << 28));
    QVERIFY(Data::canHold(0, 0));
    QVERIFY(Data::canHold(50000, 200));
    QVERIFY(Data::canHold(max, 1));
    QVERIFY(!Data::canHold(max + 1, 1));
    QVERIFY(!Data::canHold(100000, 100000));
    // Products that overflow 64 bits must not wrap into "fits".
    QVERIFY(!Data::canHold(qint64(1) << 40, qint64(1) << 40));
    QVERIFY(!Data::canHold(-1, 10));
}

void TestData::selectionTypes()
{
    const Data data(5, 10); // 5 times, 10 attributes

    const Selection value(data, 3, 3, 4, 4);
    QCOMPARE(value.type, int(Selection::Value));
    QCOMPARE(value.typeName(), QStringLiteral("value"));

    const Selection attribute(data, 3, 3, 4, 0);
    QCOMPARE(attribute.firstTime, 0);
    QCOMPARE(attribute.lastTime, 4);
    QCOMPARE(attribute.type, int(Selection::Attribute));
    QCOMPARE(attribute.typeName(), QStringLiteral("attribute"));
    QCOMPARE(attribute.timeCount(), 5);

    const Selection time(data, 0, 9, 2, 2);
    QCOMPARE(time.type, int(Selection::Time));
    QCOMPARE(time.attributeCount(), 10);

    const Selection zone(data, 2, 5, 2, 2);
    QCOMPARE(zone.type, int(Selection::Zone));
    QCOMPARE(zone.typeName(), QStringLiteral("zone"));
    QCOMPARE(zone.attributeCount(), 4);

    // A single cell is a value even though it also spans every attribute and time.
    const Selection single(Data(1, 1), 0, 0, 0, 0);
    QCOMPARE(single.type, int(Selection::Value));
}

void TestData::wrappingSelection()
{
    Data data(3, 10);
    for (int a = 0; a < 10; ++a) {
        data.attributes[a] = QStringLiteral("A%1").arg(a);
        for (int t = 0; t < 3; ++t)
            data.values[t * 10 + a] = t * 100 + a;
    }
    const Selection wrap(data, 8, 1, 2, 1);
    QCOMPARE(wrap.type, int(Selection::Zone));
    QCOMPARE(wrap.attributeCount(), 4);
    QCOMPARE(wrap.timeCount(), 2);
    QCOMPARE(QVector<int>({wrap.attributeIndex(0), wrap.attributeIndex(1), wrap.attributeIndex(2),
                           wrap.attributeIndex(3)}),
             QVector<int>({8, 9, 0, 1}));
    QCOMPARE(wrap.attributeName(2), QStringLiteral("A0"));
    QCOMPARE(wrap.value(3, 1), 201.0); // attribute 1 at time 1 + 1
    QCOMPARE(wrap.value(0, 0), 108.0);
}

void TestData::defaultSelectionAndAnnotation()
{
    const Selection none;
    QCOMPARE(none.type, int(Selection::None));
    QCOMPARE(none.typeName(), QString());
    QCOMPARE(none.attributeCount(), 0);
    QCOMPARE(none.timeCount(), 0);

    const Annotation empty;
    QVERIFY(!empty.hasSelection);
    QCOMPARE(empty.selection.type, int(Selection::None));

    const Data data(2, 2);
    const Annotation note(QStringLiteral("pump\nrestarted"), Selection(data, 1, 1, 0, 1));
    QVERIFY(note.hasSelection);
    QCOMPARE(note.text, QStringLiteral("pump\nrestarted"));
    QCOMPARE(note.selection.type, int(Selection::Attribute));
    // The annotation shares the table rather than copying it.
    QCOMPARE(note.selection.data.values.constData(), data.values.constData());
}

QTEST_GUILESS_MAIN(TestData)
#include "tst_data.moc"
