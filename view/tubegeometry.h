#ifndef VIREO_VIEW_TUBEGEOMETRY_H
#define VIREO_VIEW_TUBEGEOMETRY_H

#include "core/data.h"
#include "view/colorstop.h"
#include "view/tubelayout.h"

#include <QVector4D>
#include <QVector>

// Builds the wall of the tube from a Data: one flat quad (two triangles of
// x, y, z, r, g, b vertices) per value, placed by a TubeLayout of the data's
// shape. No OpenGL here.
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
    // Fills vertices (replacing its content) with exactly the floats needed.
    // On anything but Built the vertices are left empty; a layout of another
    // shape than the data's gives Empty.
    Status build(const TubeLayout &layout, QVector<float> &vertices) const;
    bool fits(qint64 attributeCount, qint64 timeCount) const
    {
        return floatCount(attributeCount, timeCount) <= qMin(floatLimit, maxFloatCount());
    }

    Data data;
    int displayMode = Color;
    ColorStops colorStops;
    QVector4D missingValueColor{1.0f, 0.0f, 1.0f, 1.0f};
    QVector4D widthColor{1.0f, 1.0f, 0.0f, 1.0f};
    // Lowered by tests to reach the too-large case without gigabytes.
    qint64 floatLimit = maxFloatCount();
    // Lowered by tests to fail the allocation as a full memory would.
    qint64 allocationLimit = maxFloatCount();

private:
    QVector4D cellColor(double v) const;
    void fillAttribute(const TubeLayout &layout, float *out, int attribute) const;
};

#endif // VIREO_VIEW_TUBEGEOMETRY_H
