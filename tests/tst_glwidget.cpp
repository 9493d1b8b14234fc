#include "view/vireoglwidget.h"

#include <QtTest>

#include <cmath>
#include <memory>

class TestGLWidget : public QObject
{
    Q_OBJECT

private slots:
    void drawsCellsAndBackground();
    void widthModeAndSelectionOutline();
    void keysAndMouseMoveTheCamera();
    void tooLargeDataIsReportedNotDrawn();
};

namespace {

const QColor background(10, 20, 30);

// 4 attributes x 6 times, v(a, t) = (6a + t + 1) / 24 (never 0, so every
// cell has some width), attribute 0 missing at time 4.
Data smallData()
{
    Data data(6, 4);
    for (int t = 0; t < 6; ++t)
        for (int a = 0; a < 4; ++a)
            data.values[t * 4 + a] = (6 * a + t + 1) / 24.0;
    data.values[4 * 4 + 0] = qQNaN();
    return data;
}

// Default gradient (0, 0, 255) -> (170, 255, 255).
QColor gradientColor(double v)
{
    return QColor(qRound(170 * v), qRound(255 * v), 255);
}

bool closeTo(const QColor &actual, const QColor &expected)
{
    return qAbs(actual.red() - expected.red()) <= 3 &&
           qAbs(actual.green() - expected.green()) <= 3 &&
           qAbs(actual.blue() - expected.blue()) <= 3;
}

std::unique_ptr<VireoGLWidget> showView()
{
    auto view = std::make_unique<VireoGLWidget>();
    view->resize(400, 400);
    view->show();
    view->activateWindow();
    view->setFocus();
    return view;
}

// Window pixel of a scene point through the view's own camera.
QPoint project(const VireoGLWidget &view, const QVector3D &point)
{
    QMatrix4x4 projection;
    projection.perspective(45.0f, float(view.width()) / view.height(), 0.01f, 1000.0f);
    const QVector3D ndc = (projection * view.camera().viewMatrix()).map(point);
    return QPoint(int((ndc.x() + 1) / 2 * view.width()), int((1 - ndc.y()) / 2 * view.height()));
}

// A point of the flat cell of attribute a (of 4) at time t, at the middle of
// its length. width: the cell's share of its full width (the value, in the
// width modes); along: 0 and 1 are the two edges of that (narrowed) cell.
QVector3D cellPoint(int a, int t, double width = 1.0, double along = 0.5, double radius = 3.0)
{
    const double middle = -M_PI / 2 * (a + 0.5);
    const double half = M_PI / 4 * width;
    const QVector3D edge1(float(radius * std::cos(middle - half)),
                          float(radius * std::sin(middle - half)), 0.0f);
    const QVector3D edge2(float(radius * std::cos(middle + half)),
                          float(radius * std::sin(middle + half)), 0.0f);
    return edge1 + (edge2 - edge1) * float(along) + QVector3D(0, 0, -(t + 0.5f) * 0.1f);
}

QTimer *animationTimer(VireoGLWidget &view)
{
    return view.findChild<QTimer *>(QStringLiteral("animationTimer"));
}

// Flies to face attribute a at mid-tube and waits for the landing.
bool faceAttribute(VireoGLWidget &view, int a)
{
    view.goTo(a + 0.5f, 3.0f);
    QElapsedTimer clock;
    clock.start();
    while (view.camera().isAnimating() && clock.elapsed() < 5000)
        QTest::qWait(20);
    return !view.camera().isAnimating();
}

} // namespace

void TestGLWidget::drawsCellsAndBackground()
{
    auto view = showView();
    QVERIFY(QTest::qWaitForWindowExposed(view.get()));
    view->setBackgroundColor(background);
    // No data yet: the clear colour stays white.
    QCOMPARE(view->grabFramebuffer().pixelColor(200, 200), QColor(Qt::white));

    QSignalSpy selections(view.get(), &VireoGLWidget::selectionChanged);
    QSignalSpy correlations(view.get(), &VireoGLWidget::correlationChanged);
    view->setData(smallData());
    QCOMPARE(selections.count(), 1);
    QCOMPARE(correlations.count(), 1);
    QCOMPARE(view->selection().type, int(Selection::None));
    // From the start pose the tube's far end and the outside are background.
    QImage image = view->grabFramebuffer();
    QCOMPARE(image.pixelColor(200, 200), background);
    QCOMPARE(image.pixelColor(2, 2), background);

    // Attribute 0 at time 3: the wall point (3 cos -pi/4, 3 sin -pi/4, -0.3),
    // seen from the axis at the same depth.
    QVERIFY(faceAttribute(*view, 0));
    QCOMPARE(view->camera().eye(), QVector3D(0, 0, -0.3f));
    QVERIFY((view->camera().center() - QVector3D(2.12132f, -2.12132f, -0.3f)).length() < 1e-4f);
    QTRY_VERIFY(!animationTimer(*view)->isActive());

    image = view->grabFramebuffer();
    for (int t = 0; t < 6; ++t) {
        const QColor expected = t == 4 ? QColor(255, 0, 255) : gradientColor((t + 1) / 24.0);
        const QPoint p = project(*view, cellPoint(0, t));
        QVERIFY2(closeTo(image.pixelColor(p), expected),
                 qPrintable(QStringLiteral("time %1 at %2,%3: %4")
                                .arg(t)
                                .arg(p.x())
                                .arg(p.y())
                                .arg(image.pixelColor(p).name())));
    }
    // Left and right of the tube's ends (time runs to the left).
    QCOMPARE(image.pixelColor(10, 200), background);
    QCOMPARE(image.pixelColor(390, 200), background);

    // Same eye: the turn to attribute 2 lands at the next frame.
    QVERIFY(faceAttribute(*view, 2));
    image = view->grabFramebuffer();
    for (int t = 0; t < 6; ++t) {
        const QPoint p = project(*view, cellPoint(2, t));
        QVERIFY(closeTo(image.pixelColor(p), gradientColor((12 + t + 1) / 24.0)));
    }
}

void TestGLWidget::widthModeAndSelectionOutline()
{
    auto view = showView();
    QVERIFY(QTest::qWaitForWindowExposed(view.get()));
    view->setBackgroundColor(background);
    const Data data = smallData();
    view->setData(data);
    QVERIFY(faceAttribute(*view, 0));

    view->setDisplayMode(1); // "Width"
    QImage image = view->grabFramebuffer();
    // Every cell narrowed to its value round its middle, all in yellow.
    for (int t : {0, 3, 5}) {
        const double v = (t + 1) / 24.0;
        QVERIFY(closeTo(image.pixelColor(project(*view, cellPoint(0, t, v))), QColor(255, 255, 0)));
    }
    // Past the narrowed edge of the widest one (v = 6/24) the background shows,
    // and a missing value has no width at all.
    QCOMPARE(image.pixelColor(project(*view, cellPoint(0, 5, 0.25, -0.5))), background);
    QCOMPARE(image.pixelColor(project(*view, cellPoint(0, 4, 0.0))), background);

    view->setDisplayMode(0); // "Color"
    view->setSelection(Selection(data, 0, 0, 2, 2));
    QCOMPARE(view->selection().type, int(Selection::Value));
    // The green frame's top band runs along z = -0.2 at radius 2.99.
    const QVector3D top = cellPoint(0, 2, 1.0, 0.5, 2.99) + QVector3D(0, 0, 0.05f);
    image = view->grabFramebuffer();
    QVERIFY(closeTo(image.pixelColor(project(*view, top)), QColor(0, 255, 0)));
    QVERIFY(closeTo(image.pixelColor(project(*view, cellPoint(0, 2))), gradientColor(3 / 24.0)));
    view->setSelectionColor(QColor(255, 0, 0));
    image = view->grabFramebuffer();
    QVERIFY(closeTo(image.pixelColor(project(*view, top)), QColor(255, 0, 0)));
}

void TestGLWidget::keysAndMouseMoveTheCamera()
{
    auto view = showView();
    QVERIFY(QTest::qWaitForWindowExposed(view.get()));
    QTimer *timer = animationTimer(*view);
    QVERIFY(timer && !timer->isActive());

    // Z held for at least 200 ms moves the eye by the held time at 1 unit/s.
    QElapsedTimer held;
    held.start();
    QTest::keyPress(view.get(), Qt::Key_Z);
    QVERIFY(timer->isActive());
    QTest::qWait(200);
    QTest::keyRelease(view.get(), Qt::Key_Z);
    const float moved = 8.0f - view->camera().eye().z();
    QVERIFY2(moved >= 0.198f && moved <= held.elapsed() / 1000.0f + 0.002f,
             qPrintable(QString::number(moved)));
    QCOMPARE(view->camera().center(), view->camera().eye() - QVector3D(0, 0, 10));
    QTRY_VERIFY(!timer->isActive());

    // With Shift held, four times as fast.
    const float before = view->camera().eye().z();
    held.restart();
    QTest::keyPress(view.get(), Qt::Key_Shift);
    QTest::keyPress(view.get(), Qt::Key_Z);
    QTest::qWait(100);
    QTest::keyRelease(view.get(), Qt::Key_Z);
    QTest::keyRelease(view.get(), Qt::Key_Shift);
    const float fast = before - view->camera().eye().z();
    QVERIFY2(fast >= 0.396f && fast <= 4 * held.elapsed() / 1000.0f + 0.008f,
             qPrintable(QString::number(fast)));

    // Right drag of 10 pixels: the view turns -4 atan(0.01) about up and
    // stretches by 1.0001^2: (0.0399952, 0, -0.9994002) (see the camera test).
    const QPoint start(200, 200);
    QTest::mousePress(view.get(), Qt::RightButton, Qt::NoModifier, start);
    QMouseEvent move(QEvent::MouseMove, QPointF(210, 200), Qt::NoButton, Qt::RightButton,
                     Qt::NoModifier);
    QApplication::sendEvent(view.get(), &move);
    const QVector3D turned = view->camera().center() - view->camera().eye();
    QVERIFY((turned - QVector3D(0.0399952f, 0, -0.9994002f)).length() < 1e-4f);
    QTest::mouseRelease(view.get(), Qt::RightButton, Qt::NoModifier, QPoint(210, 200));
    // A left drag does not turn it.
    QTest::mousePress(view.get(), Qt::LeftButton, Qt::NoModifier, start);
    QMouseEvent leftMove(QEvent::MouseMove, QPointF(250, 230), Qt::NoButton, Qt::LeftButton,
                         Qt::NoModifier);
    QApplication::sendEvent(view.get(), &leftMove);
    QTest::mouseRelease(view.get(), Qt::LeftButton, Qt::NoModifier, QPoint(250, 230));
    QCOMPARE(view->camera().center() - view->camera().eye(), turned);

    // Q rolls clockwise; the up vector follows the roll angle.
    QTest::keyPress(view.get(), Qt::Key_Q);
    QTest::qWait(100);
    QTest::keyRelease(view.get(), Qt::Key_Q);
    const float roll = view->camera().rollAngle();
    QVERIFY(roll <= float(M_PI / 2) - 0.099f);
    QVERIFY((view->camera().up() - QVector3D(std::cos(roll), std::sin(roll), 0)).length() < 1e-6f);

    // Losing the focus releases a held key.
    QTest::keyPress(view.get(), Qt::Key_Z);
    QFocusEvent focusOut(QEvent::FocusOut);
    QApplication::sendEvent(view.get(), &focusOut);
    QCOMPARE(view->camera().movementFlags(), 0);

    // R flies back to the starting look; the roll is kept.
    QTest::keyClick(view.get(), Qt::Key_R);
    QVERIFY(view->camera().isAnimating());
    QTRY_VERIFY(!view->camera().isAnimating());
    QCOMPARE(view->camera().eye(), QVector3D(0, 0, 8));
    QCOMPARE(view->camera().center(), QVector3D(0, 0, -2));
    QCOMPARE(view->camera().rollAngle(), roll);
    QTRY_VERIFY(!timer->isActive());

    // O snaps back to the starting pose, roll included.
    QTest::keyClick(view.get(), Qt::Key_O);
    QCOMPARE(view->camera().up(), QVector3D(0, 1, 0));
}

void TestGLWidget::tooLargeDataIsReportedNotDrawn()
{
    auto view = showView();
    QVERIFY(QTest::qWaitForWindowExposed(view.get()));
    view->setBackgroundColor(background);
    QSignalSpy failures(view.get(), &VireoGLWidget::displayFailed);

    // 149131 x 100 = 14913100 cells, 20 more than one buffer's 14913080.
    view->setData(Data(149131, 100));
    QCOMPARE(failures.count(), 1);
    QCOMPARE(failures.at(0).at(0).toString(),
             QStringLiteral("The data has too many cells to be displayed (14913100); "
                            "aggregate it to fewer time steps."));
    const QImage image = view->grabFramebuffer();
    QCOMPARE(image.pixelColor(200, 200), background);
    QCoreApplication::processEvents();
    QCOMPARE(failures.count(), 1);

    view->setData(smallData());
    QVERIFY(faceAttribute(*view, 0));
    QVERIFY(closeTo(view->grabFramebuffer().pixelColor(project(*view, cellPoint(0, 1))),
                    gradientColor(2 / 24.0)));
    QCOMPARE(failures.count(), 1);
}

QTEST_MAIN(TestGLWidget)
#include "tst_glwidget.moc"
