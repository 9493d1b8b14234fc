#include "core/annotation.h"
#include "core/data.h"
#include "core/selection.h"
#include "testsupport.h"

#include <QtTest>

class TestData : public QObject
{
    Q_OBJECT

private slots:
    void addTimeStepWritesOnlyItsCopy()
    {
        Data original({QStringLiteral("A"), QStringLiteral("B")}, 0);
        const QDateTime t0(QDate(2014, 1, 1), QTime(0, 0), Qt::UTC);
        double *row = original.addTimeStep(t0);
        QCOMPARE(QVector<double>({row[0], row[1]}), QVector<double>({0.0, 0.0}));
        row[0] = 1.5;
        Data copy = original;
        QCOMPARE(copy.values.constData(), original.values.constData()); // shared until written

        // Filling a row through addTimeStep must never write into a shared copy.
        copy.addTimeStep(t0.addSecs(60))[1] = 7.0;
        QCOMPARE(original.values, QVector<double>({1.5, 0.0}));
        QCOMPARE(original.timeCount(), 1);
        QCOMPARE(copy.values, QVector<double>({1.5, 0.0, 0.0, 7.0}));
        QCOMPARE(copy.lastTime(), t0.addSecs(60));
    }
    void sizeLimits()
    {
        const qint64 max = Data::maxValueCount();
        // (2^31 - 1 - 64) / 8: the largest QVector<double> Qt 5 can allocate.
        QCOMPARE(max, qint64(268435447));
        QCOMPARE(Data::maxElementCount(4), qint64(536870895));
        QVERIFY(Data::canHold(0, 0) && Data::canHold(50000, 200) && Data::canHold(max, 1));
        QVERIFY(!Data::canHold(max + 1, 1) && !Data::canHold(100000, 100000) &&
                !Data::canHold(-1, 10));
        // Products that overflow 64 bits must not wrap into "fits".
        QVERIFY(!Data::canHold(qint64(1) << 40, qint64(1) << 40));
        QVERIFY(Data::canHold(3, 2, 6) && !Data::canHold(3, 2, 5));
        QCOMPARE(Data::sizeProblem(3, 2, 6), QString());
        QCOMPARE(Data::sizeProblem(qint64(1) << 40, qint64(1) << 40),
                 QStringLiteral("1099511627776 attributes at 1099511627776 times make "
                                "1208925819614629174706176 values, more than the 268435447 a table "
                                "can hold."));
    }
    void selections_data()
    {
        QTest::addColumn<QVector<int>>("bounds"); // first, last attribute, two times
        QTest::addColumn<int>("type");
        QTest::addColumn<QVector<int>>("attributes");
        QTest::addColumn<int>("times");
        // 10 attributes x 5 times.
        QTest::newRow("value") << QVector<int>{3, 3, 4, 4} << int(Selection::Value)
                               << QVector<int>{3} << 1;
        QTest::newRow("attribute, times reversed")
            << QVector<int>{3, 3, 4, 0} << int(Selection::Attribute) << QVector<int>{3} << 5;
        QTest::newRow("time") << QVector<int>{0, 9, 2, 2} << int(Selection::Time)
                              << QVector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9} << 1;
        QTest::newRow("zone") << QVector<int>{2, 5, 2, 3} << int(Selection::Zone)
                              << QVector<int>{2, 3, 4, 5} << 2;
        QTest::newRow("wrapping zone")
            << QVector<int>{8, 1, 2, 1} << int(Selection::Zone) << QVector<int>{8, 9, 0, 1} << 2;
    }
    void selections()
    {
        QFETCH(QVector<int>, bounds);
        QFETCH(int, type);
        QFETCH(QVector<int>, attributes);
        QFETCH(int, times);
        const Data data = generatedTable(
            10, 5, QDateTime(QDate(2014, 1, 1), QTime(0, 0), Qt::UTC), 1,
            [](int t, int a) { return t * 100.0 + a; }, "A");
        const Selection selection(data, bounds[0], bounds[1], bounds[2], bounds[3]);
        QCOMPARE(selection.type, type);
        QCOMPARE(selection.typeName(),
                 QStringList({"", "value", "attribute", "time", "zone"}).at(type));
        QCOMPARE(selection.attributeCount(), attributes.size());
        QCOMPARE(selection.timeCount(), times);
        const int first = qMin(bounds[2], bounds[3]);
        for (int i = 0; i < attributes.size(); ++i) {
            QCOMPARE(selection.attributeIndex(i), attributes[i]);
            QCOMPARE(selection.attributeName(i), data.attributes.at(attributes[i]));
            QCOMPARE(selection.value(i, times - 1), (first + times - 1) * 100.0 + attributes[i]);
        }
        QCOMPARE(selection.time(0), data.timeAt(first));
    }
    void emptyTablesSelectionsAndNotes()
    {
        // A sized table starts with every value missing.
        const Data sized(3, 2);
        QCOMPARE(sized.attributes, QVector<QString>({QString(), QString()}));
        QVERIFY(!sized.timeAt(0).isValid() && !sized.lastTime().isValid());
        QCOMPARE(sized.values.size(), 6);
        QVERIFY(std::all_of(sized.values.begin(), sized.values.end(),
                            [](double v) { return qIsNaN(v); }));
        const Selection none;
        QCOMPARE(none.type, int(Selection::None));
        QCOMPARE(none.typeName(), QString());
        QCOMPARE(none.attributeCount() + none.timeCount(), 0);
        // A single cell is a value even though it also spans every attribute and time.
        QCOMPARE(Selection(Data(1, 1), 0, 0, 0, 0).type, int(Selection::Value));

        QVERIFY(!Annotation().hasSelection);
        const Data data(2, 2);
        const Annotation note(QStringLiteral("pump"), Selection(data, 1, 1, 0, 1));
        QVERIFY(note.hasSelection);
        // The annotation shares the table rather than copying it.
        QCOMPARE(note.selection.data.values.constData(), data.values.constData());
    }
};

QTEST_GUILESS_MAIN(TestData)
#include "tst_data.moc"
