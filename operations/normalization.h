#ifndef VIREO_OPERATIONS_NORMALIZATION_H
#define VIREO_OPERATIONS_NORMALIZATION_H

#include "core/data.h"
#include "core/task.h"

// Maps the values linearly onto 0..1, with one range for the whole data
// (Global) or one per attribute (Local). Missing values stay missing.
class Normalization : public TypedTask<Data>
{
public:
    enum Mode
    {
        Global = 0,
        Local = 1
    };

    Normalization(const Data &data, int modeNormalisation);

    void run() override;

private:
    void normalize();

    Data m_data;
    int m_modeNormalisation;
};

#endif // VIREO_OPERATIONS_NORMALIZATION_H
