#include "operations/normalization.h"

#include <QtNumeric>

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

namespace {

constexpr double Infinity = std::numeric_limits<double>::infinity();

// Attributes are taken eight at a time in local arrays: fixed-width loops
// that the compiler turns into vector instructions without alias checks.
constexpr int Lanes = 8;

// Extremes of each attribute over a run of rows. Starting from +inf and -inf
// with strict comparisons skips NaN and keeps the first of equal extremes
// (0.0 and -0.0), as vector minimum and maximum instructions do. An attribute
// without values ends with min > max.
void measureRows(const double *rows, int count, int attributes, double *min, double *max)
{
    int a = 0;
    for (; a + Lanes <= attributes; a += Lanes) {
        double low[Lanes], high[Lanes];
        for (int l = 0; l < Lanes; ++l) {
            low[l] = Infinity;
            high[l] = -Infinity;
        }
        for (int t = 0; t < count; ++t) {
            const double *x = rows + qsizetype(t) * attributes + a;
            for (int l = 0; l < Lanes; ++l) {
                low[l] = x[l] < low[l] ? x[l] : low[l];
                high[l] = x[l] > high[l] ? x[l] : high[l];
            }
        }
        std::copy(low, low + Lanes, min + a);
        std::copy(high, high + Lanes, max + a);
    }
    for (; a < attributes; ++a) {
        double low = Infinity, high = -Infinity;
        for (int t = 0; t < count; ++t) {
            const double x = rows[qsizetype(t) * attributes + a];
            low = x < low ? x : low;
            high = x > high ? x : high;
        }
        min[a] = low;
        max[a] = high;
    }
}

// x * scale + shift, NaN kept; the maximum can round to just above 1.
inline double scaled(double x, double scale, double shift)
{
    const double y = x * scale + shift;
    return 1.0 < y ? 1.0 : y;
}

void scaleRows(const double *in, double *out, qsizetype rows, int attributes, const double *scales,
               const double *shifts)
{
    for (qsizetype t = 0; t < rows; ++t) {
        const double *from = in + t * attributes;
        double *to = out + t * attributes;
        int a = 0;
        for (; a + Lanes <= attributes; a += Lanes) {
            double y[Lanes];
            for (int l = 0; l < Lanes; ++l)
                y[l] = scaled(from[a + l], scales[a + l], shifts[a + l]);
            std::copy(y, y + Lanes, to + a);
        }
        for (; a < attributes; ++a)
            to[a] = scaled(from[a], scales[a], shifts[a]);
    }
}

// The first value equal to zero, which tells the sign of a zero extreme.
double firstZero(const double *values, qsizetype count)
{
    for (qsizetype i = 0; i < count; ++i) {
        if (values[i] == 0.0)
            return values[i];
    }
    return 0.0;
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
    const int attributes = m_data.attributeCount();
    const int times = m_data.timeCount();
    Data output;
    output.attributes = m_data.attributes;
    output.times = m_data.times;
    // Written once from the input rather than copied and then rewritten.
    output.values = newValues(m_data.values.size());
    const double *in = m_data.values.constData();
    double *out = output.values.data();

    // Rows are shared out in slices: a pass over the extremes, then one that
    // scales. Each batch of slices is at most a hundredth of the work, with a
    // check point after it.
    const int slicesPerBatch = parallelism();
    const int batches = std::max(1, std::min(times, 50));
    const int slices = batches * slicesPerBatch;
    const auto sliceStart = [&](int slice) { return int(qint64(times) * slice / slices); };
    int attributesDone = 0;
    // Progress as if attributes were done one by one, each at its share of
    // the work.
    const auto reach = [&](qint64 rows) {
        const int done = int(qint64(attributes) * rows / (2 * qint64(std::max(times, 1))));
        for (; attributesDone < done; ++attributesDone) {
            if (!checkpoint(attributesDone, attributes))
                return false;
        }
        return checkpoint(progress());
    };

    // Slices merged in row order, strictly, as one pass would.
    std::vector<double> min(size_t(attributes), Infinity), max(min.size(), -Infinity);
    std::vector<double> sliceMin(size_t(slicesPerBatch) * min.size()), sliceMax(sliceMin.size());
    for (int batch = 0; batch < batches; ++batch) {
        runInParallel(slicesPerBatch, [&](int index, int) {
            const int first = sliceStart(batch * slicesPerBatch + index);
            const int end = sliceStart(batch * slicesPerBatch + index + 1);
            measureRows(in + qsizetype(first) * attributes, end - first, attributes,
                        sliceMin.data() + qsizetype(index) * attributes,
                        sliceMax.data() + qsizetype(index) * attributes);
        });
        for (int index = 0; index < slicesPerBatch; ++index) {
            const double *lows = sliceMin.data() + qsizetype(index) * attributes;
            const double *highs = sliceMax.data() + qsizetype(index) * attributes;
            for (int a = 0; a < attributes; ++a) {
                min[size_t(a)] = lows[a] < min[size_t(a)] ? lows[a] : min[size_t(a)];
                max[size_t(a)] = highs[a] > max[size_t(a)] ? highs[a] : max[size_t(a)];
            }
        }
        if (!reach(sliceStart((batch + 1) * slicesPerBatch)))
            return;
    }
    if (m_modeNormalisation != Local) {
        double low = Infinity, high = -Infinity;
        for (int a = 0; a < attributes; ++a) {
            low = min[size_t(a)] < low ? min[size_t(a)] : low;
            high = max[size_t(a)] > high ? max[size_t(a)] : high;
        }
        // Attributes interleave: a zero extreme takes the sign of the first
        // zero in row order.
        const qsizetype count = m_data.values.size();
        if (low == 0.0)
            low = firstZero(in, count);
        if (high == 0.0)
            high = firstZero(in, count);
        std::fill(min.begin(), min.end(), low);
        std::fill(max.begin(), max.end(), high);
    }

    std::vector<double> scales(min.size()), shifts(min.size());
    std::vector<int> infiniteConstants;
    for (int a = 0; a < attributes; ++a) {
        const double low = min[size_t(a)], high = max[size_t(a)];
        if (low > high) { // no value at all
            scales[size_t(a)] = shifts[size_t(a)] = qQNaN();
            continue;
        }
        // A constant is data, not missing data: it sits at the bottom (0).
        const bool flat = low == high;
        scales[size_t(a)] = flat ? 0.0 : 1.0 / (high - low);
        shifts[size_t(a)] = flat ? 0.0 : -(scales[size_t(a)] * low);
        // Only an infinite constant is not brought to 0 by a zero scale.
        if (flat && std::isinf(low))
            infiniteConstants.push_back(a);
    }

    for (int batch = 0; batch < batches; ++batch) {
        runInParallel(slicesPerBatch, [&](int index, int) {
            const int slice = batch * slicesPerBatch + index;
            const int first = sliceStart(slice), end = sliceStart(slice + 1);
            const qsizetype offset = qsizetype(first) * attributes;
            scaleRows(in + offset, out + offset, end - first, attributes, scales.data(),
                      shifts.data());
            for (int a : infiniteConstants) {
                for (int t = first; t < end; ++t) {
                    double &v = out[qsizetype(t) * attributes + a];
                    v = std::isnan(v) ? v : 0.0;
                }
            }
        });
        if (!reach(times + sliceStart((batch + 1) * slicesPerBatch)))
            return;
    }
    succeed(output);
}
