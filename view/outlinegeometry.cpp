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

bool OutlineGeometry::build(QVector<float> &vertices) const
{
    vertices = QVector<float>();
    if (selections.isEmpty())
        return false;
    const Selection &model = selections.first();
    const int k = model.attributeCount();
    const int n = model.data.attributeCount();
    if (k <= 0 || n <= 0)
        return false;
    const qint64 perSelection = (qint64(k) * 2 + 2) * floatsPerBand;
    const qint64 count = perSelection * selections.size();
    if (count > qMin(floatLimit, (qint64(INT_MAX) - 64) / qint64(sizeof(float))))
        return false;
    try {
        vertices.resize(int(count));
    } catch (const std::bad_alloc &) {
        vertices = QVector<float>();
        return false;
    }
    const float step = TubeGeometry::attributeStep(n);
    float *out = vertices.data();
    for (const Selection &s : selections)
        appendSelection(out, s, k, step);
    return true;
}

void OutlineGeometry::appendSelection(float *&out, const Selection &s, int attributeCount,
                                      float step) const
{
    const float zTop = -(s.firstTime * timeStepLength);
    const float zBottom = -((s.lastTime + 1) * timeStepLength);
    for (int i = 0; i < attributeCount; ++i) {
        const int a = s.attributeIndex(i);
        const float a1 = a * step;
        const float a2 = (a + 1) * step;
        out = putBand(out, radius, a1, a2, zTop + bandHalfDepth, zTop - bandHalfDepth);
        out = putBand(out, radius, a1, a2, zBottom + bandHalfDepth, zBottom - bandHalfDepth);
    }
    for (const float edge : {s.firstAttribute * step, (s.lastAttribute + 1) * step})
        out = putBand(out, radius, edge - bandHalfAngle, edge + bandHalfAngle, zTop + bandHalfDepth,
                      zBottom - bandHalfDepth);
}
