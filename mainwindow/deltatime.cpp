#include "mainwindow/deltatime.h"

const DeltaTime::Fields DeltaTime::weights = {365 * 86400, 30 * 86400, 86400, 3600, 60, 1};

qint64 DeltaTime::total(const Fields &fields)
{
    qint64 seconds = 0;
    for (std::size_t i = 0; i < fields.size(); ++i)
        seconds += qint64(fields[i]) * weights[i];
    return seconds;
}

DeltaTime::Fields DeltaTime::split(qint64 seconds)
{
    Fields fields{};
    qint64 rest = bounded(seconds);
    for (std::size_t i = 0; i < fields.size(); ++i) {
        fields[i] = int(rest / weights[i]);
        rest %= weights[i];
    }
    return fields;
}

qint64 DeltaTime::stepCount(qint64 span, qint64 deltaT)
{
    return qMax<qint64>(span, 0) / bounded(deltaT) + 1;
}

qint64 DeltaTime::forStepCount(qint64 span, qint64 count)
{
    // span / ΔT < count exactly when ΔT > span / count.
    return bounded(qMax<qint64>(span, 0) / qMax<qint64>(count, 1) + 1);
}
