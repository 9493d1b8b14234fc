#ifndef VIREO_VIEW_CAMERA_H
#define VIREO_VIEW_CAMERA_H

#include <QElapsedTimer>
#include <QMatrix4x4>
#include <QVector3D>

// The viewpoint inside the tube. Held actions (bits) move it over real
// elapsed time; a flight moves it linearly from one pose to another.
class Camera
{
public:
    // Bits of the held mouse buttons, beside the held camera keys
    // (ViewActions::CameraAction bits).
    enum ButtonBit
    {
        LeftButton = 0x400,
        RightButton = 0x800
    };

    Camera();

    // Integrates held actions, or the running flight, over dt seconds.
    void advance(float dt);
    // Advances by the wall-clock time since the last update.
    void update();
    void press(int bits);
    void release(int bits);
    void releaseAll();

    QMatrix4x4 viewMatrix() const;
    void reset();
    void animateTo(const QVector3D &targetEye, const QVector3D &targetCenter);
    void returnToOrigin();
    void focusOn(const QVector3D &point);
    // Mouse look by pixel deltas; only while the right button is held.
    void look(int dx, int dy);

    bool isAnimating() const { return m_animating; }
    bool isMoving() const { return m_movementFlags != 0 || m_animating; }
    int movementFlags() const { return m_movementFlags; }
    float rollAngle() const { return m_rollAngle; }
    QVector3D eye() const { return m_eye; }
    QVector3D up() const { return m_up; }
    QVector3D center() const { return m_center; }

    static QVector3D originEye() { return QVector3D(0.0f, 0.0f, 8.0f); }
    static QVector3D originCenter() { return originEye() - QVector3D(0.0f, 0.0f, 10.0f); }

private:
    void advanceFlight();
    void advanceMovement(float dt);

    bool m_animating = false;
    QElapsedTimer m_flightTimer;
    float m_flightDuration = 0.0f; // nanoseconds
    QVector3D m_startEye;
    QVector3D m_startCenter;
    QVector3D m_endEye;
    QVector3D m_endCenter;
    qint64 m_lastUpdateTime = 0;
    float m_rollAngle = 0.0f;
    QVector3D m_eye;
    QVector3D m_up;
    QVector3D m_center;
    int m_movementFlags = 0;
};

#endif // VIREO_VIEW_CAMERA_H
