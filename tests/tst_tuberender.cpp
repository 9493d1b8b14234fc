#include "testsupport.h"
#include "view/tubetiling.h"
#include "view/vireoglwidget.h"

#include <QtTest>

// The texture path of the tube against the per-vertex path and the layout:
// same picture in every display mode, no value upload for style changes, no
// seam between value tiles, picking on the cell that is drawn.

namespace {

const QColor background(10, 20, 30);

// n attributes x 40 times; neighbouring cells (also diagonally) never share a value, and
// a few are missing.
Data checkerData(int n = 12)
{
    Data data(40, n);
    for (int t = 0; t < 40; ++t)
        for (int a = 0; a < n; ++a)
            data.values[t * n + a] = ((a * 7 + t * 3) % 12 + 1) / 12.0;
    for (int t : {0, 1, 20, 39})
        data.values[t * n + (t * 7) % n] = qQNaN();
    return data;
}

void show(VireoGLWidget &view, const Data &data)
{
    QVERIFY(showExposed(view, QSize(400, 400)));
    view.setBackgroundColor(background);
    view.setData(data);
    QVERIFY(!view.grabFramebuffer().isNull());
    QVERIFY(view.tubeRenderer().usesTextures());
}

bool near(QRgb c, QRgb e, int tolerance = 1)
{
    return qAbs(qRed(c) - qRed(e)) <= tolerance && qAbs(qGreen(c) - qGreen(e)) <= tolerance &&
           qAbs(qBlue(c) - qBlue(e)) <= tolerance;
}

// Pixels of a that match no pixel of b within one colour step, neither at the same place nor
// at its eight neighbours: a cell edge may fall one pixel either way, a wrong colour or a seam
// may not.
int mismatches(const QImage &a, const QImage &b)
{
    int count = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            bool found = false;
            for (int dy = -1; dy <= 1 && !found; ++dy)
                for (int dx = -1; dx <= 1 && !found; ++dx)
                    found = b.valid(x + dx, y + dy) && near(a.pixel(x, y), b.pixel(x + dx, y + dy));
            count += found ? 0 : 1;
        }
    }
    return count;
}

// Distinct colours in a frame: a picture of the cells has many, a broken one few.
int colourCount(const QImage &image)
{
    QSet<QRgb> colours;
    for (int y = 0; y < image.height(); y += 2)
        for (int x = 0; x < image.width(); x += 2)
            colours.insert(image.pixel(x, y));
    return colours.size();
}

QImage frame(VireoGLWidget &view, bool textures)
{
    view.tubeRenderer().setTexturesAllowed(textures);
    return view.grabFramebuffer().convertToFormat(QImage::Format_RGB32);
}

// The colour of cell (a, t) in the "Color" mode, missing values in magenta.
QRgb expectedColour(const Data &data, int a, int t, const ColorStops &stops)
{
    const double v = data.value(t, a);
    if (qIsNaN(v))
        return qRgb(255, 0, 255);
    const QVector4D c = ColorStop::colorAt(stops, v);
    return QColor::fromRgbF(c.x(), c.y(), c.z()).rgb();
}

} // namespace

class TestTubeRender : public QObject
{
    Q_OBJECT

private slots:
    void pathsDrawTheSamePicture()
    {
        VireoGLWidget view;
        show(view, checkerData());
        view.setCorrelationColor(QColor(255, 0, 0));
        // 12 attributes: each cell on its own chord; 300: the mesh joins runs of three cells.
        for (int n : {300, 12}) {
            const Data data = checkerData(n);
            view.setData(data);
            view.setSelection(Selection(data, 3, 4, 5, 8));
            view.setCorrelation({Selection(data, 3, 4, 5, 8), Selection(data, n - 2, 1, 20, 24)});
            // Down the tube from the start, and from the axis beside a few cells (where the
            // narrowed cells of the width modes lie far behind the full chord).
            const float k = n / 12.0f;
            const QVector<QPointF> poses = {
                {-1, -1}, {3.5f * k, 6.5f}, {11.5f * k, 22}, {0.5f, 38}};
            for (int mode = 0; mode < 3; ++mode) {
                view.setDisplayMode(mode);
                QTest::keyClick(&view, Qt::Key_O); // the starting pose
                for (const QPointF &pose : poses) {
                    if (pose.x() >= 0)
                        lookAt(view, float(pose.x()), float(pose.y()));
                    const QImage textures = frame(view, true);
                    const QImage vertices = frame(view, false);
                    const QString where = QString::asprintf("%d attributes, mode %d, pose %g,%g", n,
                                                            mode, pose.x(), pose.y());
                    QVERIFY2(colourCount(vertices) > (mode == 1 ? 1 : 4), qPrintable(where));
                    // One pixel in 10,000 may differ: cells thinner than a pixel far down the
                    // tube fall either way, and the per-vertex quads leave pinholes where the
                    // rounding of neighbouring corners differs.
                    QVERIFY2(mismatches(textures, vertices) <= 16, qPrintable(where));
                    QVERIFY2(mismatches(vertices, textures) <= 16, qPrintable(where));
                }
            }
        }
    }
    void styleChangesUploadNoValues()
    {
        VireoGLWidget view;
        const Data data = checkerData();
        show(view, data);
        lookAt(view, 6.5f, 10.5f);
        const TubeTextureRenderer &textures = view.tubeRenderer().textureRenderer();
        const int uploads = textures.valueUploadCount();
        QCOMPARE(textures.valueBytes(), qint64(12 * 40 * 4));
        const QPoint middle = scenePixel(view, view.layout().wallPoint(6.5f, 10.5f));

        // Each change shows in the next frame; none sends values again.
        QLinearGradient red;
        red.setColorAt(0.0, QColor(0, 0, 0));
        red.setColorAt(0.5, QColor(255, 0, 0));
        red.setColorAt(1.0, QColor(255, 255, 255));
        view.setGradient(red);
        QVERIFY(near(view.grabFramebuffer().pixel(middle),
                     expectedColour(data, 6, 10, ColorStop::fromGradient(red))));
        view.setDisplayMode(1);
        view.setWidthColor(QColor(0, 128, 0));
        QVERIFY(near(view.grabFramebuffer().pixel(middle), qRgb(0, 128, 0)));
        view.setMissingValuesColor(QColor(1, 2, 3));
        view.setBackgroundColor(QColor(4, 5, 6));
        lookAt(view, 2.5f, 30.5f);
        view.grabFramebuffer();
        QCOMPARE(textures.valueUploadCount(), uploads);

        // New data is sent once.
        view.setData(checkerData());
        view.grabFramebuffer();
        view.grabFramebuffer();
        QCOMPARE(textures.valueUploadCount(), uploads + 1);
    }
    void tilesJoinWithoutSeams()
    {
        VireoGLWidget view;
        show(view, checkerData());
        // Arrays of 5 attributes (3 of them) with layers of 5 time steps (8 of them).
        for (int mode : {0, 2}) {
            view.setDisplayMode(mode);
            for (const QPointF &pose : {QPointF(-1, -1), QPointF(5, 10), QPointF(10, 20)}) {
                if (pose.x() >= 0)
                    lookAt(view, float(pose.x()), float(pose.y()));
                view.tubeRenderer().setMaxTileSize(0);
                const QImage whole = frame(view, true);
                QCOMPARE(view.tubeRenderer().textureRenderer().tileCount(), 1);
                QCOMPARE(view.tubeRenderer().textureRenderer().layerCount(), 1);
                view.tubeRenderer().setMaxTileSize(5);
                const QImage tiled = frame(view, true);
                QCOMPARE(view.tubeRenderer().textureRenderer().tileCount(), 3);
                QCOMPARE(view.tubeRenderer().textureRenderer().layerCount(), 8);
                QVERIFY(colourCount(whole) > 4);
                QCOMPARE(mismatches(tiled, whole), 0);
                QCOMPARE(mismatches(whole, tiled), 0);
            }
        }
    }
    void pickingLandsOnTheDrawnCell()
    {
        // Picking meets the round wall, the cells are flat: with many attributes they agree.
        VireoGLWidget view;
        const Data data = checkerData(60);
        show(view, data);
        view.tubeRenderer().setMaxTileSize(7);
        const ColorStops stops = view.tubeRenderer().geometry().colorStops;
        // From the axis (where a flight to a cell ends), a grid of window points: wherever the
        // click picks a cell whose pixel and neighbours agree (not an edge), the pixel shows that
        // cell's colour, across tiles of 7 x 7 cells.
        for (const QPointF &pose : {QPointF(0.5, 2), QPointF(24.2, 12.7), QPointF(49.9, 33.1)}) {
            lookAt(view, float(pose.x()), float(pose.y()));
            const QImage image = view.grabFramebuffer().convertToFormat(QImage::Format_RGB32);
            int checked = 0;
            for (int y = 10; y < 390; y += 17) {
                for (int x = 10; x < 390; x += 17) {
                    const TubeLayout::Cell cell = view.cellAt(QPoint(x, y));
                    const QRgb p = image.pixel(x, y);
                    if (!cell.isValid() || !near(image.pixel(x + 2, y), p) ||
                        !near(image.pixel(x, y + 2), p) || !near(image.pixel(x - 2, y), p) ||
                        !near(image.pixel(x, y - 2), p))
                        continue;
                    const QRgb expected = expectedColour(data, cell.attribute, cell.time, stops);
                    QVERIFY2(near(p, expected, 2),
                             qPrintable(QString::asprintf("%d,%d: cell %d %d", x, y, cell.attribute,
                                                          cell.time)));
                    ++checked;
                }
            }
            QVERIFY(checked > 50);
        }
    }
    void tilingSharesOutTheValues()
    {
        // Each row: data shape, texture side, layer limit; arrays, layers, rows a layer, attributes
        // a quad (0 arrays: too large).
        // clang-format off
        struct Row { int n, m, side, maxLayers; int arrays, layers, rows, perQuad; };
        // clang-format on
        const Row rows[] = {
            {12, 40, 16384, 2048, 1, 1, 40, 1},
            {12, 40, 5, 2048, 3, 8, 5, 1},
            {200, 50000, 16384, 2048, 1, 4, 12500, 2}, // rows shared out evenly
            {1000, 100000, 16384, 2048, 1, 7, 14286, 8},
            {20000, 10, 16384, 2048, 2, 1, 10, 157},
            {3, 10000, 100, 99, 0, 0, 0, 1},
        };
        for (const Row &r : rows) {
            const TubeLayout layout(r.n, r.m);
            const TubeTiling tiling(layout, r.side, r.side, r.maxLayers);
            const QString row = QStringLiteral("%1 x %2").arg(r.n).arg(r.m);
            QVERIFY2(tiling.tiles.size() == r.arrays && tiling.layerCount() == r.layers &&
                         tiling.rowsPerLayer() == r.rows,
                     qPrintable(row));
            if (r.arrays == 0)
                continue;
            QCOMPARE(tiling.attributesPerSegment(), r.perQuad);
            // Every attribute in exactly one array, every time step in a layer.
            QCOMPARE(tiling.tiles.last().firstAttribute + tiling.tiles.last().attributeCount, r.n);
            QVERIFY(qint64(r.layers) * r.rows >= r.m && (r.layers - 1) * r.rows < r.m);
            // The quads close the tube: the last edge meets the first.
            QVector<float> mesh;
            QVERIFY(tiling.buildMesh(layout, mesh));
            // At most one quad more an array where an array's end splits a run.
            const int quads = mesh.size() / (6 * 4);
            const int least = (r.n + r.perQuad - 1) / r.perQuad;
            QVERIFY2(quads >= least && quads <= least + r.arrays - 1, qPrintable(row));
            QVERIFY(qAbs(mesh.at(mesh.size() - 6 * 4) - mesh.at(2 * 4)) < 1e-5f);
        }
    }
};

QTEST_MAIN(TestTubeRender)
#include "tst_tuberender.moc"
