#include "core/selection.h"
#include "view/colorstop.h"
#include "view/outlinegeometry.h"
#include "view/tubegeometry.h"
#include "view/tubelayout.h"

#include <QtTest>

#include <cmath>

namespace {

// 4 attributes x 6 times, v(a, t) = (6a + t) / 23, attribute 1 missing at t 4.
Data smallData()
{
    Data data(6, 4);
    for (int t = 0; t < 6; ++t)
        for (int a = 0; a < 4; ++a)
            data.values[t * 4 + a] = (6 * a + t) / 23.0;
    data.values[4 * 4 + 1] = qQNaN();
    return data;
}

TubeLayout layoutOf(const Data &data)
{
    return TubeLayout(data.attributeCount(), data.timeCount());
}

// Cells of one quad of 6 vertices of 6 floats each, attribute by attribute; empty when the
// build fails or gives another size.
QVector<float> build(const Data &data, int mode)
{
    TubeGeometry geometry;
    geometry.data = data;
    geometry.displayMode = mode;
    geometry.colorStops = {ColorStop(0.0, {0, 0, 1, 1}), ColorStop(1.0, {170 / 255.0f, 1, 1, 1})};
    QVector<float> vertices;
    const bool built = geometry.build(layoutOf(data), vertices) == TubeGeometry::Built;
    // Exactly the size: a fresh list resized alone would grow to the next power of two.
    return built && vertices.size() == data.attributeCount() * data.timeCount() * 36 &&
                   vertices.capacity() == vertices.size()
               ? vertices
               : QVector<float>();
}

// The vertex's first floats are the expected ones, to 1e-5.
bool near(const QVector<float> &vertices, int vertex, const QVector<float> &expected,
          int floatsPerVertex = 6)
{
    const int start = vertex * floatsPerVertex;
    for (int i = 0; i < expected.size(); ++i)
        if (start + i >= vertices.size() || !(std::abs(vertices[start + i] - expected[i]) <= 1e-5f))
            return false;
    return true;
}

// "attribute time", to name a cell in a failure.
QString cellName(const TubeLayout::Cell &cell)
{
    return QString("%1 %2").arg(cell.attribute).arg(cell.time);
}

} // namespace

class TestTubeGeometry : public QObject
{
    Q_OBJECT

private slots:
    void gradientLookup()
    {
        const ColorStops stops = {ColorStop(0.2, {0, 0, 0, 1}), ColorStop(0.6, {1, 0, 0, 1}),
                                  ColorStop(1.0, {1, 1, 1, 1})};
        const auto at = [&stops](double v) { return ColorStop::colorAt(stops, v); };
        // The end colours outside the stops, the inner stop's on it; 0.4 is halfway from 0.2 to
        // 0.6, 0.9 three quarters from 0.6 to 1.0.
        QCOMPARE(at(0.1), QVector4D(0, 0, 0, 1));
        QCOMPARE(at(1.5), QVector4D(1, 1, 1, 1));
        QCOMPARE(at(0.6), QVector4D(1, 0, 0, 1));
        QVERIFY((at(0.4) - QVector4D(0.5f, 0, 0, 1)).length() < 1e-6f);
        QVERIFY((at(0.9) - QVector4D(1, 0.75f, 0.75f, 1)).length() < 1e-6f);
        QCOMPARE(ColorStop::colorAt(stops.mid(1, 1), 0.0), QVector4D(1, 0, 0, 1)); // single stop
    }
    void cells()
    {
        // Vertex i of cell c (attribute c / 6, time c % 6) is c * 6 + i. Attribute 0 spans angles
        // 0 .. -pi/2: chord from (3, 0) to (0, -3). Time 0 from z 0 to -0.1; 0 is the first stop's
        // blue.
        QVector<float> v = build(smallData(), TubeGeometry::Color);
        QVERIFY(near(v, 0, {0, -3, -0.1f, 0, 0, 1}));
        QVERIFY(near(v, 1, {0, -3, 0, 0, 0, 1}));
        QVERIFY(near(v, 2, {3, 0, 0, 0, 0, 1}));
        QVERIFY(near(v, 5, {3, 0, -0.1f, 0, 0, 1}));
        // Attribute 1 (cells 6..11) spans -pi/2 .. -pi; time 2 ends at -0.3; v = 8/23: red
        // 170/255 * 8/23 = 0.231884, green 8/23 = 0.347826. The missing value: magenta.
        QVERIFY(near(v, 8 * 6 + 0, {-3, 0, -0.3f, 0.231884f, 0.347826f, 1}));
        QVERIFY(near(v, 10 * 6 + 2, {0, -3, -0.4f, 1, 0, 1}));

        // Attribute 0 at time 3, v = 3/23: half width pi/4 * 3/23 = 0.102443 round the centre
        // -pi/4, corner at -0.682955 rad: (2.327134, -1.893264); yellow, or the gradient's
        // (170/255 * 3/23, 3/23, 1) = (0.086957, 0.130435, 1). A missing value has zero width:
        // both edges at the centre -3pi/4, (-2.12132, -2.12132).
        v = build(smallData(), TubeGeometry::Width);
        QVERIFY(near(v, 3 * 6 + 2, {2.327134f, -1.893264f, -0.3f, 1, 1, 0}));
        QVERIFY(near(v, 10 * 6 + 0, {-2.12132f, -2.12132f, -0.5f, 1, 0, 1}));
        QVERIFY(near(v, 10 * 6 + 2, {-2.12132f, -2.12132f, -0.4f, 1, 0, 1}));
        v = build(smallData(), TubeGeometry::ColorAndWidth);
        QVERIFY(near(v, 3 * 6 + 2, {2.327134f, -1.893264f, -0.3f, 0.086957f, 0.130435f, 1}));

        // One attribute: step -2 pi, both edges at angle 0 (resp. -2 pi), a line at (3, 0).
        v = build(Data(2, 1), TubeGeometry::Color);
        QVERIFY(near(v, 1 * 6 + 0, {3, 0, -0.2f}));
        QVERIFY(near(v, 1 * 6 + 2, {3, 0, -0.1f}));
        // Summing -0.1f fifty thousand times ends near -5002.5; the cell at time 49999 must end
        // at -50000 * 0.1 = -5000, where the outlines put it.
        v = build(Data(50000, 1), TubeGeometry::Color);
        QVERIFY(near(v, 49999 * 6 + 0, {3, 0, -5000}));
    }
    void sizeLimits()
    {
        // 2^31 - 1 - 64 bytes, 4 per float: 536870895 floats, 14913080 cells of 36.
        QCOMPARE(TubeGeometry::maxFloatCount(), Q_INT64_C(536870895));
        QCOMPARE(TubeGeometry::floatCount(100000, 100000), Q_INT64_C(360000000000));
        TubeGeometry geometry;
        QVERIFY(geometry.fits(1, 14913080));
        QVERIFY(!geometry.fits(1, 14913081));
        QVERIFY(!geometry.fits(65536, 65536)); // the 32-bit product would wrap to 0

        QVector<float> vertices{1.0f};
        geometry.data = smallData();
        const TubeLayout layout = layoutOf(geometry.data);
        geometry.floatLimit = 4 * 6 * 36 - 1;
        QCOMPARE(geometry.build(layout, vertices), TubeGeometry::TooLarge);
        QVERIFY(vertices.isEmpty());
        geometry.floatLimit = 4 * 6 * 36;
        // An allocation that fails is out of memory, not too large.
        geometry.allocationLimit = 4 * 6 * 36 - 1;
        QCOMPARE(geometry.build(layout, vertices), TubeGeometry::OutOfMemory);
        QVERIFY(vertices.isEmpty());
        geometry.allocationLimit = TubeGeometry::maxFloatCount();
        QCOMPARE(geometry.build(layout, vertices), TubeGeometry::Built);
        QCOMPARE(geometry.build(TubeLayout(4, 5), vertices), TubeGeometry::Empty); // other shape
        geometry.data = Data();
        QCOMPARE(geometry.build(layoutOf(geometry.data), vertices), TubeGeometry::Empty);
    }
    void outlines()
    {
        const Data data = smallData();
        const TubeLayout layout = layoutOf(data);
        OutlineGeometry outline;
        outline.inset = 0.01f;
        QVector<float> vertices;
        QVERIFY(!outline.build(layout, vertices));
        // Nothing, past the last time, another table's shape.
        outline.selections = {Selection(), Selection(data, 1, 1, 2, 6),
                              Selection(Data(6, 5), 0, 0, 0, 0)};
        QVERIFY(!outline.build(layout, vertices));

        // Value at attribute 1, time 2: two bands along the cell's edge plus two side bands,
        // 6 vertices of 3 floats each = 72 floats.
        outline.selections = {Selection(data, 1, 1, 2, 2)};
        QVERIFY(outline.build(layout, vertices));
        QCOMPARE(vertices.size(), 72);
        // Top band from angle -pi (-2.99, 0) at zTop -0.2 - 0.02 to -pi/2 at -0.2 + 0.02; bottom
        // band round zBottom -0.3; first side edge at -pi/2 + 0.005 down to zBottom - 0.02.
        QVERIFY(near(vertices, 0, {-2.99f, 0, -0.22f}, 3));
        QVERIFY(near(vertices, 2, {0, -2.99f, -0.18f}, 3));
        QVERIFY(near(vertices, 6, {-2.99f, 0, -0.32f}, 3));
        const float side = float(-M_PI / 2 + 0.005);
        QVERIFY(near(vertices, 12, {2.99f * std::cos(side), 2.99f * std::sin(side), -0.32f}, 3));

        // Wrapping zone: attributes 3 then 0, two selections of that shape.
        outline.selections = {Selection(data, 3, 0, 0, 1), Selection(data, 3, 0, 4, 5)};
        QVERIFY(outline.build(layout, vertices));
        QCOMPARE(vertices.size(), 2 * (2 * 2 + 2) * 18);
        // Second attribute of the first zone is 0: its band ends at angle 0.
        QVERIFY(near(vertices, 2 * 6 + 2, {2.99f, 0, 0.02f}, 3));
        outline.floatLimit = 2 * (2 * 2 + 2) * 18 - 1;
        QVERIFY(!outline.build(layout, vertices));
        QVERIFY(vertices.isEmpty());
    }
    void layoutPicksWhatItPlaces()
    {
        // 10 attributes x 6 times: every cell's middle, and points near its corners, map back.
        const TubeLayout layout(10, 6);
        for (int a = 0; a < 10; ++a)
            for (int t = 0; t < 6; ++t)
                for (const QPointF &offset :
                     {QPointF(0.5, 0.5), QPointF(0.01, 0.01), QPointF(0.99, 0.99)}) {
                    QCOMPARE(cellName(layout.cellAt(
                                 layout.wallPoint(a + float(offset.x()), t + float(offset.y())))),
                             QString("%1 %2").arg(a).arg(t));
                }
        // Before the first time, past the last, far away: no cell.
        for (float z : {0.01f, -0.6f, -1e30f})
            QVERIFY(!layout.cellAt(QVector3D(3, 0, z)).isValid());
        QVERIFY(!TubeLayout().cellAt(QVector3D(3, 0, -0.05f)).isValid()); // no data

        // The middle of the wrapping zone 8, 9, 0, 1 x times 2..5 is where attribute 0 begins
        // (angle 0), halfway down time 4: not position (8 + 1) / 2 on the far side.
        const Data data(6, 10);
        const QVector3D middle = layout.middle(Selection(data, 8, 1, 2, 5));
        QVERIFY((middle - QVector3D(3, 0, -0.4f)).length() < 1e-5f);
        QVERIFY(layout.contains(Selection(data, 8, 1, 2, 5)));
        QVERIFY(!layout.contains(Selection(data, 8, 10, 2, 5)));

        // Rays through the screen: eye on the axis at z -0.3 looking at +x. The centre of the
        // screen meets the wall at (3, 0, -0.3); the top edge 22.5 degrees up, at y = 3 tan 22.5.
        QMatrix4x4 pmv;
        pmv.perspective(45.0f, 1.0f, 0.01f, 1000.0f);
        QMatrix4x4 view;
        view.lookAt(QVector3D(0, 0, -0.3f), QVector3D(3, 0, -0.3f), QVector3D(0, 1, 0));
        QVector3D hit;
        QVERIFY(layout.wallPointUnder(pmv * view, QPointF(0, 0), &hit));
        QVERIFY((hit - QVector3D(3, 0, -0.3f)).length() < 1e-3f);
        QVERIFY(layout.wallPointUnder(pmv * view, QPointF(0, 1), &hit));
        QVERIFY(std::abs(std::atan2(hit.y(), hit.x()) - float(M_PI / 8)) < 1e-3f);
        // The wall is drawn as chords: with few attributes the circle lies well behind them,
        // and a ray through a drawn cell's middle must still name that cell, also for an eye
        // off the axis looking down the tube at a slant.
        const TubeLayout seven(7, 200);
        view.setToIdentity();
        view.lookAt(QVector3D(0.5f, -0.8f, 0.4f), QVector3D(-0.3f, 0.2f, -3), QVector3D(0, 1, 0));
        int seen = 0;
        for (int a = 0; a < 7; ++a)
            for (int t = 0; t < 200; ++t) {
                const QVector3D drawn =
                    (seven.wallPoint(a, t + 0.5f) + seven.wallPoint(a + 1, t + 0.5f)) / 2;
                const QVector3D ndc = (pmv * view).map(drawn);
                if (std::abs(ndc.x()) > 1 || std::abs(ndc.y()) > 1 || std::abs(ndc.z()) > 1)
                    continue;
                ++seen;
                QVERIFY(seven.wallPointUnder(pmv * view, QPointF(ndc.x(), ndc.y()), &hit));
                QCOMPARE(cellName(seven.cellAt(hit)), QString("%1 %2").arg(a).arg(t));
            }
        QVERIFY2(seen > 50, qPrintable(QString::number(seen)));
        // Looking straight along the axis the centre ray never meets the wall; a flat matrix
        // cannot be inverted.
        view.setToIdentity();
        view.lookAt(QVector3D(0, 0, 8), QVector3D(0, 0, -2), QVector3D(0, 1, 0));
        QVERIFY(!layout.wallPointUnder(pmv * view, QPointF(0, 0), &hit));
        QVERIFY(!layout.wallPointUnder(QMatrix4x4(0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0),
                                       QPointF(0.5, 0.5), &hit));
    }
};

QTEST_GUILESS_MAIN(TestTubeGeometry)
#include "tst_tubegeometry.moc"
