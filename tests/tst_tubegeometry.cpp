#include "core/selection.h"
#include "view/colorstop.h"
#include "view/outlinegeometry.h"
#include "view/tubegeometry.h"

#include <QtTest>

#include <cmath>

class TestTubeGeometry : public QObject
{
    Q_OBJECT

private slots:
    void gradientLookup();
    void colorModeLayout();
    void widthModes();
    void singleAttributeDegenerates();
    void depthDoesNotDrift();
    void sizeLimits();
    void outlines();
};

namespace {

constexpr float eps = 1e-5f;

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

TubeGeometry geometryFor(const Data &data, int mode)
{
    TubeGeometry geometry;
    geometry.data = data;
    geometry.displayMode = mode;
    geometry.colorStops = {ColorStop(0.0, QVector4D(0, 0, 1, 1)),
                           ColorStop(1.0, QVector4D(170 / 255.0f, 1, 1, 1))};
    return geometry;
}

// Vertex v (0..5) of the cell of attribute a at time t, m times.
QVector<float> vertex(const QVector<float> &vertices, int a, int t, int m, int v)
{
    const int start = (a * m + t) * TubeGeometry::floatsPerCell + v * TubeGeometry::floatsPerVertex;
    return vertices.mid(start, TubeGeometry::floatsPerVertex);
}

bool near(const QVector<float> &actual, const QVector<float> &expected)
{
    if (actual.size() != expected.size())
        return false;
    for (int i = 0; i < actual.size(); ++i)
        if (std::abs(actual.at(i) - expected.at(i)) > eps)
            return false;
    return true;
}

} // namespace

void TestTubeGeometry::gradientLookup()
{
    const ColorStops stops = {ColorStop(0.2, QVector4D(0, 0, 0, 1)),
                              ColorStop(0.6, QVector4D(1, 0, 0, 1)),
                              ColorStop(1.0, QVector4D(1, 1, 1, 1))};
    QCOMPARE(ColorStop::colorAt(stops, 0.1), QVector4D(0, 0, 0, 1)); // below the first
    QCOMPARE(ColorStop::colorAt(stops, 1.5), QVector4D(1, 1, 1, 1)); // above the last
    QCOMPARE(ColorStop::colorAt(stops, 0.6), QVector4D(1, 0, 0, 1)); // on the inner stop
    // 0.4 is halfway from 0.2 to 0.6; 0.9 three quarters from 0.6 to 1.0.
    QVERIFY(qFuzzyCompare(ColorStop::colorAt(stops, 0.4), QVector4D(0.5f, 0, 0, 1)));
    QVERIFY(qFuzzyCompare(ColorStop::colorAt(stops, 0.9), QVector4D(1, 0.75f, 0.75f, 1)));
    QCOMPARE(ColorStop::colorAt(stops.mid(1, 1), 0.0), QVector4D(1, 0, 0, 1));

    QLinearGradient gradient;
    gradient.setColorAt(1.0, QColor(170, 255, 255));
    gradient.setColorAt(0.0, QColor(0, 0, 255));
    const ColorStops converted = ColorStop::fromGradient(gradient);
    QCOMPARE(converted.size(), 2);
    QCOMPARE(converted.at(0).position, 0.0);
    QCOMPARE(converted.at(1).color, QVector4D(170 / 255.0f, 1, 1, 1));
}

void TestTubeGeometry::colorModeLayout()
{
    QVector<float> vertices;
    QCOMPARE(geometryFor(Data(), TubeGeometry::Color).build(vertices), TubeGeometry::Empty);
    QCOMPARE(geometryFor(smallData(), TubeGeometry::Color).build(vertices), TubeGeometry::Built);
    // 4 x 6 cells, 6 vertices of 6 floats each.
    QCOMPARE(vertices.size(), 4 * 6 * 36);

    // Attribute 0 spans angles 0 .. -pi/2: chord from (3, 0) to (0, -3). Time 0
    // from z 0 to z -0.1; value 0 is the first stop's blue.
    QVERIFY(near(vertex(vertices, 0, 0, 6, 0), {0, -3, -0.1f, 0, 0, 1}));
    QVERIFY(near(vertex(vertices, 0, 0, 6, 1), {0, -3, 0, 0, 0, 1}));
    QVERIFY(near(vertex(vertices, 0, 0, 6, 2), {3, 0, 0, 0, 0, 1}));
    QVERIFY(near(vertex(vertices, 0, 0, 6, 5), {3, 0, -0.1f, 0, 0, 1}));
    // Attribute 1 spans -pi/2 .. -pi; time 2 from -0.2 to -0.3; v = 8/23:
    // red 170/255 * 8/23 = 0.231884, green 8/23 = 0.347826.
    QVERIFY(near(vertex(vertices, 1, 2, 6, 0), {-3, 0, -0.3f, 0.231884f, 0.347826f, 1}));
    QVERIFY(near(vertex(vertices, 1, 2, 6, 2), {0, -3, -0.2f, 0.231884f, 0.347826f, 1}));
    // Missing value: full cell in magenta.
    QVERIFY(near(vertex(vertices, 1, 4, 6, 2), {0, -3, -0.4f, 1, 0, 1}));
}

void TestTubeGeometry::widthModes()
{
    QVector<float> vertices;
    QCOMPARE(geometryFor(smallData(), TubeGeometry::Width).build(vertices), TubeGeometry::Built);
    // Attribute 0 at time 3, v = 3/23: half width pi/4 * 3/23 round the centre
    // -pi/4, so the corner at -pi/4 + 0.102443 = -0.682955 rad, yellow.
    const float a1 = float(-M_PI / 4 + M_PI / 4 * 3 / 23);
    QVERIFY(
        near(vertex(vertices, 0, 3, 6, 2), {3 * std::cos(a1), 3 * std::sin(a1), -0.3f, 1, 1, 0}));
    // A missing value has zero width: both edges at -pi/4, (2.12132, -2.12132).
    const QVector<float> left = vertex(vertices, 1, 4, 6, 0);
    const QVector<float> right = vertex(vertices, 1, 4, 6, 2);
    QVERIFY(near(left.mid(0, 2), right.mid(0, 2)));
    QVERIFY(near(left.mid(0, 2), {-2.12132f, -2.12132f}));

    // Colour & width: same narrowing, gradient colour (v = 3/23, green 0.130435).
    QCOMPARE(geometryFor(smallData(), TubeGeometry::ColorAndWidth).build(vertices),
             TubeGeometry::Built);
    QVERIFY(near(vertex(vertices, 0, 3, 6, 2),
                 {3 * std::cos(a1), 3 * std::sin(a1), -0.3f, 170.0f / 255 * 3 / 23, 3.0f / 23, 1}));
}

void TestTubeGeometry::singleAttributeDegenerates()
{
    Data data(2, 1);
    data.values = {0.0, 1.0};
    QVector<float> vertices;
    QCOMPARE(geometryFor(data, TubeGeometry::Color).build(vertices), TubeGeometry::Built);
    QCOMPARE(vertices.size(), 2 * 36);
    // step -2 pi: both edges of the quad at angle 0 (resp. -2 pi), a line at (3, 0).
    QVERIFY(near(vertex(vertices, 0, 1, 2, 0).mid(0, 3), {3, 0, -0.2f}));
    QVERIFY(near(vertex(vertices, 0, 1, 2, 2).mid(0, 3), {3, 0, -0.1f}));
}

void TestTubeGeometry::depthDoesNotDrift()
{
    // Summing -0.1f fifty thousand times ends near -5002.5; the cell at time
    // 49999 must end at -50000 * 0.1 = -5000, where the outlines put it.
    Data data(50000, 1);
    QVector<float> vertices;
    QCOMPARE(geometryFor(data, TubeGeometry::Color).build(vertices), TubeGeometry::Built);
    QCOMPARE(vertex(vertices, 0, 49999, 50000, 0).at(2), -5000.0f);
}

void TestTubeGeometry::sizeLimits()
{
    // 2^31 - 1 - 64 bytes, 4 per float: 536870895 floats, 14913080 cells of 36.
    QCOMPARE(TubeGeometry::maxFloatCount(), Q_INT64_C(536870895));
    QCOMPARE(TubeGeometry::floatCount(100000, 100000), Q_INT64_C(360000000000));
    TubeGeometry geometry;
    QVERIFY(geometry.fits(1, 14913080));
    QVERIFY(!geometry.fits(1, 14913081));
    QVERIFY(!geometry.fits(65536, 65536)); // the 32-bit product would wrap to 0

    geometry = geometryFor(smallData(), TubeGeometry::Color);
    QVector<float> vertices{1.0f};
    geometry.floatLimit = 4 * 6 * 36 - 1;
    QCOMPARE(geometry.build(vertices), TubeGeometry::TooLarge);
    QVERIFY(vertices.isEmpty());
    geometry.floatLimit = 4 * 6 * 36;
    QCOMPARE(geometry.build(vertices), TubeGeometry::Built);
}

void TestTubeGeometry::outlines()
{
    const Data data = smallData();
    OutlineGeometry outline;
    outline.radius = 2.99f;
    QVector<float> vertices;
    QVERIFY(!outline.build(vertices));
    outline.selections = {Selection()};
    QVERIFY(!outline.build(vertices));

    // Value at attribute 1, time 2: two bands along the cell's edge plus two
    // side bands, 6 vertices of 3 floats each = 72 floats.
    outline.selections = {Selection(data, 1, 1, 2, 2)};
    QVERIFY(outline.build(vertices));
    QCOMPARE(vertices.size(), 72);
    // Top band: from angle -pi (-2.99, 0) at zTop -0.2 - 0.02.
    QVERIFY(near(vertices.mid(0, 3), {-2.99f, 0, -0.22f}));
    QVERIFY(near(vertices.mid(6, 3), {0, -2.99f, -0.18f}));
    // Bottom band round zBottom -0.3.
    QVERIFY(near(vertices.mid(18, 3), {-2.99f, 0, -0.32f}));
    // First side edge at -pi/2 + 0.005 down to zBottom - 0.02.
    const float side = float(-M_PI / 2 + 0.005);
    QVERIFY(near(vertices.mid(36, 3), {2.99f * std::cos(side), 2.99f * std::sin(side), -0.32f}));

    // Wrapping zone: attributes 3 then 0, two selections of that shape.
    outline.selections = {Selection(data, 3, 0, 0, 1), Selection(data, 3, 0, 4, 5)};
    QVERIFY(outline.build(vertices));
    QCOMPARE(vertices.size(), 2 * (2 * 2 + 2) * 18);
    // Second attribute of the first zone is 0: its band ends at angle 0.
    QVERIFY(near(vertices.mid(2 * 18 + 2 * 3, 3), {2.99f, 0, 0.02f}));
    outline.floatLimit = 2 * (2 * 2 + 2) * 18 - 1;
    QVERIFY(!outline.build(vertices));
    QVERIFY(vertices.isEmpty());
}

QTEST_GUILESS_MAIN(TestTubeGeometry)
#include "tst_tubegeometry.moc"
