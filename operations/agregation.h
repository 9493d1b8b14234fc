#ifndef VIREO_OPERATIONS_AGREGATION_H
#define VIREO_OPERATIONS_AGREGATION_H

#include "core/data.h"
#include "core/task.h"

#include <QVector>

// Resamples every attribute onto regular steps of deltaT seconds starting at
// the first time stamp; each step is labelled with the end of its interval.
// A sample whose interval crosses a boundary is held into the next steps.
class Agregation : public TypedTask<Data>
{
public:
    enum Mode
    {
        Sum = 0,
        Average = 1,
        Max = 2,
        Min = 3
    };

    Agregation(const Data &data, int modeAgregation, qint64 deltaT);

    void run() override;

private:
    struct Step;
    struct Cells;

    QString validate(qint64 &stepCount) const;
    // Attributes [first, end).
    struct Range
    {
        int first;
        int end;
    };

    bool resample(Data &output, const QVector<qint64> &times);
    void combine(Cells &cells, const Step &step, const Range &range) const;
    void close(Cells &cells, const Step &step, const QVector<qint64> &times,
               const Range &range) const;
    bool reportStored(Cells &cells, qint64 stored);
    double finiteMean(const Step &step, int attribute, double overflowed) const;

    Data m_data;
    int m_modeAgregation;
    qint64 m_deltaT;
};

#endif // VIREO_OPERATIONS_AGREGATION_H
