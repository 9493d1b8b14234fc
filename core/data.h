#ifndef VIREO_CORE_DATA_H
#define VIREO_CORE_DATA_H

#include <QDateTime>
#include <QMetaType>
#include <QString>
#include <QVector>

// One multivariate time series. The value of attribute a at time index t is
// values[t * A + a]; a missing value is a quiet NaN. All three members are
// implicitly shared, so copies are cheap until one of them is modified.
class Data
{
public:
    Data() = default;
    Data(const QVector<QString> &attributeNames, int timeCount);
    Data(int timeCount, int attributeCount);

    int attributeCount() const { return attributes.size(); }
    int timeCount() const { return times.size(); }

    // Appends one row of zeros stamped with time and returns that row, valid
    // until the next change of this Data.
    double *addTimeStep(const QDateTime &time);

    QDateTime firstTime() const { return times.first(); }
    QDateTime lastTime() const { return times.last(); }
    QDateTime timeAt(int index) const { return times.at(index); }

    double value(int timeIndex, int attributeIndex) const
    {
        return values.at(qsizetype(timeIndex) * attributes.size() + attributeIndex);
    }

    // Qt 5 containers cannot exceed 2^31 bytes, header included; sizes are
    // checked against this before anything is allocated, so a huge input
    // fails instead of aborting.
    static constexpr qint64 maxElementCount(qint64 elementSize)
    {
        return (qint64(INT_MAX) - 64) / elementSize;
    }
    static constexpr qint64 maxValueCount() { return maxElementCount(sizeof(double)); }
    static bool canHold(qint64 timeCount, qint64 attributeCount,
                        qint64 valueLimit = maxValueCount());
    // Why a table of that size cannot be made, for a failure message; empty
    // when it can.
    static QString sizeProblem(qint64 timeCount, qint64 attributeCount,
                               qint64 valueLimit = maxValueCount());

    QVector<QString> attributes;
    QVector<double> values;
    QVector<QDateTime> times;
};

Q_DECLARE_METATYPE(Data)

#endif // VIREO_CORE_DATA_H
