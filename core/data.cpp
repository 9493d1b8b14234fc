#include "core/data.h"

#include <QtNumeric>

Data::Data(const QVector<QString> &attributeNames, int timeCount)
    : attributes(attributeNames)
    , values(attributeNames.size() * timeCount, qQNaN())
    , times(timeCount)
{
    Q_ASSERT(canHold(timeCount, attributeNames.size()));
}

Data::Data(int timeCount, int attributeCount)
    : attributes(attributeCount)
    , values(timeCount * attributeCount, qQNaN())
    , times(timeCount)
{
    Q_ASSERT(canHold(timeCount, attributeCount));
}

double *Data::addTimeStep(const QDateTime &time)
{
    const int count = attributes.size();
    times.append(time);
    const int start = values.size();
    values.resize(start + count); // value-initialised: the row holds zeros
    return values.data() + start;
}

bool Data::canHold(qint64 timeCount, qint64 attributeCount)
{
    if (timeCount < 0 || attributeCount < 0)
        return false;
    if (timeCount > maxValueCount() || attributeCount > maxValueCount())
        return false;
    return timeCount * attributeCount <= maxValueCount();
}
