#ifndef VIREO_VIEW_TUBETILING_H
#define VIREO_VIEW_TUBETILING_H

#include "core/data.h"
#include "view/tubelayout.h"

#include <QVector>

// How the values are cut into float texture arrays whose sides stay within
// the GL limits (time steps run down the rows of one layer, then on in the
// next), and the coarse wall drawn over them: flat quads along the whole
// tube (the wall is straight along the axis, so the cells need no vertices of
// their own), one per attribute up to maxSegments round the tube, else one
// per run of neighbouring attributes (thin slivers by the thousand cost a
// software rasterizer more than all the cells). Attributes past the widest
// texture go to further arrays, split along the quads' own edges. The
// fragment shader finds the cell from its angle and the quad's time
// coordinate. No OpenGL here.
class TubeTiling
{
public:
    struct Tile
    {
        int firstAttribute = 0;
        int attributeCount = 0;
        int firstVertex = 0;
        int vertexCount = 0;
    };

    // x, y, z, then the time (0 at the first time step).
    static constexpr int floatsPerVertex = 4;
    static constexpr int verticesPerQuad = 6;
    // Time steps the wall runs on past each end of the data, and the most
    // cells a ray is followed through looking for a narrowed cell: seen from
    // near an end, a narrowed cell there lies where no full chord is.
    static constexpr int margin = 64;
    // Past this many the chords of single cells differ from those of runs of
    // cells by less than 0.001 of the radius.
    static constexpr int maxSegments = 128;

    TubeTiling() = default;
    // Arrays at most attributeCells wide with layers of at most rowCells time
    // steps; no tiles when more than maxLayers layers would be needed.
    TubeTiling(const TubeLayout &layout, int attributeCells, int rowCells, int maxLayers);

    qint64 vertexCount() const;
    int attributesPerSegment() const { return m_attributesPerSegment; }
    int rowsPerLayer() const { return m_rowsPerLayer; }
    int layerCount() const { return m_layerCount; }
    // The quads of every tile, in tile order; false when the list cannot be
    // allocated.
    bool buildMesh(const TubeLayout &layout, QVector<float> &vertices) const;
    // Time steps firstTime .. firstTime + timeCount - 1 of the tile's
    // attributes as floats, one time step a row: the texture's layout.
    // Missing values stay NaN.
    static void copyRows(const Data &data, const Tile &tile, int firstTime, int timeCount,
                         float *out);

    QVector<Tile> tiles;

private:
    int m_attributesPerSegment = 1;
    int m_rowsPerLayer = 0;
    int m_layerCount = 0;
};

#endif // VIREO_VIEW_TUBETILING_H
