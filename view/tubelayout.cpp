#include "view/tubelayout.h"

#include <QtMath>

#include <algorithm>
#include <cmath>
#include <limits>

float TubeLayout::attributeStep(int attributeCount)
{
    return float((360.0 / attributeCount) * (-M_PI) / 180.0);
}

QVector3D TubeLayout::wallPoint(float attributePosition, float timePosition) const
{
    const double alpha = double(angle(attributePosition));
    return QVector3D(float(radius * std::cos(alpha)), float(radius * std::sin(alpha)),
                     depth(timePosition));
}

QVector3D TubeLayout::middle(const Selection &selection) const
{
    const float attribute = selection.firstAttribute + selection.attributeCount() * 0.5f;
    const float time = selection.firstTime + selection.timeCount() * 0.5f;
    return wallPoint(attribute, time);
}

TubeLayout::Cell TubeLayout::cellAt(const QVector3D &point) const
{
    const double twoPi = 6.283185307179586;
    double angle = std::atan2(-double(point.y()), double(point.x()));
    if (angle < 0.0)
        angle += twoPi;
    const double attribute = std::floor(attributeCount * angle / twoPi);
    const double time = std::floor(double(point.z()) / double(-timeStepLength));
    // Compared in double: a point far off the data must not overflow an int.
    if (!(attribute >= 0.0 && time >= 0.0 && time < timeCount) || attributeCount <= 0)
        return Cell();
    // Rounding can put a point on the last attribute's far edge at exactly 2 pi.
    return Cell{qMin(int(attribute), attributeCount - 1), int(time)};
}

bool TubeLayout::wallPointUnder(const QMatrix4x4 &pmv, const QPointF &ndc, QVector3D *point) const
{
    bool invertible = false;
    const QMatrix4x4 inverse = pmv.inverted(&invertible);
    if (!invertible)
        return false;
    const float nx = float(ndc.x());
    const float ny = float(ndc.y());
    const QVector4D near4 = inverse * QVector4D(nx, ny, -1.0f, 1.0f);
    const QVector4D far4 = inverse * QVector4D(nx, ny, 0.0f, 1.0f);
    const QVector3D origin = near4.toVector3DAffine();
    const QVector3D dir = (far4.toVector3DAffine() - origin).normalized();
    const float a = dir.x() * dir.x() + dir.y() * dir.y();
    const float b = 2.0f * (origin.x() * dir.x() + origin.y() * dir.y());
    const float c = origin.x() * origin.x() + origin.y() * origin.y() - radius * radius;
    const float disc = b * b - 4.0f * a * c;
    // Looking straight along the axis the ray never meets the wall.
    if (!(a > 1e-12f) || disc < 0.0f)
        return false;
    float t = (std::sqrt(disc) - b) / (2.0f * a);
    if (t < 0.0f)
        t = (-b - std::sqrt(disc)) / (2.0f * a);
    // The wall is drawn as flat chords, which lie in front of the circle: seen
    // from inside, the ray leaves the polygon through the nearest chord that
    // faces away from it, and that is the cell drawn under the cursor.
    if (attributeCount >= 3) {
        const double half = std::abs(double(step())) / 2;
        const double apothem = double(radius) * std::cos(half);
        double exit = std::numeric_limits<double>::infinity();
        bool inside = true;
        for (int i = 0; i < attributeCount && inside; ++i) {
            const double middle = double(angle(i + 0.5f));
            const double nx = std::cos(middle), ny = std::sin(middle);
            const double from = apothem - (nx * origin.x() + ny * origin.y());
            const double along = nx * dir.x() + ny * dir.y();
            inside = from >= 0.0;
            if (along > 1e-12)
                exit = std::min(exit, from / along);
        }
        if (inside && std::isfinite(exit))
            t = float(exit);
    }
    const QVector3D hit = origin + t * dir;
    if (!std::isfinite(hit.x()) || !std::isfinite(hit.y()) || !std::isfinite(hit.z()))
        return false;
    *point = hit;
    return true;
}

bool TubeLayout::contains(const Selection &s) const
{
    const auto inRange = [](int i, int count) { return i >= 0 && i < count; };
    // Indexes into another table would outline or move the wrong cells.
    return s.type != Selection::None && s.data.attributeCount() == attributeCount &&
           s.data.timeCount() == timeCount && inRange(s.firstAttribute, attributeCount) &&
           inRange(s.lastAttribute, attributeCount) && inRange(s.firstTime, timeCount) &&
           inRange(s.lastTime, timeCount) && s.firstTime <= s.lastTime;
}
