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

    QString validate(qint64 &stepCount) const;
    bool resample(Data &output, const QVector<qint64> &times);
    void storeSteps(const Step *steps, int count, double *rows, double *carry) const;
    template <int Mode>
    void storeRows(const Step *steps, int count, double *rows, double *carry) const;
    template <int Mode, int Width>
    void storeBlock(const Step &step, int first, double *row, double *carry) const;
    double incomingCarry(const Step *steps, int index, int attribute, double batchCarry) const;
    double outOfRange(const Step &step, int attribute, double incoming) const;
    bool reportStored(qint64 &stored, qint64 total, qint64 now);

    Data m_data;
    int m_modeAgregation;
    qint64 m_deltaT;
};

#endif // VIREO_OPERATIONS_AGREGATION_H
