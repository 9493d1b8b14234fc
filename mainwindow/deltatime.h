#ifndef VIREO_MAINWINDOW_DELTATIME_H
#define VIREO_MAINWINDOW_DELTATIME_H

#include <QtGlobal>

#include <array>

// The arithmetic of the aggregation step editors: a step ΔT in whole seconds,
// its calendar split (a year of 365 days, a month of 30) and the number of
// steps it cuts a time span into. Every result lies within 1..maximum, the
// range of the seconds editor.
class DeltaTime
{
public:
    // Years, months, days, hours, minutes, seconds.
    using Fields = std::array<int, 6>;

    static constexpr qint64 maximum = 2147483647;
    static const Fields weights;

    // The seconds of the fields, unbounded (0 when they are all 0).
    static qint64 total(const Fields &fields);
    // Truncating split, largest unit first: maximum gives 68 years at most.
    static Fields split(qint64 seconds);
    static qint64 bounded(qint64 seconds) { return qBound<qint64>(1, seconds, maximum); }
    static int maximumYears() { return int(maximum / weights[0]); }

    // Steps the aggregation makes of span: one per started ΔT, plus the last.
    static qint64 stepCount(qint64 span, qint64 deltaT);
    // The smallest ΔT giving at most count steps, and exactly count whenever
    // some ΔT does.
    static qint64 forStepCount(qint64 span, qint64 count);
};

#endif // VIREO_MAINWINDOW_DELTATIME_H
