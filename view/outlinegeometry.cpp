#include "view/outlinegeometry.h"

#include "view/tubegeometry.h"

#include <cmath>
#include <new>

namespace {

// Half the width of the bands, along the axis and round it (radians).
constexpr float bandHalfDepth = 0.02f;
constexpr float bandHalfAngle = 0.005f;

float *putBand(float *out, float radius, float angle1, float angle2, float zTop, float zBottom)
{
    const float x1 = float(radius * std::cos(double(angle1)));
    const float y1 = float(radius * std::sin(double(angle1)));
    const float x2 = float(radius * std::cos(double(angle2)));
    const float y2 = float(radius * std::sin(double(angle2)));
    const float corners[6][3] = {{x2, y2, zBottom}, {x2, y2, zTop}, {x1, y1, zTop},
                                 {x2, y2, zBottom}, {x1, y1, zTop}, {x1, y1, zBottom}};
    for (const auto &corner : corners)
        for (float coordinate : corner)
            *out++ = coordinate;
    return out;
}

} // namespace

bool OutlineGeometry::build(const TubeLayout &layout, QVector<float> &vertices) const
{
    vertices = QVector<float>();
    qint64 count = 0;
    for (const Selection &s : selections)
        if (layout.contains(s))
            count += (qint64(s.attributeCount()) * 2 + 2) * floatsPerBand;
    if (count == 0 || count > qMin(floatLimit, TubeGeometry::maxFloatCount()))
        return false;
    try {
        vertices.reserve(int(count));
        vertices.resize(int(count));
    } catch (const std::bad_alloc &) {
        vertices = QVector<float>();
        return false;
    }
    float *out = vertices.data();
    for (const Selection &s : selections)
        if (layout.contains(s))
            appendSelection(out, s, layout);
    return true;
}

void OutlineGeometry::appendSelection(float *&out, const Selection &s,
                                      const TubeLayout &layout) const
{
    const float radius = layout.radius - inset;
    const float zTop = layout.depth(s.firstTime);
    const float zBottom = layout.depth(s.lastTime + 1);
    for (int i = 0; i < s.attributeCount(); ++i) {
        const int a = s.attributeIndex(i);
        const float a1 = layout.angle(a);
        const float a2 = layout.angle(a + 1);
        out = putBand(out, radius, a1, a2, zTop + bandHalfDepth, zTop - bandHalfDepth);
        out = putBand(out, radius, a1, a2, zBottom + bandHalfDepth, zBottom - bandHalfDepth);
    }
    for (const float edge : {layout.angle(s.firstAttribute), layout.angle(s.lastAttribute + 1)})
        out = putBand(out, radius, edge - bandHalfAngle, edge + bandHalfAngle, zTop + bandHalfDepth,
                      zBottom - bandHalfDepth);
}
