#include "operations/reorganization.h"

#include <QtNumeric>

#include <algorithm>
#include <cmath>
#include <limits>
#include <new>
#include <numeric>

namespace {

// Bond of two attributes: the sum over the time indices where both have a
// value of the product of their values, summed in time order.
//
// Bonds are computed for a block of attributes at a time against every
// attribute before them, in one pass over the rows, from a copy in which the
// missing cells are 0.0: a zero product leaves such a sum unchanged, so the
// result is the one of the pairwise sums. Data holding an infinity (where
// 0 x inf would differ) or too large to copy is read as it is instead.
class BondTable
{
public:
    explicit BondTable(const Data &data);

    // Bond of attribute k with attribute j < k.
    double bond(int k, int j);

private:
    static constexpr int BlockSize = 16;

    void computeBlock(int first);

    const Data &m_data;
    QVector<double> m_rows;
    QVector<double> m_block;
    int m_first = 0;
    int m_end = 0;
};

BondTable::BondTable(const Data &data) : m_data(data)
{
    try {
        m_rows.resize(data.values.size());
    } catch (const std::bad_alloc &) {
        return;
    }
    double *rows = m_rows.data();
    const double *values = data.values.constData();
    for (qsizetype i = 0; i < data.values.size(); ++i) {
        const double x = values[i];
        if (std::isinf(x)) {
            m_rows = QVector<double>();
            return;
        }
        rows[i] = qIsNaN(x) ? 0.0 : x;
    }
}

double BondTable::bond(int k, int j)
{
    if (k < m_first || k >= m_end)
        computeBlock(k);
    return m_block.at((k - m_first) * m_end + j);
}

template <bool Exact>
void accumulateBonds(const double *rows, int times, int attributes, int first, int end,
                     double *bonds)
{
    for (int t = 0; t < times; ++t) {
        const double *row = rows + qsizetype(t) * attributes;
        for (int k = first; k < end; ++k) {
            const double x = row[k];
            if (Exact ? qIsNaN(x) : x == 0.0)
                continue;
            double *sum = bonds + (k - first) * end;
            for (int j = 0; j < k; ++j) {
                if (!Exact || !qIsNaN(row[j]))
                    sum[j] += x * row[j];
            }
        }
    }
}

void BondTable::computeBlock(int first)
{
    m_first = first;
    m_end = qMin(first + BlockSize, m_data.attributeCount());
    m_block.fill(0.0, (m_end - m_first) * m_end);
    const int times = m_data.timeCount();
    const int attributes = m_data.attributeCount();
    if (m_rows.isEmpty())
        accumulateBonds<true>(m_data.values.constData(), times, attributes, m_first, m_end,
                              m_block.data());
    else
        accumulateBonds<false>(m_rows.constData(), times, attributes, m_first, m_end,
                               m_block.data());
}

} // namespace

Reorganization::Reorganization(const Data &data, int mode) : m_data(data), m_mode(mode) {}

void Reorganization::run()
{
    if (m_data.attributeCount() < 2) {
        fail(Task::tr("Number of attributes is less than 2"));
        return;
    }
    if (m_mode != Bea && m_mode != FirstValue) {
        fail(Task::tr("Unknown reorganization algorithm %1.").arg(m_mode));
        return;
    }
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
    int reported = 0;
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
        if (!attributeDone(k, reported))
            return false;
    }
    return true;
}

bool Reorganization::orderByFirstValue(QVector<int> &order)
{
    const int attributes = m_data.attributeCount();
    const int times = m_data.timeCount();
    QVector<int> first(attributes);
    int reported = 0;
    for (int a = 0; a < attributes; ++a) {
        int t = 0;
        while (t < times && qIsNaN(m_data.value(t, a)))
            ++t;
        first[a] = t; // an attribute without any value gets `times`: it goes last
        if (!attributeDone(a, reported))
            return false;
    }
    order.resize(attributes);
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(),
                     [&first](int x, int y) { return first.at(x) < first.at(y); });
    return true;
}

bool Reorganization::attributeDone(int attribute, int &reported)
{
    if (isStopRequested()) {
        dispose();
        return false;
    }
    const int p = percent(attribute, m_data.attributeCount());
    if (p > reported) {
        reported = p;
        setProgress(p);
    }
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
