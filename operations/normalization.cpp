#include "operations/normalization.h"

#include <QtNumeric>

namespace {

struct Range
{
    double min = qQNaN();
    double max = qQNaN();

    void add(double x)
    {
        if (qIsNaN(x))
            return;
        if (qIsNaN(min) || min > x)
            min = x;
        if (qIsNaN(max) || max < x)
            max = x;
    }
};

Range rangeOf(const double *values, qsizetype count, qsizetype stride)
{
    Range range;
    for (qsizetype i = 0; i < count; ++i)
        range.add(values[i * stride]);
    return range;
}

void scaleColumn(double *column, int times, int stride, const Range &range)
{
    if (qIsNaN(range.min))
        return; // nothing but missing values
    if (range.min == range.max) {
        // A constant is data, not missing data: it sits at the bottom.
        for (int t = 0; t < times; ++t) {
            double &v = column[qsizetype(t) * stride];
            if (!qIsNaN(v))
                v = 0.0;
        }
        return;
    }
    const double scale = 1.0 / (range.max - range.min);
    const double shift = -(scale * range.min);
    // NaN stays NaN through the arithmetic.
    for (int t = 0; t < times; ++t) {
        double &v = column[qsizetype(t) * stride];
        v = v * scale + shift;
    }
}

} // namespace

Normalization::Normalization(const Data &data, int modeNormalisation)
    : m_data(data), m_modeNormalisation(modeNormalisation)
{}

void Normalization::run()
{
    Data output = m_data;
    const int attributes = output.attributeCount();
    const int times = output.timeCount();
    double *values = output.values.data();
    const bool local = m_modeNormalisation == Local;
    Range range;
    if (!local)
        range = rangeOf(values, output.values.size(), 1);

    int reported = 0;
    for (int a = 0; a < attributes; ++a) {
        if (local)
            range = rangeOf(values + a, times, attributes);
        scaleColumn(values + a, times, attributes, range);
        if (isStopRequested()) {
            dispose();
            return;
        }
        const int p = percent(a, attributes);
        if (p > reported) {
            reported = p;
            setProgress(p);
        }
    }
    succeed(output);
}
