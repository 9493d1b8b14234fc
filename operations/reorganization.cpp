#include "operations/reorganization.h"

#include <QtNumeric>

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>
#include <vector>

namespace {

// Bond of two attributes: the sum over the time indices where both have a
// value of the product of their values, summed in time order.
//
// Bonds are computed for a block of attributes at a time against every
// attribute before them, in one pass over the rows, four rows at a time: each
// sum is then loaded and stored once for four products, still added in time
// order. The four rows are copied with their missing cells as 0.0, which
// spares a test per product and leaves the sums unchanged (a sum starts at
// +0.0 and never becomes -0.0), except when an infinity is among them
// (0 x inf is NaN): such rows are read one by one.
// The threads share the partners j out, each reading only its part of the
// rows, so that every sum is still added in time order by one thread.
class BondTable
{
public:
    static constexpr int BlockSize = 64;
    static constexpr int RowGroup = 4;

    explicit BondTable(const Data &data) : m_data(data) {}

    // Bond of attribute k with attribute j < k.
    double bond(int k, int j);

private:
    // Partners [first, end) of every attribute of the block; rows holds the
    // copied rows: the block's own values, then the partners'.
    struct Share
    {
        int first;
        int end;
        double *rows;
    };

    void computeBlock(int first);
    void computeShare(const Share &share);
    bool copyRows(int t, const Share &share) const;
    void addRow(int t, const Share &share);
    void addRows(const Share &share);

    int width(const Share &share) const { return m_end - m_first + share.end - share.first; }

    const Data &m_data;
    QVector<double> m_bonds;
    int m_first = 0;
    int m_end = 0;
};

double BondTable::bond(int k, int j)
{
    if (k < m_first || k >= m_end)
        computeBlock(k);
    return m_bonds.at((k - m_first) * m_end + j);
}

void BondTable::computeBlock(int first)
{
    m_first = first;
    m_end = qMin(first + BlockSize, m_data.attributeCount());
    m_bonds.fill(0.0, (m_end - m_first) * m_end);
    // Partner j has a sum for each attribute of the block after it: the
    // shares get about as many sums each.
    const int shares = std::min(Task::parallelism(), m_end - 1);
    const qint64 sums =
        qint64(m_end - m_first) * m_first + qint64(m_end - m_first) * (m_end - m_first - 1) / 2;
    std::vector<int> bounds{0};
    qint64 counted = 0;
    for (int j = 0; j < m_end && int(bounds.size()) < shares; ++j) {
        counted += j < m_first ? m_end - m_first : m_end - 1 - j;
        if (counted * shares >= sums * qint64(bounds.size()))
            bounds.push_back(j + 1);
    }
    bounds.resize(size_t(shares) + 1, m_end);
    bounds.back() = m_end;
    std::vector<double> rows(size_t(shares) * RowGroup * size_t(m_end - m_first + m_end));
    Task::runInParallel(shares, [&](int share, int) {
        computeShare({bounds[size_t(share)], bounds[size_t(share) + 1],
                      rows.data() + size_t(share) * RowGroup * size_t(m_end - m_first + m_end)});
    });
}

void BondTable::computeShare(const Share &share)
{
    const int times = m_data.timeCount();
    int t = 0;
    for (; t + RowGroup <= times; t += RowGroup) {
        if (copyRows(t, share)) {
            addRows(share);
            continue;
        }
        for (int r = 0; r < RowGroup; ++r)
            addRow(t + r, share);
    }
    for (; t < times; ++t)
        addRow(t, share);
}

// The block's values and the share's partners of rows t..t+3, missing ones
// as 0.0; false when one of them is infinite.
bool BondTable::copyRows(int t, const Share &share) const
{
    const int attributes = m_data.attributeCount();
    const int blockWidth = m_end - m_first;
    bool finite = true;
    for (int r = 0; r < RowGroup; ++r) {
        const double *row = m_data.values.constData() + qsizetype(t + r) * attributes;
        double *to = share.rows + r * width(share);
        for (int i = 0; i < blockWidth; ++i) {
            const double x = row[m_first + i];
            finite &= !std::isinf(x);
            to[i] = std::isnan(x) ? 0.0 : x;
        }
        to += blockWidth;
        for (int j = share.first; j < share.end; ++j) {
            const double x = row[j];
            finite &= !std::isinf(x);
            to[j - share.first] = std::isnan(x) ? 0.0 : x;
        }
    }
    return finite;
}

void BondTable::addRow(int t, const Share &share)
{
    const double *row = m_data.values.constData() + qsizetype(t) * m_data.attributeCount();
    double *bonds = m_bonds.data();
    for (int k = m_first; k < m_end; ++k) {
        const double x = row[k];
        if (std::isnan(x))
            continue;
        double *sum = bonds + (k - m_first) * m_end;
        for (int j = share.first; j < std::min(k, share.end); ++j) {
            if (!std::isnan(row[j]))
                sum[j] += x * row[j];
        }
    }
}

void BondTable::addRows(const Share &share)
{
    const int stride = width(share);
    const int blockWidth = m_end - m_first;
    const double *x0 = share.rows, *x1 = x0 + stride, *x2 = x1 + stride, *x3 = x2 + stride;
    // Partner share.first + j of row r is at rN[j].
    const double *r0 = x0 + blockWidth, *r1 = r0 + stride, *r2 = r1 + stride, *r3 = r2 + stride;
    for (int i = 0; i < blockWidth; ++i) {
        const double a0 = x0[i], a1 = x1[i], a2 = x2[i], a3 = x3[i];
        if (a0 == 0.0 && a1 == 0.0 && a2 == 0.0 && a3 == 0.0)
            continue;
        double *sum = m_bonds.data() + i * m_end + share.first;
        const int count = std::min(m_first + i, share.end) - share.first;
        int j = 0;
        // Two sums per step, both read before either is written, so that the
        // compiler can pair them in vector registers.
        for (; j + 2 <= count; j += 2) {
            const double a = sum[j] + a0 * r0[j] + a1 * r1[j] + a2 * r2[j] + a3 * r3[j];
            const double b =
                sum[j + 1] + a0 * r0[j + 1] + a1 * r1[j + 1] + a2 * r2[j + 1] + a3 * r3[j + 1];
            sum[j] = a;
            sum[j + 1] = b;
        }
        for (; j < count; ++j)
            sum[j] = sum[j] + a0 * r0[j] + a1 * r1[j] + a2 * r2[j] + a3 * r3[j];
    }
}

} // namespace

Reorganization::Reorganization(const Data &data, int mode) : m_data(data), m_mode(mode) {}

void Reorganization::run()
{
    if (!withinMemory([this] { reorganize(); }))
        fail(Task::tr("Not enough memory to reorganize the data."));
}

void Reorganization::reorganize()
{
    if (m_data.attributeCount() < 2) {
        fail(Task::tr("Number of attributes is less than 2"));
        return;
    }
    if (m_mode != Bea && m_mode != FirstValue) {
        fail(Task::tr("Unknown reorganization algorithm %1.").arg(m_mode));
        return;
    }
    // The result, and for BEA a block of bonds and a group of rows.
    const qint64 attributes = m_data.attributeCount();
    const qint64 bondBlock =
        BondTable::BlockSize * attributes +
        BondTable::RowGroup * Task::parallelism() * (attributes + BondTable::BlockSize);
    claimMemory((qint64(m_data.values.size()) + (m_mode == Bea ? bondBlock : 0)) *
                qint64(sizeof(double)));
    QVector<int> order;
    const bool ordered = m_mode == Bea ? orderByBonds(order) : orderByFirstValue(order);
    if (!ordered)
        return;
    m_permutation = order;
    succeed(permuted(order));
}

bool Reorganization::orderByBonds(QVector<int> &order)
{
    const int attributes = m_data.attributeCount();
    BondTable bonds(m_data);
    order = {0, 1};
    for (int k = 2; k < attributes; ++k) {
        // Only a positive bond draws k next to an attribute; otherwise it
        // goes to the front.
        double best = std::numeric_limits<double>::min();
        int position = 0;
        for (int j = 0; j < order.size(); ++j) {
            const double bond = bonds.bond(k, order.at(j));
            if (bond > best) {
                best = bond;
                position = j;
            }
        }
        order.insert(position, k);
        if (!checkpoint(k, attributes))
            return false;
    }
    return true;
}

bool Reorganization::orderByFirstValue(QVector<int> &order)
{
    const int attributes = m_data.attributeCount();
    const int times = m_data.timeCount();
    QVector<int> first(attributes);
    for (int a = 0; a < attributes; ++a) {
        int t = 0;
        while (t < times && std::isnan(m_data.value(t, a)))
            ++t;
        first[a] = t; // an attribute without any value gets `times`: it goes last
        if (!checkpoint(a, attributes))
            return false;
    }
    order.resize(attributes);
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(),
                     [&first](int x, int y) { return first.at(x) < first.at(y); });
    return true;
}

Data Reorganization::permuted(const QVector<int> &order) const
{
    const int attributes = m_data.attributeCount();
    const int times = m_data.timeCount();
    Data output;
    output.times = m_data.times;
    output.attributes.reserve(attributes);
    for (int a : order)
        output.attributes.append(m_data.attributes.at(a));
    output.values = newValues(m_data.values.size());
    const double *in = m_data.values.constData();
    double *out = output.values.data();
    const int *from = order.constData();
    const int slices = std::max(1, std::min(times, parallelism()));
    runInParallel(slices, [&](int slice, int) {
        const int end = int(qint64(times) * (slice + 1) / slices);
        for (int t = int(qint64(times) * slice / slices); t < end; ++t) {
            const qsizetype row = qsizetype(t) * attributes;
            for (int i = 0; i < attributes; ++i)
                out[row + i] = in[row + from[i]];
        }
    });
    return output;
}
