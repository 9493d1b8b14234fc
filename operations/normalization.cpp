#include "operations/normalization.h"

#include <QtNumeric>

#include <algorithm>
#include <cmath>

namespace {

// Attributes are scaled a block at a time so that each pass over the rows
// reads whole cache lines instead of one value per line.
constexpr int BlockSize = 32;

struct Range
{
    double min = qQNaN();
    double max = qQNaN();

    void add(double x)
    {
        if (std::isnan(x))
            return;
        if (std::isnan(min) || min > x)
            min = x;
        if (std::isnan(max) || max < x)
            max = x;
    }
};

// The rows' values of attributes [first, end).
struct Block
{
    double *values;
    int times;
    int stride;
    int first;
    int end;

    double *row(int t) const { return values + qsizetype(t) * stride; }
};

void measure(const Block &block, Range *ranges)
{
    for (int t = 0; t < block.times; ++t) {
        const double *row = block.row(t);
        for (int a = block.first; a < block.end; ++a)
            ranges[a].add(row[a]);
    }
}

void scale(const Block &block, const Range *ranges)
{
    double scales[BlockSize];
    double shifts[BlockSize];
    bool constant = false;
    for (int a = block.first; a < block.end; ++a) {
        const Range &r = ranges[a];
        // A constant is data, not missing data: it sits at the bottom (0).
        const bool flat = r.min == r.max;
        constant = constant || flat;
        scales[a - block.first] = flat ? 0.0 : 1.0 / (r.max - r.min);
        shifts[a - block.first] = flat ? 0.0 : -(scales[a - block.first] * r.min);
    }
    // NaN stays NaN through the arithmetic (and through std::min), and so does
    // an empty range. The maximum can round to just above 1.
    for (int t = 0; t < block.times; ++t) {
        double *row = block.row(t) + block.first;
        for (int i = 0; i < block.end - block.first; ++i)
            row[i] = std::min(row[i] * scales[i] + shifts[i], 1.0);
    }
    if (!constant)
        return;
    // Only an infinite constant is not brought to 0 by a zero scale.
    for (int a = block.first; a < block.end; ++a) {
        if (ranges[a].min != ranges[a].max || !std::isinf(ranges[a].min))
            continue;
        for (int t = 0; t < block.times; ++t) {
            double &v = block.row(t)[a];
            v = std::isnan(v) ? v : 0.0;
        }
    }
}

} // namespace

Normalization::Normalization(const Data &data, int modeNormalisation)
    : m_data(data), m_modeNormalisation(modeNormalisation)
{}

void Normalization::run()
{
    if (!withinMemory([this] { normalize(); }))
        fail(Task::tr("Not enough memory to normalize the data."));
}

void Normalization::normalize()
{
    claimMemory(qint64(m_data.values.size()) * qint64(sizeof(double)));
    Data output = m_data;
    const int attributes = output.attributeCount();
    const int times = output.timeCount();
    const bool local = m_modeNormalisation == Local;
    QVector<Range> ranges(attributes);
    double *values = output.values.data();
    if (!local) {
        // Ranges of runs of rows, merged in row order: the first of equal
        // extremes (0.0 and -0.0) is kept, as in one pass.
        const int rowsPerRun = 4096;
        QVector<Range> runs((times + rowsPerRun - 1) / rowsPerRun);
        Range *runRanges = runs.data();
        runInParallel(runs.size(), [&](int run, int) {
            const double *begin = values + qsizetype(run) * rowsPerRun * attributes;
            const double *end =
                values + qsizetype(std::min(times, (run + 1) * rowsPerRun)) * attributes;
            for (const double *x = begin; x != end; ++x)
                runRanges[run].add(*x);
        });
        Range all;
        for (const Range &range : qAsConst(runs)) {
            all.add(range.min);
            all.add(range.max);
        }
        ranges.fill(all);
    }
    // Blocks of attributes are independent; a group of them between two
    // checkpoints.
    const int blocks = (attributes + BlockSize - 1) / BlockSize;
    const int group = 4 * parallelism();
    Range *rangeData = ranges.data();
    for (int firstBlock = 0; firstBlock < blocks; firstBlock += group) {
        const int groupEnd = std::min(blocks, firstBlock + group);
        runInParallel(groupEnd - firstBlock, [&](int index, int) {
            const int first = (firstBlock + index) * BlockSize;
            const Block block{values, times, attributes, first,
                              std::min(first + BlockSize, attributes)};
            if (local)
                measure(block, rangeData);
            scale(block, rangeData);
        });
        for (int a = firstBlock * BlockSize; a < std::min(groupEnd * BlockSize, attributes); ++a) {
            if (!checkpoint(a, attributes))
                return;
        }
    }
    succeed(output);
}
