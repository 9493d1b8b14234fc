#include "mainwindow/deltatime.h"

#include <QTest>

class TestDeltaTime : public QObject
{
    Q_OBJECT

private slots:
    // Seconds and their split, both ways: the editors show one as the other.
    void fields()
    {
        const std::pair<qint64, DeltaTime::Fields> cases[] = {
            {3600, {0, 0, 0, 1, 0, 0}},
            {90000, {0, 0, 1, 1, 0, 0}},
            {2592000, {0, 1, 0, 0, 0, 0}},
            {31536000, {1, 0, 0, 0, 0, 0}},     // 365 days, not 365 months
            {364 * 86400, {0, 12, 4, 0, 0, 0}}, // 12 months of 30 days leave 5 days of the year
            // 68 * 31536000 = 2144448000; the 3035647 s left are 1 month, 5 days, 3 hours,
            // 14 minutes and 7 seconds.
            {DeltaTime::maximum, {68, 1, 5, 3, 14, 7}},
            {31536000 + 2 * 2592000 + 3 * 86400 + 4 * 3600 + 5 * 60 + 6, {1, 2, 3, 4, 5, 6}}};
        for (const auto &c : cases) {
            QCOMPARE(DeltaTime::split(c.first), c.second);
            QCOMPARE(DeltaTime::total(c.second), c.first);
        }
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

    void stepCount()
    {
        // Span, ΔT, steps: 3000 rows 5 minutes apart, a partial last step, an exact division,
        // a step beyond the span, no span, no step.
        const qint64 cases[][3] = {
            {2999 * 300, 300, 3000}, {10, 3, 4}, {9, 3, 4}, {10, 100, 1}, {0, 5, 1}, {10, 0, 11}};
        for (const auto &c : cases)
            QCOMPARE(DeltaTime::stepCount(c[0], c[1]), c[2]);
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
