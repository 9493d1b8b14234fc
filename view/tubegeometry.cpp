#include "view/tubegeometry.h"

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

bool reserveExactly(QVector<float> &vertices, int count)
{
    try {
        vertices.reserve(count);
    } catch (const std::bad_alloc &) {
        vertices = QVector<float>();
        return false;
    }
    return true;
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

TubeGeometry::Status TubeGeometry::build(const TubeLayout &layout, QVector<float> &vertices) const
{
    const int n = data.attributeCount();
    const int m = data.timeCount();
    const bool sameShape = layout.attributeCount == n && layout.timeCount == m;
    if (qint64(n) * m == 0 || !sameShape || !fits(n, m) || data.values.size() < qint64(n) * m) {
        vertices = QVector<float>();
        return qint64(n) * m == 0 || !sameShape ? Empty : TooLarge;
    }
    const qint64 count = floatCount(n, m);
    // Reuses the caller's memory when it is large enough; otherwise asks for
    // exactly the size, as resize alone would grow to the next power of two.
    if (vertices.capacity() < count || !vertices.isDetached()) {
        vertices = QVector<float>();
        if (count > allocationLimit || !reserveExactly(vertices, int(count)))
            return OutOfMemory;
    }
    vertices.resize(int(count));
    float *out = vertices.data();
    for (int a = 0; a < n; ++a)
        fillAttribute(layout, out + qint64(a) * m * floatsPerCell, a);
    return Built;
}

void TubeGeometry::fillAttribute(const TubeLayout &layout, float *out, int attribute) const
{
    const int n = layout.attributeCount;
    const int m = layout.timeCount;
    const float half = 0.5f * layout.step();
    const float centre = layout.angle(attribute + 0.5f);
    const bool byWidth = (displayMode & 2) != 0;
    const float radius = layout.radius;
    const Chord full = chord(radius, centre, half);
    const double *values = data.values.constData();
    for (int t = 0; t < m; ++t) {
        const double v = values[qint64(t) * n + attribute];
        const bool missing = qIsNaN(v);
        const Chord c = byWidth ? chord(radius, centre, missing ? 0.0f : float(half * v)) : full;
        // Each depth from its own index: summing the step drifts by whole
        // cells over tens of thousands of time steps.
        const float z1 = layout.depth(t);
        const float z2 = layout.depth(t + 1);
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
        return widthColor;
    return ColorStop::colorAt(colorStops, v);
}
