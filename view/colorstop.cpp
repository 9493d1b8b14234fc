#include "view/colorstop.h"

#include <QColor>
#include <QGradient>

QVector4D ColorStop::toVector(const QColor &color)
{
    return QVector4D(float(color.redF()), float(color.greenF()), float(color.blueF()),
                     float(color.alphaF()));
}

QVector<ColorStop> ColorStop::fromGradient(const QGradient &gradient)
{
    const QGradientStops stops = gradient.stops();
    QVector<ColorStop> result;
    result.reserve(stops.size());
    for (const QGradientStop &stop : stops)
        result.append(ColorStop(stop.first, toVector(stop.second)));
    return result;
}

QVector4D ColorStop::colorAt(const QVector<ColorStop> &stops, double v)
{
    if (stops.isEmpty())
        return QVector4D(0.0f, 0.0f, 0.0f, 1.0f);
    const int k = stops.size() - 1;
    if (stops.first().position > v || k == 0)
        return stops.first().color;
    if (v > stops.last().position)
        return stops.last().color;
    int lo = 0;
    int hi = k;
    while (hi - lo > 1) {
        const int mid = (lo + hi) / 2;
        if (v >= stops.at(mid).position)
            lo = mid;
        else
            hi = mid;
    }
    const ColorStop &a = stops.at(lo);
    const ColorStop &b = stops.at(lo + 1);
    const double span = b.position - a.position;
    // Two stops at one position would divide by zero; the lower one wins.
    const float f = span > 0.0 ? float((v - a.position) / span) : 0.0f;
    return a.color + (b.color - a.color) * f;
}
