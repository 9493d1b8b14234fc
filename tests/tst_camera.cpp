#include "view/camera.h"
#include "view/viewactions.h"

#include <QtTest>

#include <cmath>

static bool near(const QVector3D &a, const QVector3D &b)
{
    return (a - b).length() <= 1e-4f;
}

class TestCamera : public QObject
{
    Q_OBJECT

private slots:
    void heldKeys()
    {
        // From the starting pose (eye z 8, looking 10 units ahead, roll pi/2), keys held for dt
        // only (a fresh camera's clock adds nothing before the press): 1 unit or rad per second,
        // four times that with Highspeed; Right rolls clockwise. Expected: eye z and roll change.
        const int keys[] = {ViewActions::Forward, ViewActions::Forward | ViewActions::Highspeed,
                            ViewActions::Backward, ViewActions::Right,
                            ViewActions::Left | ViewActions::Highspeed};
        const QVector3D dtZRoll[] = {
            {2, 6, 0}, {0.5f, 6, 0}, {0.5f, 8.5f, 0}, {0.5f, 8, -0.5f}, {0.25f, 8, 1}};
        for (int i = 0; i < 5; ++i) {
            Camera camera;
            camera.press(keys[i]);
            QVERIFY(camera.isMoving());
            camera.advance(dtZRoll[i].x());
            const float z = dtZRoll[i].y(), roll = float(M_PI / 2) + dtZRoll[i].z();
            QVERIFY(near(camera.eye(), QVector3D(0, 0, z)));
            QVERIFY(near(camera.center(), QVector3D(0, 0, z - 10))); // the look offset follows
            QVERIFY(qAbs(camera.rollAngle() - roll) < 1e-5f);
            QVERIFY(near(camera.up(), QVector3D(std::cos(roll), std::sin(roll), 0)));
            // Origin held brings back the starting pose, whatever else is held.
            camera.press(ViewActions::Origin | ViewActions::Forward | ViewActions::Right);
            camera.advance(1.0f);
            QCOMPARE(camera.eye(), QVector3D(0, 0, 8));
            QCOMPARE(camera.center(), QVector3D(0, 0, -2));
            QCOMPARE(camera.up(), QVector3D(0, 1, 0));
        }
    }
    void flights()
    {
        Camera camera;
        // Same eye: zero duration, in the target pose at the next advance.
        camera.animateTo(QVector3D(0, 0, 8), QVector3D(1, 0, 8));
        QVERIFY(camera.isAnimating());
        camera.advance(0.0f);
        QVERIFY(!camera.isAnimating());
        QCOMPARE(camera.center(), QVector3D(1, 0, 8));

        // focusOn (3, 0, 6): the look point first moves along the view to the point's distance
        // sqrt(9 + 4) = 3.605551 (the view is +x now, so (3.605551, 0, 8)), then a 2 unit flight
        // = 200 ms to the axis at 6. Held keys wait for its end.
        camera.focusOn(QVector3D(3, 0, 6));
        QVERIFY(near(camera.center(), QVector3D(3.605551f, 0, 8)));
        camera.press(ViewActions::Forward);
        camera.advance(5.0f);
        QVERIFY(camera.eye().z() >= 6.0f && camera.eye().z() <= 8.0f);
        camera.release(ViewActions::Forward);
        QTRY_VERIFY((camera.advance(0.0f), !camera.isAnimating()));
        QVERIFY(near(camera.eye(), QVector3D(0, 0, 6)));
        QVERIFY(near(camera.center(), QVector3D(3, 0, 6)));

        // Back to the origin: look point one unit ahead, then a 2 unit flight.
        camera.returnToOrigin();
        QVERIFY(near(camera.center(), QVector3D(1, 0, 6)));
        QTRY_VERIFY((camera.advance(0.0f), !camera.isAnimating()));
        QCOMPARE(camera.eye(), QVector3D(0, 0, 8));
        QCOMPARE(camera.center(), QVector3D(0, 0, -2));
        QVERIFY(!camera.isMoving());

        // A cell straight above or below (along the up vector) still gives a rigid view (not a
        // flat one) with the looked-at point in the middle of the screen.
        for (float y : {3.0f, -3.0f}) {
            camera.focusOn(QVector3D(0, y, 6));
            QTRY_VERIFY((camera.advance(0.0f), !camera.isAnimating()));
            const QMatrix4x4 view = camera.viewMatrix();
            QVERIFY(near(view.map(QVector3D(0, y, 6)), QVector3D(0, 0, -3)));
            for (const QVector3D &side : {QVector3D(1, 0, 0), QVector3D(0, 0, 1)})
                QVERIFY(qAbs((view.map(QVector3D(0, y, 6) + side) - QVector3D(0, 0, -3)).length() -
                             1) < 1e-4f);
        }
    }
};

QTEST_GUILESS_MAIN(TestCamera)
#include "tst_camera.moc"
