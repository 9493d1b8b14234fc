#include "view/tubegeometry.h"

#include <QtMath>

#include <cmath>
#include <new>

namespace {

struct Chord
{
    float x1, y1, x2, y2;
};

Chord chord(float radius, float centre, float halfWidth)
{
    const float a1 = centre - halfWidth;
    const float a2 = centre + halfWidth;
    return {float(radius * std::cos(double(a1))), float(radius * std::sin(double(a1))),
            float(radius * std::cos(double(a2))), float(radius * std::sin(double(a2)))};
}

inline float *putVertex(float *out, float x, float y, float z, const QVector4D &c)
{
    out[0] = x;
    out[1] = y;
    out[2] = z;
    out[3] = c.x();
    out[4] = c.y();
    out[5] = c.z();
    return out + TubeGeometry::floatsPerVertex;
}

} // namespace

float TubeGeometry::attributeStep(int attributeCount)
{
    return float((360.0 / attributeCount) * (-M_PI) / 180.0);
}

TubeGeometry::Status TubeGeometry::build(QVector<float> &vertices) const
{
    const int n = data.attributeCount();
    const int m = data.timeCount();
    if (qint64(n) * m == 0 || !fits(n, m) || data.values.size() < qint64(n) * m) {
        vertices = QVector<float>();
        return qint64(n) * m == 0 ? Empty : TooLarge;
    }
    try {
        // Reuses the caller's memory when it is large enough.
        vertices.resize(int(floatCount(n, m)));
    } catch (const std::bad_alloc &) {
        vertices = QVector<float>();
        return OutOfMemory;
    }
    const float step = attributeStep(n);
    float *out = vertices.data();
    for (int a = 0; a < n; ++a)
        fillAttribute(out + qint64(a) * m * floatsPerCell, a, step);
    return Built;
}

void TubeGeometry::fillAttribute(float *out, int attribute, float step) const
{
    const int n = data.attributeCount();
    const int m = data.timeCount();
    const float half = 0.5f * step;
    const float centre = half + attribute * step;
    const bool byWidth = (displayMode & 2) != 0;
    const Chord full = chord(radius, centre, half);
    const double *values = data.values.constData();
    for (int t = 0; t < m; ++t) {
        const double v = values[qint64(t) * n + attribute];
        const bool missing = qIsNaN(v);
        const Chord c = byWidth ? chord(radius, centre, missing ? 0.0f : float(half * v)) : full;
        // Each depth from its own index: summing the step drifts by whole
        // cells over tens of thousands of time steps.
        const float z1 = -(t * timeStepLength);
        const float z2 = -((t + 1) * timeStepLength);
        const QVector4D colour = missing ? missingValueColor : cellColor(v);
        out = putVertex(out, c.x2, c.y2, z2, colour);
        out = putVertex(out, c.x2, c.y2, z1, colour);
        out = putVertex(out, c.x1, c.y1, z1, colour);
        out = putVertex(out, c.x2, c.y2, z2, colour);
        out = putVertex(out, c.x1, c.y1, z1, colour);
        out = putVertex(out, c.x1, c.y1, z2, colour);
    }
}

QVector4D TubeGeometry::cellColor(double v) const
{
    if (displayMode == Width)
        return QVector4D(float(widthColor.redF()), float(widthColor.greenF()),
                         float(widthColor.blueF()), float(widthColor.alphaF()));
    return ColorStop::colorAt(colorStops, v);
}
