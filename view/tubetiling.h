#ifndef VIREO_VIEW_TUBETILING_H
#define VIREO_VIEW_TUBETILING_H

#include "core/data.h"
#include "view/tubelayout.h"

#include <QVector>

// How the values are cut into float textures no side of which exceeds the
// GL limit, and the coarse wall drawn over each: one flat quad per attribute
// of a tile, as long as the tile (the wall is straight along the axis, so the
// cells need no vertices of their own). The fragment shader finds the cell
// from the quad's coordinates. No OpenGL here.
class TubeTiling
{
public:
    struct Tile
    {
        int firstAttribute = 0;
        int attributeCount = 0;
        int firstTime = 0;
        int timeCount = 0;
        int firstVertex = 0;
        int vertexCount = 0;
        // Rows of the neighbouring tiles copied before and after the tile's own:
        // a ray followed outwards to a narrowed cell may end past the tile.
        int haloBefore = 0;
        int haloAfter = 0;
        int textureRows() const { return haloBefore + timeCount + haloAfter; }
    };

    // x, y, z, then the cell coordinates inside the tile: attribute (constant
    // over a quad) and time (0 at the tile's first time step).
    static constexpr int floatsPerVertex = 5;
    static constexpr int verticesPerQuad = 6;
    // Rows a tile borrows from each neighbour: as many as cells a ray is
    // followed through, looking for a narrowed cell.
    static constexpr int halo = 64;

    TubeTiling() = default;
    // Tiles of at most attributeCells x timeCells cells, each with up to halo
    // rows of its neighbours on either side.
    TubeTiling(const TubeLayout &layout, int attributeCells, int timeCells, int halo);

    qint64 vertexCount() const;
    // The quads of every tile, in tile order; false when the list cannot be
    // allocated.
    bool buildMesh(const TubeLayout &layout, QVector<float> &vertices) const;
    // Rows firstRow .. firstRow + rowCount - 1 of the tile's texture (its
    // halo included) as floats, one time step a row: the texture's layout.
    // Missing values stay NaN.
    static void copyRows(const Data &data, const Tile &tile, int firstRow, int rowCount,
                         float *out);

    QVector<Tile> tiles;
};

#endif // VIREO_VIEW_TUBETILING_H
