#ifndef VIREO_OPERATIONS_BLOCKSCORER_H
#define VIREO_OPERATIONS_BLOCKSCORER_H

#include "core/data.h"
#include "core/selection.h"

#include <vector>

// The coefficients of every rotation for one block of consecutive time shifts.
// The sliding sums of a column (one per attribute in use) are computed once
// for all the rotations that use it. A block's columns are copied contiguous
// when that takes little memory, and read in the table otherwise.
class BlockScorer
{
public:
    // Cells of one attribute over consecutive times: contiguous in a copy, one
    // row apart in the table itself.
    struct Column
    {
        const double *cells;
        size_t step;

        double at(int t) const { return cells[size_t(t) * step]; }
    };
    // Population statistics of one block of cells.
    struct Moments
    {
        double mean = 0.0;
        double variance = 0.0;
        bool hasDeviation = false;
    };

    BlockScorer(const Selection &model, int firstRotation, int rotations, int firstShift);

    // Shifts per block: bounds the memory and the work between checkpoints.
    int blockLength(int shifts, qint64 windows) const;
    // Bytes of the working buffers for blocks of that length.
    qint64 workingBytes(int length) const;
    // Rotations scored between two checkpoints.
    int rotationGroup(int length) const;
    // Takes the shifts firstShift + first .. + count - 1; then sumColumn()
    // for every column, then score() for every rotation. Different columns,
    // and different rotations with their own scratch, may run at once.
    void load(int first, int count);
    int columnCount() const { return int(m_attributes.size()); }
    void sumColumn(int c);
    struct Scratch
    {
        std::vector<double> sums;
        std::vector<double> squares;
        std::vector<double> products;
        std::vector<double> rowProducts;
    };
    void score(int rotation, double *coefficients, Scratch &scratch) const;

private:
    int column(int rotation, int i) const
    {
        return m_slots[size_t((m_firstRotation + rotation + i) % m_attributeCount)];
    }
    Column series(int c) const;
    bool isFlat(int rotation, int shift) const;
    void computeModelMoments(bool flat);

    Data m_data;
    int m_attributeCount;
    int m_modelAttributes;
    int m_modelTimes;
    int m_firstRotation;
    int m_firstShift;
    double m_cellCount;
    qint64 m_budget;               // cells of working memory
    std::vector<int> m_attributes; // attribute of each column in use
    std::vector<int> m_slots;      // column of each attribute, -1 when unused
    std::vector<double> m_model;   // one run of m_modelTimes cells per model attribute
    Moments m_modelMoments;

    int m_first = 0;
    int m_count = 0;
    bool m_copied = false;
    size_t m_stride = 0;          // cells kept per copied column
    std::vector<double> m_series; // the block's cells, column by column, when copied
    std::vector<double> m_sums;
    std::vector<double> m_squares;
};

#endif // VIREO_OPERATIONS_BLOCKSCORER_H
