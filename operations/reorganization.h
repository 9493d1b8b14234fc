#ifndef VIREO_OPERATIONS_REORGANIZATION_H
#define VIREO_OPERATIONS_REORGANIZATION_H

#include "core/data.h"
#include "core/task.h"

#include <QVector>

// Reorders the attributes so that related ones become neighbours, and keeps
// the order applied: entry i of permutation() is the input index of the
// attribute at position i of the result.
class Reorganization : public TypedTask<Data>
{
public:
    enum Mode
    {
        Bea = 0,
        FirstValue = 1
    };

    Reorganization(const Data &data, int mode);

    void run() override;

    QVector<int> permutation() const { return m_permutation; }

private:
    void reorganize();
    bool orderByBonds(QVector<int> &order);
    bool orderByFirstValue(QVector<int> &order);
    Data permuted(const QVector<int> &order) const;

    Data m_data;
    int m_mode;
    QVector<int> m_permutation;
};

#endif // VIREO_OPERATIONS_REORGANIZATION_H
