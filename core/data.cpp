#include "core/data.h"

#include <QCoreApplication>
#include <QtNumeric>

Data::Data(const QVector<QString> &attributeNames, int timeCount)
    : attributes(attributeNames), values(attributeNames.size() * timeCount, qQNaN()),
      times(timeCount)
{
    Q_ASSERT(canHold(timeCount, attributeNames.size()));
}

Data::Data(int timeCount, int attributeCount)
    : attributes(attributeCount), values(timeCount * attributeCount, qQNaN()), times(timeCount)
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

bool Data::canHold(qint64 timeCount, qint64 attributeCount, qint64 valueLimit)
{
    const qint64 limit = qMin(valueLimit, maxValueCount());
    if (timeCount < 0 || attributeCount < 0)
        return false;
    if (timeCount > limit || attributeCount > limit)
        return false;
    return timeCount * attributeCount <= limit;
}

QString Data::sizeProblem(qint64 timeCount, qint64 attributeCount, qint64 valueLimit)
{
    if (canHold(timeCount, attributeCount, valueLimit))
        return QString();
    // The product may not fit in 64 bits; it is only shown.
    return QCoreApplication::translate("Task", "%1 attributes at %2 times make %3 values, more "
                                               "than the %4 a table can hold.")
        .arg(attributeCount)
        .arg(timeCount)
        .arg(QString::number(double(attributeCount) * double(timeCount), 'f', 0))
        .arg(qMin(valueLimit, maxValueCount()));
}
