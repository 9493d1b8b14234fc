#include "view/tubetiling.h"

#include <cmath>
#include <new>

namespace {

inline float *putVertex(float *out, float x, float y, float z, float attribute, float time)
{
    out[0] = x;
    out[1] = y;
    out[2] = z;
    out[3] = attribute;
    out[4] = time;
    return out + TubeTiling::floatsPerVertex;
}

} // namespace

TubeTiling::TubeTiling(const TubeLayout &layout, int attributeCells, int timeCells, int halo)
{
    const int n = layout.attributeCount;
    const int m = layout.timeCount;
    if (n <= 0 || m <= 0 || attributeCells <= 0 || timeCells <= 0)
        return;
    int vertex = 0;
    // In 64 bits: the last step may pass INT_MAX.
    for (qint64 t0 = 0; t0 < m; t0 += timeCells) {
        for (qint64 a0 = 0; a0 < n; a0 += attributeCells) {
            Tile tile;
            tile.firstAttribute = int(a0);
            tile.attributeCount = int(qMin<qint64>(attributeCells, n - a0));
            tile.firstTime = int(t0);
            tile.timeCount = int(qMin<qint64>(timeCells, m - t0));
            tile.haloBefore = int(qMin<qint64>(halo, t0));
            tile.haloAfter = int(qMin<qint64>(halo, m - t0 - tile.timeCount));
            tile.firstVertex = vertex;
            tile.vertexCount = tile.attributeCount * verticesPerQuad;
            vertex += tile.vertexCount;
            tiles.append(tile);
        }
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
    const float half = 0.5f * layout.step();
    float *out = vertices.data();
    for (const Tile &tile : tiles) {
        const float z1 = layout.depth(tile.firstTime);
        const float z2 = layout.depth(tile.firstTime + tile.timeCount);
        const float t2 = float(tile.timeCount);
        for (int i = 0; i < tile.attributeCount; ++i) {
            // The chord of the per-vertex cells, computed the same way, so
            // that both paths draw the same wall.
            const float centre = layout.angle(tile.firstAttribute + i + 0.5f);
            const double a1 = double(centre - half);
            const double a2 = double(centre + half);
            const float x1 = float(layout.radius * std::cos(a1));
            const float y1 = float(layout.radius * std::sin(a1));
            const float x2 = float(layout.radius * std::cos(a2));
            const float y2 = float(layout.radius * std::sin(a2));
            const float a = float(i);
            out = putVertex(out, x2, y2, z2, a, t2);
            out = putVertex(out, x2, y2, z1, a, 0.0f);
            out = putVertex(out, x1, y1, z1, a, 0.0f);
            out = putVertex(out, x2, y2, z2, a, t2);
            out = putVertex(out, x1, y1, z1, a, 0.0f);
            out = putVertex(out, x1, y1, z2, a, t2);
        }
    }
    return true;
}

void TubeTiling::copyRows(const Data &data, const Tile &tile, int firstRow, int rowCount,
                          float *out)
{
    const qint64 n = data.attributeCount();
    const double *values = data.values.constData();
    for (int r = 0; r < rowCount; ++r) {
        const qint64 time = qint64(tile.firstTime) - tile.haloBefore + firstRow + r;
        const double *row = values + time * n + tile.firstAttribute;
        for (int a = 0; a < tile.attributeCount; ++a)
            *out++ = float(row[a]);
    }
}
