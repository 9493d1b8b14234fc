#include "view/camera.h"

#include <QtTest>

#include <cmath>

class TestCamera : public QObject
{
    Q_OBJECT

private slots:
    void startingPose();
    void heldKeysIntegrateTime();
    void originKeyHoldsStartingPose();
    void flights();
    void mouseLook();
};

namespace {

bool near(const QVector3D &a, const QVector3D &b, float eps = 1e-4f)
{
    return (a - b).length() <= eps;
}

void waitUntilLanded(Camera &camera)
{
    QElapsedTimer clock;
    clock.start();
    while (camera.isAnimating() && clock.elapsed() < 5000) {
        QTest::qWait(5);
        camera.advance(0.0f);
    }
}

} // namespace

void TestCamera::startingPose()
{
    const Camera camera;
    QCOMPARE(camera.eye(), QVector3D(0, 0, 8));
    QCOMPARE(camera.center(), QVector3D(0, 0, -2));
    QCOMPARE(camera.up(), QVector3D(0, 1, 0));
    QCOMPARE(camera.rollAngle(), float(M_PI / 2));
    QVERIFY(!camera.isMoving());
    QMatrix4x4 expected;
    expected.lookAt(QVector3D(0, 0, 8), QVector3D(0, 0, -2), QVector3D(0, 1, 0));
    QCOMPARE(camera.viewMatrix(), expected);
}

void TestCamera::heldKeysIntegrateTime()
{
    Camera camera;
    camera.press(Camera::Forward);
    QVERIFY(camera.isMoving());
    camera.advance(2.0f); // 1 unit per second
    QVERIFY(near(camera.eye(), QVector3D(0, 0, 6)));
    QVERIFY(near(camera.center(), QVector3D(0, 0, -4))); // the look offset follows
    camera.press(Camera::Highspeed);
    camera.advance(2.0f); // 4 units per second
    QVERIFY(near(camera.eye(), QVector3D(0, 0, -2)));
    camera.release(Camera::Forward | Camera::Highspeed);
    camera.press(Camera::Backward);
    camera.advance(0.5f);
    QVERIFY(near(camera.eye(), QVector3D(0, 0, -1.5f)));
    camera.releaseAll();
    QVERIFY(!camera.isMoving());

    // Right rolls clockwise at 1 rad/s: pi/2 - 0.5; Left with Highspeed back 4 x 0.25.
    camera.press(Camera::Right);
    camera.advance(0.5f);
    QVERIFY(qFuzzyCompare(camera.rollAngle(), float(M_PI / 2 - 0.5)));
    QVERIFY(near(camera.up(), QVector3D(std::sin(0.5f), std::cos(0.5f), 0)));
    camera.releaseAll();
    camera.press(Camera::Left | Camera::Highspeed);
    camera.advance(0.25f);
    QVERIFY(qFuzzyCompare(camera.rollAngle(), float(M_PI / 2 + 0.5)));
    QVERIFY(near(camera.eye(), QVector3D(0, 0, -1.5f))); // rolling does not move
}

void TestCamera::originKeyHoldsStartingPose()
{
    Camera camera;
    camera.press(Camera::Forward | Camera::Right);
    camera.advance(1.0f);
    camera.press(Camera::Origin);
    camera.advance(1.0f);
    QCOMPARE(camera.eye(), QVector3D(0, 0, 8));
    QCOMPARE(camera.center(), QVector3D(0, 0, -2));
    QCOMPARE(camera.up(), QVector3D(0, 1, 0));
}

void TestCamera::flights()
{
    Camera camera;
    // Same eye: zero duration, in the target pose at the next advance.
    camera.animateTo(QVector3D(0, 0, 8), QVector3D(1, 0, 8));
    QVERIFY(camera.isAnimating());
    camera.advance(0.0f);
    QVERIFY(!camera.isAnimating());
    QCOMPARE(camera.center(), QVector3D(1, 0, 8));

    // focusOn (3, 0, 6): the look point first moves along the view to the
    // point's distance sqrt(9 + 4) = 3.605551 (the view is +x now, so
    // (3.605551, 0, 8)), then a 2 unit flight = 200 ms to the axis at 6.
    camera.focusOn(QVector3D(3, 0, 6));
    QVERIFY(near(camera.center(), QVector3D(3.605551f, 0, 8)));
    camera.press(Camera::Forward);
    camera.advance(5.0f); // held keys wait for the end of the flight
    QVERIFY(camera.eye().z() >= 6.0f && camera.eye().z() <= 8.0f);
    camera.release(Camera::Forward);
    QVERIFY(camera.isAnimating());
    waitUntilLanded(camera);
    QVERIFY(near(camera.eye(), QVector3D(0, 0, 6)));
    QVERIFY(near(camera.center(), QVector3D(3, 0, 6)));

    // Back to the origin: look point one unit ahead, then a 2 unit flight.
    camera.returnToOrigin();
    QVERIFY(near(camera.center(), QVector3D(1, 0, 6)));
    waitUntilLanded(camera);
    QCOMPARE(camera.eye(), QVector3D(0, 0, 8));
    QCOMPARE(camera.center(), QVector3D(0, 0, -2));
    QVERIFY(!camera.isMoving());
}

void TestCamera::mouseLook()
{
    Camera camera;
    camera.look(10, 0);
    QCOMPARE(camera.center(), QVector3D(0, 0, -2)); // right button not held
    camera.press(Camera::RightButton);

    // Horizontal: twice by (0.01, up) turns the view -4 atan(0.01) = -0.0399979
    // rad about y and scales it by 1.0001^2 = 1.00020001: from (0, 0, -1) to
    // 1.0002 * (sin 0.0399979, 0, -cos 0.0399979) = (0.0399952, 0, -0.9994002).
    camera.look(10, 0);
    QVERIFY(near(camera.center() - camera.eye(), QVector3D(0.0399952f, 0, -0.9994002f)));

    // Vertical from (0, 0, -1) again: right = (1, 0, 0), a turn of -0.0399979
    // about x takes the view down: (0, -0.0399952, -0.9994002).
    Camera other;
    other.press(Camera::RightButton);
    other.look(0, 10);
    QVERIFY(near(other.center() - other.eye(), QVector3D(0, -0.0399952f, -0.9994002f)));
    QCOMPARE(other.eye(), QVector3D(0, 0, 8));
    QCOMPARE(other.up(), QVector3D(0, 1, 0));
}

QTEST_GUILESS_MAIN(TestCamera)
#include "tst_camera.moc"
