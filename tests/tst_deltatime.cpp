#include "mainwindow/deltatime.h"

#include <QTest>

Q_DECLARE_METATYPE(DeltaTime::Fields)

class TestDeltaTime : public QObject
{
    Q_OBJECT

private slots:
    // Seconds and their split, both ways: the editors show one as the other.
    void fields_data()
    {
        QTest::addColumn<qint64>("seconds");
        QTest::addColumn<DeltaTime::Fields>("fields");
        QTest::newRow("one hour") << qint64(3600) << DeltaTime::Fields{0, 0, 0, 1, 0, 0};
        QTest::newRow("day and hour") << qint64(90000) << DeltaTime::Fields{0, 0, 1, 1, 0, 0};
        QTest::newRow("month") << qint64(2592000) << DeltaTime::Fields{0, 1, 0, 0, 0, 0};
        // 365 days, not 365 months.
        QTest::newRow("year") << qint64(31536000) << DeltaTime::Fields{1, 0, 0, 0, 0, 0};
        // 12 months of 30 days leave 5 days of the year.
        QTest::newRow("364 days") << qint64(364 * 86400) << DeltaTime::Fields{0, 12, 4, 0, 0, 0};
        // 68 * 31536000 = 2144448000; the 3035647 s left are 1 month, 5 days,
        // 3 hours, 14 minutes and 7 seconds.
        QTest::newRow("maximum") << DeltaTime::maximum << DeltaTime::Fields{68, 1, 5, 3, 14, 7};
        QTest::newRow("every unit")
            << qint64(31536000 + 2 * 2592000 + 3 * 86400 + 4 * 3600 + 5 * 60 + 6)
            << DeltaTime::Fields{1, 2, 3, 4, 5, 6};
    }
    void fields()
    {
        QFETCH(qint64, seconds);
        QFETCH(DeltaTime::Fields, fields);
        QCOMPARE(DeltaTime::split(seconds), fields);
        QCOMPARE(DeltaTime::total(fields), seconds);
    }

    void limits()
    {
        QCOMPARE(DeltaTime::maximumYears(), 68);
        // Fields at their editors' maxima overshoot; the total is not wrapped.
        QCOMPARE(DeltaTime::total({68, 99, 999, 99, 99, 99}), qint64(2487732039));
        QCOMPARE(DeltaTime::bounded(2487732039), DeltaTime::maximum);
        QCOMPARE(DeltaTime::bounded(0), qint64(1));
        QCOMPARE(DeltaTime::total({}), qint64(0));
        // Every split fits the editors: the year field within maximumYears().
        for (qint64 seconds = 1; seconds > 0 && seconds <= DeltaTime::maximum;
             seconds = seconds * 7 + 3) {
            const DeltaTime::Fields fields = DeltaTime::split(seconds);
            QCOMPARE(DeltaTime::total(fields), seconds);
            QVERIFY(fields[0] <= DeltaTime::maximumYears());
            for (int i = 1; i < 6; ++i)
                QVERIFY(fields[i] >= 0 && fields[i] < 999);
        }
    }

    void stepCount_data()
    {
        QTest::addColumn<qint64>("span");
        QTest::addColumn<qint64>("deltaT");
        QTest::addColumn<qint64>("steps");
        // 3000 rows 5 minutes apart.
        QTest::newRow("example file") << qint64(2999 * 300) << qint64(300) << qint64(3000);
        QTest::newRow("10 s by 3 s") << qint64(10) << qint64(3) << qint64(4);
        QTest::newRow("exact division") << qint64(9) << qint64(3) << qint64(4);
        QTest::newRow("step beyond span") << qint64(10) << qint64(100) << qint64(1);
        QTest::newRow("no span") << qint64(0) << qint64(5) << qint64(1);
        QTest::newRow("no step") << qint64(10) << qint64(0) << qint64(11);
    }
    void stepCount()
    {
        QFETCH(qint64, span);
        QFETCH(qint64, deltaT);
        QFETCH(qint64, steps);
        QCOMPARE(DeltaTime::stepCount(span, deltaT), steps);
    }

    // The step count typed is the one the aggregation makes whenever a ΔT
    // can make it, otherwise the nearest below; checked against a search.
    void forStepCount()
    {
        for (qint64 span = 0; span <= 60; ++span) {
            for (qint64 count = 1; count <= 70; ++count) {
                qint64 smallest = 1;
                while (DeltaTime::stepCount(span, smallest) > count)
                    ++smallest;
                QCOMPARE(DeltaTime::forStepCount(span, count), smallest);
            }
        }
        QCOMPARE(DeltaTime::forStepCount(2999 * 300, 3000), qint64(300));
        QCOMPARE(DeltaTime::stepCount(2999 * 300, DeltaTime::forStepCount(2999 * 300, 1000)),
                 qint64(1000));
        // A span beyond the editor's range still gets a step it can show.
        QCOMPARE(DeltaTime::forStepCount(qint64(1) << 40, 1), DeltaTime::maximum);
        QCOMPARE(DeltaTime::forStepCount(100, 0), qint64(101));
    }
};

QTEST_APPLESS_MAIN(TestDeltaTime)
#include "tst_deltatime.moc"
