#include "view/tubetiling.h"

#include <cmath>
#include <new>

namespace {

inline float *putVertex(float *out, float x, float y, float z, float time)
{
    out[0] = x;
    out[1] = y;
    out[2] = z;
    out[3] = time;
    return out + TubeTiling::floatsPerVertex;
}

} // namespace

TubeTiling::TubeTiling(const TubeLayout &layout, int attributeCells, int rowCells, int maxLayers)
{
    const int n = layout.attributeCount;
    const int m = layout.timeCount;
    if (n <= 0 || m <= 0 || attributeCells <= 0 || rowCells <= 0)
        return;
    const qint64 layers = (qint64(m) + rowCells - 1) / rowCells;
    if (layers > maxLayers)
        return;
    m_layerCount = int(layers);
    // Rows shared out evenly: the last layer is not left mostly empty.
    m_rowsPerLayer = int((m + layers - 1) / layers);
    m_attributesPerSegment = (n + maxSegments - 1) / maxSegments;
    const int g = m_attributesPerSegment;
    int vertex = 0;
    for (qint64 a0 = 0; a0 < n; a0 += attributeCells) {
        Tile tile;
        tile.firstAttribute = int(a0);
        tile.attributeCount = int(qMin<qint64>(attributeCells, n - a0));
        tile.firstVertex = vertex;
        tile.vertexCount = (tile.attributeCount + g - 1) / g * verticesPerQuad;
        vertex += tile.vertexCount;
        tiles.append(tile);
    }
}

qint64 TubeTiling::vertexCount() const
{
    return tiles.isEmpty() ? 0 : qint64(tiles.last().firstVertex) + tiles.last().vertexCount;
}

bool TubeTiling::buildMesh(const TubeLayout &layout, QVector<float> &vertices) const
{
    const qint64 floats = vertexCount() * floatsPerVertex;
    vertices = QVector<float>();
    if (floats > INT_MAX / 2)
        return false;
    try {
        vertices.resize(int(floats));
    } catch (const std::bad_alloc &) {
        vertices = QVector<float>();
        return false;
    }
    const int g = m_attributesPerSegment;
    const float t1 = float(-margin);
    const float t2 = float(layout.timeCount + margin);
    const float z1 = layout.depth(t1);
    const float z2 = layout.depth(t2);
    float *out = vertices.data();
    for (const Tile &tile : tiles) {
        for (int i = 0; i < tile.attributeCount; i += g) {
            // Each edge from its own angle, so that neighbouring quads (and
            // tiles) share it exactly and leave no pinholes between them.
            const int first = tile.firstAttribute + i;
            const double a1 = double(layout.angle(first));
            const double a2 = double(layout.angle(first + qMin(g, tile.attributeCount - i)));
            const float x1 = float(layout.radius * std::cos(a1));
            const float y1 = float(layout.radius * std::sin(a1));
            const float x2 = float(layout.radius * std::cos(a2));
            const float y2 = float(layout.radius * std::sin(a2));
            out = putVertex(out, x2, y2, z2, t2);
            out = putVertex(out, x2, y2, z1, t1);
            out = putVertex(out, x1, y1, z1, t1);
            out = putVertex(out, x2, y2, z2, t2);
            out = putVertex(out, x1, y1, z1, t1);
            out = putVertex(out, x1, y1, z2, t2);
        }
    }
    return true;
}

void TubeTiling::copyRows(const Data &data, const Tile &tile, int firstTime, int timeCount,
                          float *out)
{
    const qint64 n = data.attributeCount();
    const double *values = data.values.constData();
    for (int r = 0; r < timeCount; ++r) {
        const double *row = values + (qint64(firstTime) + r) * n + tile.firstAttribute;
        for (int a = 0; a < tile.attributeCount; ++a)
            *out++ = float(row[a]);
    }
}
