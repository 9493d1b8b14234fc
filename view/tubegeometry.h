#ifndef VIREO_VIEW_TUBEGEOMETRY_H
#define VIREO_VIEW_TUBEGEOMETRY_H

#include "core/data.h"
#include "view/colorstop.h"

#include <QColor>
#include <QVector4D>
#include <QVector>

// Builds the wall of the tube from a Data: one flat quad (two triangles of
// x, y, z, r, g, b vertices) per value. Attributes go clockwise round the z
// axis from the x axis, time runs towards negative z. No OpenGL here.
class TubeGeometry
{
public:
    enum DisplayMode
    {
        Color = 1,
        Width = 2,
        ColorAndWidth = 3
    };
    enum Status
    {
        Built,
        Empty,
        TooLarge,
        OutOfMemory
    };

    static constexpr int floatsPerVertex = 6;
    static constexpr int floatsPerCell = 6 * floatsPerVertex;

    // A QVector<float> and a GL buffer (sized by an int byte count) both end
    // just below 2^31 bytes.
    static constexpr qint64 maxFloatCount()
    {
        return (qint64(INT_MAX) - 64) / qint64(sizeof(float));
    }
    static qint64 floatCount(qint64 attributeCount, qint64 timeCount)
    {
        return attributeCount * timeCount * floatsPerCell;
    }
    // Angle between two neighbouring attributes, negative: cells go clockwise.
    static float attributeStep(int attributeCount);

    // Fills vertices (replacing its content). On anything but Built the
    // vertices are left empty.
    Status build(QVector<float> &vertices) const;
    bool fits(qint64 attributeCount, qint64 timeCount) const
    {
        return floatCount(attributeCount, timeCount) <= qMin(floatLimit, maxFloatCount());
    }

    Data data;
    float radius = 3.0f;
    float timeStepLength = 0.1f;
    int displayMode = Color;
    ColorStops colorStops;
    QVector4D missingValueColor{1.0f, 0.0f, 1.0f, 1.0f};
    QColor widthColor{255, 255, 0};
    // Lowered by tests to reach the too-large case without gigabytes.
    qint64 floatLimit = maxFloatCount();

private:
    QVector4D cellColor(double v) const;
    void fillAttribute(float *out, int attribute, float step) const;
};

#endif // VIREO_VIEW_TUBEGEOMETRY_H
