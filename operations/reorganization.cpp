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
// spares a test per product and leaves the sums unchanged, except when an
// infinity is among them (0 x inf is NaN): such rows are read one by one.
// The threads share a block's attributes out, each making its own pass, so
// that every sum is still added in time order by one thread.
class BondTable
{
public:
    static constexpr int BlockSize = 32;
    static constexpr int RowGroup = 4;

    explicit BondTable(const Data &data) : m_data(data) {}

    // Bond of attribute k with attribute j < k.
    double bond(int k, int j);

private:
    // Attributes first, first + step, ... below m_end.
    struct Share
    {
        int first;
        int step;
    };

    void computeBlock(int first);
    void computeShare(const Share &share, double *rows);
    bool copyRows(int t, double *rows) const;
    void addRow(int t, const Share &share, double *bonds) const;
    void addRows(const double *rows, const Share &share, double *bonds) const;

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
    const int shares = std::min(Task::parallelism(), m_end - m_first);
    std::vector<double> rows(size_t(shares) * RowGroup * size_t(m_end));
    Task::runInParallel(shares, [&](int share, int) {
        computeShare({m_first + share, shares}, rows.data() + size_t(share) * RowGroup * m_end);
    });
}

void BondTable::computeShare(const Share &share, double *rows)
{
    double *bonds = m_bonds.data();
    const int times = m_data.timeCount();
    int t = 0;
    for (; t + RowGroup <= times; t += RowGroup) {
        if (copyRows(t, rows)) {
            addRows(rows, share, bonds);
            continue;
        }
        for (int r = 0; r < RowGroup; ++r)
            addRow(t + r, share, bonds);
    }
    for (; t < times; ++t)
        addRow(t, share, bonds);
}

// The first m_end values of rows t..t+3, missing ones as 0.0; false when one
// of them is infinite.
bool BondTable::copyRows(int t, double *rows) const
{
    for (int r = 0; r < RowGroup; ++r) {
        const double *row = m_data.values.constData() + qsizetype(t + r) * m_data.attributeCount();
        for (int j = 0; j < m_end; ++j) {
            const double x = row[j];
            if (std::isinf(x))
                return false;
            rows[r * m_end + j] = std::isnan(x) ? 0.0 : x;
        }
    }
    return true;
}

void BondTable::addRow(int t, const Share &share, double *bonds) const
{
    const double *row = m_data.values.constData() + qsizetype(t) * m_data.attributeCount();
    for (int k = share.first; k < m_end; k += share.step) {
        const double x = row[k];
        if (std::isnan(x))
            continue;
        double *sum = bonds + (k - m_first) * m_end;
        for (int j = 0; j < k; ++j) {
            if (!std::isnan(row[j]))
                sum[j] += x * row[j];
        }
    }
}

void BondTable::addRows(const double *rows, const Share &share, double *bonds) const
{
    const double *r0 = rows, *r1 = r0 + m_end, *r2 = r1 + m_end, *r3 = r2 + m_end;
    for (int k = share.first; k < m_end; k += share.step) {
        const double x0 = r0[k], x1 = r1[k], x2 = r2[k], x3 = r3[k];
        if (x0 == 0.0 && x1 == 0.0 && x2 == 0.0 && x3 == 0.0)
            continue;
        double *sum = bonds + (k - m_first) * m_end;
        int j = 0;
        // Two sums per step, both read before either is written, so that the
        // compiler can pair them in vector registers.
        for (; j + 2 <= k; j += 2) {
            const double a = sum[j] + x0 * r0[j] + x1 * r1[j] + x2 * r2[j] + x3 * r3[j];
            const double b =
                sum[j + 1] + x0 * r0[j + 1] + x1 * r1[j + 1] + x2 * r2[j + 1] + x3 * r3[j + 1];
            sum[j] = a;
            sum[j + 1] = b;
        }
        for (; j < k; ++j)
            sum[j] = sum[j] + x0 * r0[j] + x1 * r1[j] + x2 * r2[j] + x3 * r3[j];
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
        (BondTable::BlockSize + BondTable::RowGroup * Task::parallelism()) * attributes;
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
    output.values.resize(m_data.values.size());
    const double *in = m_data.values.constData();
    double *out = output.values.data();
    for (int t = 0; t < times; ++t) {
        const qsizetype row = qsizetype(t) * attributes;
        for (int i = 0; i < attributes; ++i)
            out[row + i] = in[row + order.at(i)];
    }
    return output;
}
