#include "operations/correlation.h"

#include <QtNumeric>

#include <algorithm>
#include <cmath>
#include <limits>

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

// Cells of one attribute over consecutive times: contiguous in a copy, one
// row apart in the table itself.
struct Column
{
    const double *cells;
    size_t step;

    double at(int t) const { return cells[size_t(t) * step]; }
};

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
void slide(const double *weights, const Column &series, int length, double *out, int count)
{
    if (series.step == 1)
        slideAlong<term, false>(weights, series.cells, 1, length, out, count);
    else
        slideAlong<term, true>(weights, series.cells, series.step, length, out, count);
}

// Population statistics of one block of cells.
struct Moments
{
    double mean = 0.0;
    double variance = 0.0;
    bool hasDeviation = false;
};

Moments momentsOf(double sum, double squares, double cellCount, bool flat)
{
    Moments moments;
    moments.mean = sum / cellCount;
    moments.variance = squares / cellCount - moments.mean * moments.mean;
    // A flat block has no deviation, even where rounding leaves a trace of one;
    // dividing by it would rate it as perfectly correlated with anything.
    moments.hasDeviation = !flat && moments.variance > 0.0 && std::isfinite(moments.variance);
    return moments;
}

double coefficientOf(double meanOfProducts, const Moments &x, const Moments &y)
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

// The coefficients of every rotation for one block of consecutive time shifts.
// The sliding sums of a column (one per attribute in use) are computed once
// for all the rotations that use it. A block's columns are copied contiguous
// when that takes little memory, and read in the table otherwise.
class BlockScorer
{
public:
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

Column BlockScorer::series(int c) const
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

// Beyond the float range the conversion is undefined; infinity keeps the order.
float toScore(double coefficient)
{
    constexpr double largest = std::numeric_limits<float>::max();
    constexpr float infinity = std::numeric_limits<float>::infinity();
    if (coefficient > largest)
        return infinity;
    if (coefficient < -largest)
        return -infinity;
    return float(coefficient);
}

bool isInside(const Selection &selection)
{
    const int attributes = selection.data.attributeCount();
    const int times = selection.data.timeCount();
    return selection.type != Selection::None && selection.firstAttribute >= 0 &&
           selection.firstAttribute < attributes && selection.lastAttribute >= 0 &&
           selection.lastAttribute < attributes && selection.firstTime >= 0 &&
           selection.firstTime <= selection.lastTime && selection.lastTime < times;
}

} // namespace

Correlation::Correlation(int mode, const Selection &selection, double threshold,
                         const QVector<float> &scores)
    : m_mode(mode), m_selection(selection), m_threshold(threshold), m_scores(scores)
{}

void Correlation::run()
{
    if (m_selection.type == Selection::Value) {
        succeed(Selections{m_selection});
        return;
    }
    const Windows all = windows();
    // Scores of a list of another length belong to another search: recompute.
    const bool stored = !m_scores.isEmpty() && m_scores.size() == all.count();
    Selections found;
    bool searched = false;
    if (!withinMemory([&] { searched = stored ? replay(all, found) : compute(all, found); }))
        fail(Task::tr("Not enough memory to search for correlations."));
    else if (searched)
        succeed(found);
}

QVector<double> Correlation::coefficients(const Selection &model, int rotation)
{
    const int shifts = model.data.timeCount() - model.timeCount() + 1;
    if (model.type == Selection::Value || !isInside(model) || shifts <= 0 || rotation < 0 ||
        rotation >= model.data.attributeCount())
        return {};
    BlockScorer scorer(model, rotation, 1, 0);
    const int length = scorer.blockLength(shifts, shifts);
    QVector<double> result(shifts);
    BlockScorer::Scratch scratch;
    for (int first = 0; first < shifts; first += length) {
        scorer.load(first, std::min(length, shifts - first));
        for (int c = 0; c < scorer.columnCount(); ++c)
            scorer.sumColumn(c);
        scorer.score(0, result.data() + first, scratch);
    }
    return result;
}

Correlation::Windows Correlation::windows() const
{
    Windows windows;
    if (!isInside(m_selection))
        return windows; // no window fits in the data
    const Selection &model = m_selection;
    windows.firstRotation = m_mode == SameAttributes ? model.firstAttribute : 0;
    windows.rotations = m_mode == SameAttributes ? 1 : model.data.attributeCount();
    windows.firstShift = m_mode == SameTimeSteps ? model.firstTime : 0;
    windows.shifts = m_mode == SameTimeSteps ? 1 : model.data.timeCount() - model.timeCount() + 1;
    return windows;
}

Selection Correlation::window(const Windows &windows, qint64 index) const
{
    Selection window = m_selection;
    const int attributes = m_selection.attributeCount();
    window.firstAttribute = windows.firstRotation + int(index / windows.shifts);
    window.lastAttribute = (window.firstAttribute + attributes - 1) % window.data.attributeCount();
    window.firstTime = windows.firstShift + int(index % windows.shifts);
    window.lastTime = window.firstTime + m_selection.timeCount() - 1;
    return window;
}

bool Correlation::replay(const Windows &windows, Selections &found)
{
    const qint64 count = windows.count();
    const double bar = 1.0 - m_threshold;
    const float *scores = m_scores.constData();
    for (qint64 k = 0; k < count; ++k) {
        if (double(scores[k]) >= bar)
            found.append(window(windows, k));
        if (!checkpoint(k + 1, count))
            return false;
    }
    return true;
}

bool Correlation::compute(const Windows &windows, Selections &found)
{
    const qint64 count = windows.count();
    if (count == 0) {
        m_scores.clear();
        return true;
    }
    BlockScorer scorer(m_selection, windows.firstRotation, windows.rotations, windows.firstShift);
    const int length = scorer.blockLength(windows.shifts, count);
    claimMemory(count * qint64(sizeof(float)) + count / 8 + scorer.workingBytes(length));
    m_scores = QVector<float>(int(count));
    std::vector<bool> matches(static_cast<size_t>(count));
    const int group = scorer.rotationGroup(length);
    std::vector<double> coefficients(size_t(group) * size_t(length));
    std::vector<BlockScorer::Scratch> scratch(static_cast<size_t>(Task::parallelism()));
    const double bar = 1.0 - m_threshold;
    float *scores = m_scores.data();
    qint64 done = 0;
    for (int first = 0; first < windows.shifts; first += length) {
        const int shifts = std::min(length, windows.shifts - first);
        scorer.load(first, shifts);
        runInParallel(scorer.columnCount(), [&scorer](int c, int) { scorer.sumColumn(c); });
        if (!checkpoint(done, count))
            return false;
        for (int rotations = 0; rotations < windows.rotations; rotations += group) {
            const int groupSize = std::min(group, windows.rotations - rotations);
            runInParallel(groupSize, [&](int i, int worker) {
                scorer.score(rotations + i, coefficients.data() + size_t(i) * size_t(length),
                             scratch[size_t(worker)]);
            });
            for (int i = 0; i < groupSize; ++i) {
                const double *coefficient = coefficients.data() + size_t(i) * size_t(length);
                const qint64 base = qint64(rotations + i) * windows.shifts + first;
                for (int m = 0; m < shifts; ++m) {
                    scores[base + m] = toScore(coefficient[m]);
                    matches[size_t(base + m)] = coefficient[m] >= bar;
                }
            }
            done += qint64(groupSize) * shifts;
            if (!checkpoint(done, count))
                return false;
        }
    }
    found = collect(windows, matches);
    return true;
}

Selections Correlation::collect(const Windows &windows, const std::vector<bool> &matches) const
{
    Selections found;
    for (qint64 k = 0; k < windows.count(); ++k) {
        if (matches[size_t(k)])
            found.append(window(windows, k));
    }
    return found;
}
