#ifndef VIREO_VIEW_COLORSTOP_H
#define VIREO_VIEW_COLORSTOP_H

#include <QVector4D>
#include <QVector>

class QColor;
class QGradient;

// One stop of the gradient that colours values, as the shaders want it.
class ColorStop
{
public:
    ColorStop() = default;
    ColorStop(double position, const QVector4D &color) : position(position), color(color) {}

    // The one conversion of a colour to the shaders' floats (red, green,
    // blue, alpha in 0..1).
    static QVector4D toVector(const QColor &color);
    // The gradient's stops in its own (ascending) order.
    static QVector<ColorStop> fromGradient(const QGradient &gradient);
    // Colour of v: the end stops' colours outside their range, linear between
    // the two stops around v inside it.
    static QVector4D colorAt(const QVector<ColorStop> &stops, double v);

    double position = 0.0;
    QVector4D color;
};

using ColorStops = QVector<ColorStop>;

#endif // VIREO_VIEW_COLORSTOP_H
