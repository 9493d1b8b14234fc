#include "operations/blockscorer.h"

#include "core/task.h"

#include <QtNumeric>

#include <algorithm>
#include <cmath>

namespace {

enum class Term
{
    Cell,
    Square,
    Product
};

template <Term term> inline double termOf(double weight, double cell)
{
    if constexpr (term == Term::Cell)
        return cell;
    else if constexpr (term == Term::Square)
        return cell * cell;
    else
        return weight * cell;
}

// out[m] = sum over j < length of the term of series[m + j] (weighted by
// weights[j] for products). Every shift m accumulates its terms from zero in
// the order of j, so equal runs of cells give bit-identical sums wherever they
// lie, copied or not: a window equal to the model then scores exactly 1.
// Taking j four at a time spares loads and stores of out; taking m four at a
// time gives the compiler independent lanes to vectorize. Neither changes
// that order.
template <Term term, bool strided>
void slideAlong(const double *__restrict weights, const double *__restrict series, size_t step,
                int length, double *__restrict out, int count)
{
    constexpr bool weighted = term == Term::Product;
    const auto cell = [series, step](int i) {
        return strided ? series[size_t(i) * step] : series[i];
    };
    std::fill(out, out + count, 0.0);
    int j = 0;
    for (; j + 4 <= length; j += 4) {
        const double w0 = weighted ? weights[j] : 0.0;
        const double w1 = weighted ? weights[j + 1] : 0.0;
        const double w2 = weighted ? weights[j + 2] : 0.0;
        const double w3 = weighted ? weights[j + 3] : 0.0;
        int m = 0;
        for (; m + 4 <= count; m += 4) {
            double v[4];
            for (int k = 0; k < 4; ++k)
                v[k] = out[m + k];
            for (int k = 0; k < 4; ++k)
                v[k] += termOf<term>(w0, cell(j + m + k));
            for (int k = 0; k < 4; ++k)
                v[k] += termOf<term>(w1, cell(j + m + k + 1));
            for (int k = 0; k < 4; ++k)
                v[k] += termOf<term>(w2, cell(j + m + k + 2));
            for (int k = 0; k < 4; ++k)
                v[k] += termOf<term>(w3, cell(j + m + k + 3));
            for (int k = 0; k < 4; ++k)
                out[m + k] = v[k];
        }
        for (; m < count; ++m) {
            double v = out[m];
            v += termOf<term>(w0, cell(j + m));
            v += termOf<term>(w1, cell(j + m + 1));
            v += termOf<term>(w2, cell(j + m + 2));
            v += termOf<term>(w3, cell(j + m + 3));
            out[m] = v;
        }
    }
    for (; j < length; ++j) {
        const double w = weighted ? weights[j] : 0.0;
        for (int m = 0; m < count; ++m)
            out[m] += termOf<term>(w, cell(j + m));
    }
}

template <Term term>
void slide(const double *weights, const BlockScorer::Column &series, int length, double *out,
           int count)
{
    if (series.step == 1)
        slideAlong<term, false>(weights, series.cells, 1, length, out, count);
    else
        slideAlong<term, true>(weights, series.cells, series.step, length, out, count);
}

BlockScorer::Moments momentsOf(double sum, double squares, double cellCount, bool flat)
{
    BlockScorer::Moments moments;
    moments.mean = sum / cellCount;
    moments.variance = squares / cellCount - moments.mean * moments.mean;
    // A flat block has no deviation, even where rounding leaves a trace of one;
    // dividing by it would rate it as perfectly correlated with anything.
    moments.hasDeviation = !flat && moments.variance > 0.0 && std::isfinite(moments.variance);
    return moments;
}

double coefficientOf(double meanOfProducts, const BlockScorer::Moments &x,
                     const BlockScorer::Moments &y)
{
    if (!x.hasDeviation || !y.hasDeviation)
        return qQNaN();
    const double covariance = meanOfProducts - x.mean * y.mean;
    // sqrt(vx * vy) rather than sqrt(vx) * sqrt(vy): a block compared with an
    // equal one gives exactly 1, so a threshold of 0 still finds it.
    double deviations = std::sqrt(x.variance * y.variance);
    if (!(deviations > 0.0) || std::isinf(deviations)) // the product left the double range
        deviations = std::sqrt(x.variance) * std::sqrt(y.variance);
    return covariance / deviations;
}

} // namespace

BlockScorer::BlockScorer(const Selection &model, int firstRotation, int rotations, int firstShift)
    : m_data(model.data), m_attributeCount(model.data.attributeCount()),
      m_modelAttributes(model.attributeCount()), m_modelTimes(model.timeCount()),
      m_firstRotation(firstRotation), m_firstShift(firstShift),
      m_cellCount(double(m_modelAttributes) * m_modelTimes),
      // A quarter of the table, within bounds that keep blocks efficient.
      m_budget(std::clamp<qint64>(qint64(model.data.values.size()) / 4, 1 << 16, 1 << 22)),
      m_slots(size_t(m_attributeCount), -1)
{
    for (int rotation = 0; rotation < rotations; ++rotation) {
        for (int i = 0; i < m_modelAttributes; ++i) {
            const int attribute = (firstRotation + rotation + i) % m_attributeCount;
            if (m_slots[size_t(attribute)] < 0) {
                m_slots[size_t(attribute)] = int(m_attributes.size());
                m_attributes.push_back(attribute);
            }
        }
    }
    m_model.reserve(size_t(m_cellCount));
    bool flat = true;
    for (int i = 0; i < m_modelAttributes; ++i) {
        for (int j = 0; j < m_modelTimes; ++j) {
            m_model.push_back(model.value(i, j));
            flat = flat && m_model.back() == m_model.front();
        }
    }
    computeModelMoments(flat);
}

void BlockScorer::computeModelMoments(bool flat)
{
    // Same sums, in the same order, as a window's in score().
    double sum = 0.0;
    double squares = 0.0;
    for (int i = 0; i < m_modelAttributes; ++i) {
        const Column cells{m_model.data() + size_t(i) * size_t(m_modelTimes), 1};
        double cellSum = 0.0;
        double squareSum = 0.0;
        slide<Term::Cell>(nullptr, cells, m_modelTimes, &cellSum, 1);
        slide<Term::Square>(nullptr, cells, m_modelTimes, &squareSum, 1);
        sum += cellSum;
        squares += squareSum;
    }
    m_modelMoments = momentsOf(sum, squares, m_cellCount, flat);
}

int BlockScorer::blockLength(int shifts, qint64 windows) const
{
    const qint64 columns = std::max<qint64>(qint64(m_attributes.size()), 1);
    const qint64 cellsPerShift = columns * m_modelTimes;
    // At most 1 % of the windows between two checkpoints, and two sums per
    // column and shift within the budget.
    const qint64 longest =
        std::min<qint64>({1024, shifts, std::max<qint64>(windows / 100, 1),
                          m_budget / (2 * columns), m_budget / std::max<qint64>(cellsPerShift, 1)});
    return int(std::max<qint64>(longest, 1));
}

int BlockScorer::rotationGroup(int length) const
{
    // A few million products per group, at least one rotation per thread.
    const qint64 perRotation = std::max<qint64>(qint64(length) * qint64(m_cellCount), 1);
    return int(std::clamp<qint64>((qint64(1) << 23) / perRotation, Task::parallelism(),
                                  16 * Task::parallelism()));
}

qint64 BlockScorer::workingBytes(int length) const
{
    const qint64 columns = qint64(m_attributes.size());
    const qint64 copied = std::min<qint64>(columns * (length + m_modelTimes - 1), m_budget);
    const qint64 scratch = qint64(rotationGroup(length) + 4 * Task::parallelism()) * length;
    return (qint64(m_model.size()) + copied + 2 * columns * length + scratch) *
           qint64(sizeof(double));
}

void BlockScorer::load(int first, int count)
{
    m_first = first;
    m_count = count;
    if (!m_modelMoments.hasDeviation)
        return; // every coefficient is NaN
    const size_t columns = m_attributes.size();
    const int rows = count + m_modelTimes - 1;
    m_copied = qint64(columns) * rows <= m_budget;
    m_sums.resize(columns * size_t(count));
    m_squares.resize(columns * size_t(count));
    if (!m_copied)
        return;
    m_stride = size_t(rows);
    m_series.resize(columns * m_stride);
    const double *values = m_data.values.constData();
    const int rowsPerJob = 256;
    Task::runInParallel((rows + rowsPerJob - 1) / rowsPerJob, [&](int job, int) {
        for (int t = job * rowsPerJob; t < std::min(rows, (job + 1) * rowsPerJob); ++t) {
            const double *row = values + qsizetype(m_firstShift + first + t) * m_attributeCount;
            for (size_t c = 0; c < columns; ++c)
                m_series[c * m_stride + size_t(t)] = row[m_attributes[c]];
        }
    });
}

BlockScorer::Column BlockScorer::series(int c) const
{
    if (m_copied)
        return {m_series.data() + size_t(c) * m_stride, 1};
    const qsizetype row = qsizetype(m_firstShift + m_first) * m_attributeCount;
    return {m_data.values.constData() + row + m_attributes[size_t(c)], size_t(m_attributeCount)};
}

void BlockScorer::sumColumn(int c)
{
    if (!m_modelMoments.hasDeviation)
        return;
    const size_t at = size_t(c) * size_t(m_count);
    slide<Term::Cell>(nullptr, series(c), m_modelTimes, m_sums.data() + at, m_count);
    slide<Term::Square>(nullptr, series(c), m_modelTimes, m_squares.data() + at, m_count);
}

bool BlockScorer::isFlat(int rotation, int shift) const
{
    const double first = series(column(rotation, 0)).at(shift);
    for (int i = 0; i < m_modelAttributes; ++i) {
        const Column cells = series(column(rotation, i));
        for (int j = 0; j < m_modelTimes; ++j) {
            if (cells.at(shift + j) != first)
                return false;
        }
    }
    return true;
}

void BlockScorer::score(int rotation, double *coefficients, Scratch &scratch) const
{
    const int count = m_count;
    if (!m_modelMoments.hasDeviation) {
        std::fill(coefficients, coefficients + count, qQNaN());
        return;
    }
    std::vector<double> &windowSums = scratch.sums;
    std::vector<double> &windowSquares = scratch.squares;
    std::vector<double> &products = scratch.products;
    std::vector<double> &rowProducts = scratch.rowProducts;
    windowSums.assign(size_t(count), 0.0);
    windowSquares.assign(size_t(count), 0.0);
    products.assign(size_t(count), 0.0);
    rowProducts.resize(size_t(count));
    for (int i = 0; i < m_modelAttributes; ++i) {
        const int c = column(rotation, i);
        const double *sums = m_sums.data() + size_t(c) * size_t(count);
        const double *squares = m_squares.data() + size_t(c) * size_t(count);
        slide<Term::Product>(m_model.data() + size_t(i) * size_t(m_modelTimes), series(c),
                             m_modelTimes, rowProducts.data(), count);
        for (int m = 0; m < count; ++m) {
            windowSums[size_t(m)] += sums[m];
            windowSquares[size_t(m)] += squares[m];
            products[size_t(m)] += rowProducts[size_t(m)];
        }
    }
    // Rounding leaves a flat window a variance of a few units in the last
    // place per cell summed; only such a window is checked cell by cell.
    const double roundingTrace = 1e-15 * (m_cellCount + 16);
    for (int m = 0; m < count; ++m) {
        Moments window =
            momentsOf(windowSums[size_t(m)], windowSquares[size_t(m)], m_cellCount, false);
        if (window.hasDeviation &&
            window.variance <= roundingTrace * (windowSquares[size_t(m)] / m_cellCount))
            window.hasDeviation = !isFlat(rotation, m);
        coefficients[m] = coefficientOf(products[size_t(m)] / m_cellCount, m_modelMoments, window);
    }
}
