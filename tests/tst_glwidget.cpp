#include "heldkeys.h"
#include "testsupport.h"
#include "view/viewactions.h"
#include "view/vireoglwidget.h"

#include <QtTest>

#include <cmath>

namespace {

const QColor background(10, 20, 30);

// 4 attributes x 6 times, v(a, t) = (6a + t + 1) / 24 (never 0, so every
// cell has some width), attribute 0 missing at time 4.
Data smallData()
{
    return generatedTable(4, 6, QDateTime(), 0, [](int t, int a) {
        return a == 0 && t == 4 ? qQNaN() : (6 * a + t + 1) / 24.0;
    });
}

void show(VireoGLWidget &view)
{
    view.setFocus();
    QVERIFY(showExposed(view, QSize(400, 400)));
}

// Pixel of the wall at attribute position a (cell a spans a .. a + 1) and time position t.
QPoint pixelOf(const VireoGLWidget &view, double a, double t)
{
    return scenePixel(view, view.layout().wallPoint(float(a), float(t)));
}

// Whether the view shows about the colour e (3 per channel) on the attribute a cell at time t,
// through its own camera. width: the cell's share of its full width (the value, in the width
// modes); along: 0 and 1 are the two edges of that (narrowed) cell.
bool shows(VireoGLWidget &view, const QColor &e, int a, int t, double width = 1.0,
           double along = 0.5)
{
    const QVector3D edge1 = view.layout().wallPoint(float(a + 0.5 + width / 2), t + 0.5f);
    const QVector3D edge2 = view.layout().wallPoint(float(a + 0.5 - width / 2), t + 0.5f);
    return near(
        view.grabFramebuffer().pixelColor(scenePixel(view, edge1 + (edge2 - edge1) * float(along))),
        e);
}

// Holds the keys for at least ms; returns the longest time (s) the camera can have counted,
// its clock and ours both counting whole milliseconds.
float hold(VireoGLWidget &view, const QVector<Qt::Key> &keys, int ms)
{
    QElapsedTimer held;
    held.start();
    withKeys(&view, keys, [ms] { QTest::qWait(ms); });
    return held.elapsed() / 1000.0f + 0.002f;
}

// The view with its warning boxes answered and recorded.
class View : public VireoGLWidget
{
public:
    QStringList warnings;

protected:
    void warn(const QString &title, const QString &text) override
    {
        warnings << title + '|' + text;
    }
};

// Clicks a point of the cell (its middle by default), seen from the axis, with the keys held.
void clickCell(VireoGLWidget &view, int a, int t, const QVector<Qt::Key> &keys = {},
               QPointF at = {0.5, 0.5})
{
    lookAt(view, a + 0.5f, t + 0.5f);
    const QPoint pixel = pixelOf(view, a + at.x(), t + at.y());
    withKeys(&view, keys, [&] { QTest::mouseClick(&view, Qt::LeftButton, Qt::NoModifier, pixel); });
}

void drag(VireoGLWidget &view, Qt::MouseButton button, const QPoint &to,
          const QPoint &from = QPoint(200, 200))
{
    QTest::mousePress(&view, button, Qt::NoModifier, from);
    QMouseEvent move(QEvent::MouseMove, to, Qt::NoButton, button, Qt::NoModifier);
    QApplication::sendEvent(&view, &move);
    QTest::mouseRelease(&view, button, Qt::NoModifier, to);
}

} // namespace

class TestGLWidget : public QObject
{
    Q_OBJECT

private slots:
    void rendering()
    {
        VireoGLWidget view;
        show(view);
        view.setBackgroundColor(background);
        // No data yet: the clear colour stays white.
        QCOMPARE(view.grabFramebuffer().pixelColor(200, 200), QColor(Qt::white));

        // 149131 x 100 = 14913100 cells, 20 more than one buffer's 14913080 of the
        // per-vertex path (where float textures are missing): reported once however
        // often it is painted, nothing drawn.
        view.tubeRenderer().setTexturesAllowed(false);
        QSignalSpy failures(&view, &VireoGLWidget::displayFailed);
        view.setData(Data(149131, 100));
        QCOMPARE(view.grabFramebuffer().pixelColor(200, 200), background);
        QCoreApplication::processEvents();
        QCOMPARE(failures.count(), 1);
        QCOMPARE(failures.at(0).at(0).toString(),
                 QStringLiteral("The data has too many cells to be displayed (14913100); "
                                "aggregate it to fewer time steps."));
        view.tubeRenderer().setTexturesAllowed(true);

        // Smaller data is drawn again; it clears the selection and correlation.
        QSignalSpy selections(&view, &VireoGLWidget::selectionChanged);
        QSignalSpy correlations(&view, &VireoGLWidget::correlationChanged);
        const Data data = smallData();
        view.setData(data);
        QCOMPARE(selections.count(), 1);
        QCOMPARE(correlations.count(), 1);
        QCOMPARE(view.selection().type, int(Selection::None));
        // Seen from the axis beside attribute 0 at time 3; the animation stops once the camera is
        // still.
        lookAt(view, 0.5f, 3.0f);
        QTRY_VERIFY(!view.findChild<QTimer *>("animationTimer")->isActive());
        // Default gradient (0, 0, 255) -> (170, 255, 255); the missing value in magenta.
        for (int t = 0; t < 6; ++t) {
            const double v = (t + 1) / 24.0;
            const QColor expected =
                t == 4 ? QColor(255, 0, 255) : QColor(qRound(170 * v), qRound(255 * v), 255);
            QVERIFY2(shows(view, expected, 0, t), qPrintable(QString::number(t)));
        }
        // Left and right of the tube's ends (time runs to the left).
        QCOMPARE(view.grabFramebuffer().pixelColor(10, 200), background);
        QCOMPARE(view.grabFramebuffer().pixelColor(390, 200), background);
        QCOMPARE(failures.count(), 1);

        // "Width": every cell narrowed to its value round its middle, yellow.
        view.setDisplayMode(1);
        for (int t : {0, 3, 5})
            QVERIFY(shows(view, QColor(255, 255, 0), 0, t, (t + 1) / 24.0));
        // Past the narrowed edge of the widest one (v = 6/24) the background shows, and a missing
        // value has no width at all.
        QVERIFY(shows(view, background, 0, 5, 0.25, -0.5));
        QVERIFY(shows(view, background, 0, 4, 0.0));

        // Outlines: the top band of a frame runs along the upper edge of its cell, just inside
        // the wall. The frames are flat like the cells: seen at the middle of the chord.
        view.setDisplayMode(0); // "Color"
        view.setCorrelationColor(QColor(255, 0, 0));
        lookAt(view, 1.5f, 3.5f);
        const auto band = [&](int a, int t) {
            const TubeLayout &l = view.layout();
            const QVector3D chord = (l.wallPoint(a, t) + l.wallPoint(a + 1, t)) / 2;
            return view.grabFramebuffer().pixelColor(
                scenePixel(view, chord * QVector3D(0.995f, 0.995f, 1)));
        };
        const QColor green(0, 255, 0), red(255, 0, 0);
        QVERIFY(!near(band(1, 3), green));
        view.setSelection(Selection(data, 1, 1, 3, 3));
        QVERIFY(near(band(1, 3), green));
        QVERIFY(near(band(1, 4), green)); // its bottom edge
        // A correlation block elsewhere shows in its colour; on the selection's cells the
        // selection stays on top, by the depth test alone (it is drawn first).
        view.setCorrelation({Selection(data, 1, 1, 3, 3), Selection(data, 1, 1, 5, 5)});
        QVERIFY(near(band(1, 5), red));
        QVERIFY(near(band(1, 3), green));
        view.setSelectionColor(QColor(0, 0, 255));
        QVERIFY(near(band(1, 3), QColor(0, 0, 255)));
        view.setSelection(Selection());
        QVERIFY(near(band(1, 3), red));
    }
    void keysAndMouseMoveTheCamera()
    {
        VireoGLWidget view;
        show(view);
        QTimer *timer = view.findChild<QTimer *>("animationTimer");
        QVERIFY(timer && !timer->isActive());
        const Camera &camera = view.camera();

        // Z held for at least 200 ms moves the eye by the held time at 1 unit/s; the timer runs
        // from the press until a frame finds the camera still.
        float most = hold(view, {Qt::Key_Z}, 200);
        QVERIFY(timer->isActive());
        float moved = 8.0f - camera.eye().z();
        QVERIFY2(moved >= 0.198f && moved <= most, qPrintable(QString::number(moved)));
        QTRY_VERIFY(!timer->isActive());
        // With Shift held, four times as fast.
        const float before = camera.eye().z();
        most = hold(view, {Qt::Key_Shift, Qt::Key_Z}, 100);
        moved = before - camera.eye().z();
        QVERIFY2(moved >= 0.396f && moved <= 4 * most, qPrintable(QString::number(moved)));

        // Right drag of 10 pixels: twice by (0.01, axis) turns the view -4 atan(0.01) =
        // -0.0399979 rad and scales it by 1.0001^2 = 1.00020001: 1.0002 sin 0.0399979 =
        // 0.0399952 across, 1.0002 cos 0.0399979 = 0.9994002 ahead; horizontally about up. A left
        // drag does not turn it.
        drag(view, Qt::RightButton, QPoint(210, 200));
        const QVector3D turned = camera.center() - camera.eye();
        QVERIFY((turned - QVector3D(0.0399952f, 0, -0.9994002f)).length() < 1e-4f);
        drag(view, Qt::LeftButton, QPoint(250, 230));
        QCOMPARE(camera.center() - camera.eye(), turned);

        // Q rolls clockwise; the up vector follows the roll angle.
        hold(view, {Qt::Key_Q}, 100);
        const float roll = camera.rollAngle();
        QVERIFY(roll <= float(M_PI / 2) - 0.099f);
        QVERIFY((camera.up() - QVector3D(std::cos(roll), std::sin(roll), 0)).length() < 1e-6f);

        // Losing the focus releases a held key.
        QTest::keyPress(&view, Qt::Key_Z);
        QFocusEvent focusOut(QEvent::FocusOut);
        QApplication::sendEvent(&view, &focusOut);
        QCOMPARE(camera.movementFlags(), 0);

        // R flies back to the starting look; the roll is kept. O snaps back, roll included.
        QTest::keyClick(&view, Qt::Key_R);
        QVERIFY(camera.isAnimating());
        QTRY_VERIFY(!camera.isAnimating());
        QCOMPARE(camera.eye(), QVector3D(0, 0, 8));
        QCOMPARE(camera.center(), QVector3D(0, 0, -2));
        QCOMPARE(camera.rollAngle(), roll);
        QTRY_VERIFY(!timer->isActive());
        QTest::keyClick(&view, Qt::Key_O);
        QCOMPARE(camera.up(), QVector3D(0, 1, 0));
        // Vertically about the right-hand axis, which takes the view down.
        drag(view, Qt::RightButton, QPoint(200, 210));
        QVERIFY((camera.center() - camera.eye() - QVector3D(0, -0.0399952f, -0.9994002f)).length() <
                1e-4f);
    }
    void clicksPick()
    {
        View view;
        show(view);
        const Data data(8, 10); // 10 attributes x 8 times
        view.setData(data);
        QSignalSpy changes(&view, &VireoGLWidget::selectionChanged);

        // Each row: a click on a cell with picking keys held, after the starting selection (none
        // when empty); the selection it leaves.
        const Qt::Key A = Qt::Key_A, T = Qt::Key_T, Ctrl = Qt::Key_Control;
        // clang-format off
        struct Row { Selection start; QVector<Qt::Key> keys; int a, t; QString expected; };
        // clang-format on
        const QVector<Row> rows = {
            {{}, {}, 3, 4, "value 3..3 4..4"},
            {{}, {A}, 3, 4, "attribute 3..3 0..7"},
            {{}, {T}, 3, 4, "time 0..9 4..4"},
            {{}, {A, T}, 3, 4, "attribute 3..3 0..7"},
            // Round the tube across attribute 0: attributes 8, 9, 0, 1, times 2 to 5.
            {Selection(data, 8, 8, 5, 5), {Ctrl}, 1, 2, "zone 8..1 2..5"},
            {Selection(data, 6, 6, 1, 1), {Ctrl}, 4, 6, "zone 6..4 1..6"},
            {Selection(data, 0, 0, 3, 3), {Ctrl}, 0, 3, "value 0..0 3..3"},
            {Selection(data, 0, 0, 3, 3), {A, Ctrl}, 5, 1, "attribute 5..5 0..7"},
        };
        for (const Row &row : rows) {
            view.setSelection(row.start);
            changes.clear();
            clickCell(view, row.a, row.t, row.keys);
            QCOMPARE(changes.count(), 1);
            QCOMPARE(shape(qvariant_cast<Selection>(changes.at(0).at(0))), row.expected);
            QCOMPARE(shape(view.selection()), row.expected);
        }
        QVERIFY(view.warnings.isEmpty());

        // Losing the focus releases a held picking key: the click picks a value.
        QTest::keyPress(&view, A);
        QFocusEvent focusOut(QEvent::FocusOut);
        QApplication::sendEvent(&view, &focusOut);
        clickCell(view, 3, 4);
        QCOMPARE(shape(view.selection()), QString("value 3..3 4..4"));

        // A click on a cell's edges still picks that cell.
        for (const QPointF &at : {QPointF(0.05, 0.05), QPointF(0.95, 0.95)}) {
            clickCell(view, 9, 0, {}, at);
            QCOMPARE(shape(view.selection()), QString("value 9..9 0..0"));
        }

        // Zone without a value to start from: the warning, nothing picked, and the Zone key
        // counts as released (the box took its release), so the next click picks a value.
        view.setSelection(Selection(data, 3, 3, 0, 7));
        changes.clear();
        lookAt(view, 5.5f, 5.5f);
        QTest::keyPress(&view, Ctrl);
        const QPoint cell55 = pixelOf(view, 5.5, 5.5);
        QTest::mouseClick(&view, Qt::LeftButton, Qt::NoModifier, cell55);
        QCOMPARE(view.warnings.size(), 1);
        QVERIFY(view.warnings[0].startsWith("Unable to select zone|"));
        QCOMPARE(changes.count(), 0);
        QTest::mouseClick(&view, Qt::LeftButton, Qt::NoModifier, cell55);
        QCOMPARE(shape(view.selection()), QString("value 5..5 5..5"));
        QTest::keyRelease(&view, Ctrl);

        // Nothing picked: a press, a one-pixel move and a release (a drag); a click before the
        // first time step or past the last one.
        changes.clear();
        drag(view, Qt::LeftButton, cell55 + QPoint(1, 0), cell55);
        clickCell(view, 0, 0, {}, {0.5, -1.0});
        clickCell(view, 0, 7, {}, {0.5, 2.0});
        QCOMPARE(changes.count(), 0);
        QCOMPARE(shape(view.selection()), QString("value 5..5 5..5"));

        // A double click flies to the clicked wall point from the axis at its depth, picking only
        // once; outside the data it does not move the camera.
        lookAt(view, 4.5f, 2.5f);
        const QPoint cell43 = pixelOf(view, 4.5, 3.5);
        const auto doubleClick = [&view](const QPoint &pos) {
            QTest::mouseClick(&view, Qt::LeftButton, Qt::NoModifier, pos);
            QTest::mouseDClick(&view, Qt::LeftButton, Qt::NoModifier, pos); // only the second press
            QTest::mouseRelease(&view, Qt::LeftButton, Qt::NoModifier, pos);
        };
        doubleClick(cell43);
        QCOMPARE(changes.count(), 1);
        QCOMPARE(shape(view.selection()), QString("value 4..4 3..3"));
        QVERIFY(view.camera().isAnimating());
        QTRY_VERIFY(!view.camera().isAnimating());
        QVERIFY(qAbs(view.camera().eye().z() + 0.35f) < 0.01f);
        const QVector3D looked = view.camera().center();
        QCOMPARE(view.cellAt(scenePixel(view, looked)).attribute, 4);
        doubleClick(pixelOf(view, 4.5, -0.5));
        QVERIFY(!view.camera().isAnimating());
    }
    void keysMoveAndReset()
    {
        View view;
        show(view);
        const Data data(8, 10);
        view.setData(data);
        QSignalSpy selections(&view, &VireoGLWidget::selectionChanged);
        QSignalSpy correlations(&view, &VireoGLWidget::correlationChanged);

        // Each row: a selection, a move key (defaults: Down earlier, Up later, Right to the next
        // attribute, Left to the previous), the selection after it; empty when nothing moves
        // (and nothing is emitted).
        // clang-format off
        struct Row { Selection start; Qt::Key key; QString expected; };
        // clang-format on
        const QVector<Row> rows = {
            {Selection(data, 4, 4, 3, 3), Qt::Key_Down, "value 4..4 2..2"},
            {Selection(data, 4, 4, 3, 3), Qt::Key_Up, "value 4..4 4..4"},
            {Selection(data, 9, 9, 3, 3), Qt::Key_Right, "value 0..0 3..3"},
            {Selection(data, 0, 0, 3, 3), Qt::Key_Left, "value 9..9 3..3"},
            {Selection(data, 8, 1, 2, 5), Qt::Key_Right, "zone 9..2 2..5"},
            {Selection(data, 8, 1, 2, 5), Qt::Key_Left, "zone 7..0 2..5"},
            {Selection(data, 2, 2, 0, 7), Qt::Key_Right, "attribute 3..3 0..7"},
            {Selection(data, 0, 9, 7, 7), Qt::Key_Down, "time 0..9 6..6"},
            // Edges of time, and kinds that do not move that way.
            {Selection(data, 4, 4, 7, 7), Qt::Key_Up, ""},
            {Selection(data, 1, 3, 0, 2), Qt::Key_Down, ""},
            {Selection(data, 2, 2, 0, 7), Qt::Key_Up, ""},
            {Selection(data, 0, 9, 4, 4), Qt::Key_Left, ""},
            {Selection(), Qt::Key_Left, ""},
        };
        for (const Row &row : rows) {
            view.setSelection(row.start);
            selections.clear();
            QTest::keyClick(&view, row.key);
            QCOMPARE(selections.count(), row.expected.isEmpty() ? 0 : 1);
            QCOMPARE(shape(view.selection()),
                     row.expected.isEmpty() ? shape(row.start) : row.expected);
        }

        // Escape clears the selection and the correlation, and so does every key pressed while
        // it is held (Up would move the selection otherwise); once released, Up moves again.
        for (Qt::Key key : {Qt::Key_Escape, Qt::Key_Up}) {
            view.setSelection(Selection(data, 1, 1, 1, 1));
            view.setCorrelation({Selection(data, 1, 1, 1, 1), Selection(data, 5, 5, 2, 2)});
            selections.clear();
            correlations.clear();
            QTest::keyPress(&view, key);
            QCOMPARE(selections.count(), 1);
            QCOMPARE(correlations.count(), 1);
            QCOMPARE(qvariant_cast<Selection>(selections.at(0).at(0)).type, int(Selection::None));
            QVERIFY(qvariant_cast<Selections>(correlations.at(0).at(0)).isEmpty());
            QVERIFY(view.correlation().isEmpty());
        }
        QTest::keyRelease(&view, Qt::Key_Escape);
        view.setSelection(Selection(data, 1, 1, 1, 1));
        QTest::keyClick(&view, Qt::Key_Up);
        QCOMPARE(shape(view.selection()), QString("value 1..1 2..2"));

        // A key bound to return to the origin and to a move does both: the move is not
        // swallowed. A camera key does only its camera action.
        view.setKeyForReturnToOrigin(Qt::Key_Up);
        view.setSelection(Selection(data, 4, 4, 3, 3));
        lookAt(view, 4.5f, 3.5f);
        QTest::keyClick(&view, Qt::Key_Up);
        QCOMPARE(shape(view.selection()), QString("value 4..4 4..4"));
        QVERIFY(view.camera().isAnimating());
        QTRY_VERIFY(!view.camera().isAnimating());
        view.setKeyMapForCamera({{Qt::Key_Up, ViewActions::Origin}});
        QTest::keyClick(&view, Qt::Key_Up);
        QCOMPARE(shape(view.selection()), QString("value 4..4 4..4"));
        // A picking map naming no picking action is ignored, not an index out of range.
        view.setKeyMapForPicking({{Qt::Key_P, 7}, {Qt::Key_Escape, ViewActions::Reset}});
        QTest::keyClick(&view, Qt::Key_P);
        QCOMPARE(view.selection().type, int(Selection::Value));
    }
};

QTEST_MAIN(TestGLWidget)
#include "tst_glwidget.moc"
