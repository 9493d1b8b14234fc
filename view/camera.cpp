#include "view/camera.h"

#include "view/viewactions.h"

#include <QDateTime>
#include <QQuaternion>
#include <QtMath>

#include <cmath>

namespace {

constexpr float speed = 1.0f;     // scene units per second
constexpr float rollSpeed = 1.0f; // radians per second
constexpr float highspeedFactor = 4.0f;
constexpr float lookFactor = 0.001f; // per pixel
constexpr double nanosecondsPerUnit = 100.0 * 1000.0 * 1000.0;
// The key bits that move the camera; the buttons only steer the look.
constexpr int keyBits = 0xff;

} // namespace

Camera::Camera() : m_lastUpdateTime(QDateTime::currentMSecsSinceEpoch())
{
    reset();
}

void Camera::advance(float dt)
{
    if (m_animating)
        advanceFlight();
    else
        advanceMovement(dt);
}

void Camera::advanceFlight()
{
    float f = float(m_flightTimer.nsecsElapsed() / double(m_flightDuration));
    // A zero-length flight gives 0/0: it is over at once.
    if (!(f < 1.0f)) {
        f = 1.0f;
        m_animating = false;
    }
    f = qMax(f, 0.0f);
    m_eye = m_startEye * (1.0f - f) + m_endEye * f;
    m_center = m_startCenter * (1.0f - f) + m_endCenter * f;
}

void Camera::advanceMovement(float dt)
{
    if (m_movementFlags & ViewActions::Origin) {
        reset();
        return;
    }
    if ((m_movementFlags & keyBits) == 0)
        return;
    const float factor = (m_movementFlags & ViewActions::Highspeed) ? highspeedFactor : 1.0f;
    const QVector3D lookOffset = m_center - m_eye;
    if (m_movementFlags & ViewActions::Forward)
        m_eye.setZ(m_eye.z() - speed * factor * dt);
    if (m_movementFlags & ViewActions::Backward)
        m_eye.setZ(m_eye.z() + speed * factor * dt);
    if (m_movementFlags & ViewActions::Right)
        m_rollAngle -= rollSpeed * factor * dt;
    if (m_movementFlags & ViewActions::Left)
        m_rollAngle += rollSpeed * factor * dt;
    m_up.setX(std::cos(m_rollAngle));
    m_up.setY(std::sin(m_rollAngle));
    m_center = m_eye + lookOffset;
}

void Camera::update()
{
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    advance(float(now - m_lastUpdateTime) / 1000.0f);
    m_lastUpdateTime = now;
}

void Camera::press(int bits)
{
    update();
    m_movementFlags |= bits;
}

void Camera::release(int bits)
{
    update();
    m_movementFlags &= ~bits;
}

void Camera::releaseAll()
{
    update();
    m_movementFlags = 0;
}

QMatrix4x4 Camera::viewMatrix() const
{
    const QVector3D dir = (m_center - m_eye).normalized();
    QVector3D up = m_up;
    // Looking at the wall straight along the up vector (a flight to a cell a
    // quarter turn from the roll) leaves lookAt no side: it would give a flat
    // matrix, an empty frame and no picking. The wall's tangent stands in.
    if (QVector3D::crossProduct(dir, up).lengthSquared() < 1e-8f && !dir.isNull())
        up = QVector3D(-dir.y(), dir.x(), 0.0f);
    QMatrix4x4 view;
    view.lookAt(m_eye, m_center, up);
    return view;
}

void Camera::reset()
{
    m_eye = originEye();
    m_up = QVector3D(0.0f, 1.0f, 0.0f);
    m_rollAngle = float(M_PI / 2);
    m_center = originCenter();
}

void Camera::animateTo(const QVector3D &targetEye, const QVector3D &targetCenter)
{
    m_flightDuration = float(double(m_eye.distanceToPoint(targetEye)) * nanosecondsPerUnit);
    m_startEye = m_eye;
    m_startCenter = m_center;
    m_endEye = targetEye;
    m_endCenter = targetCenter;
    m_flightTimer.start();
    m_animating = true;
}

void Camera::returnToOrigin()
{
    m_center = m_eye + (m_center - m_eye).normalized();
    animateTo(originEye(), originCenter());
}

void Camera::focusOn(const QVector3D &point)
{
    const float distance = m_eye.distanceToPoint(point);
    m_center = m_eye + (m_center - m_eye).normalized() * distance;
    animateTo(QVector3D(0.0f, 0.0f, point.z()), point);
}

void Camera::look(int dx, int dy)
{
    if (!(m_movementFlags & RightButton))
        return;
    const QVector3D dir = (m_center - m_eye).normalized();
    const QVector3D right = QVector3D::normal(dir, m_up);
    // Deliberately not normalized: each turn also stretches the view a little.
    const QQuaternion q1(dy * lookFactor, right);
    const QQuaternion q2(dx * lookFactor, m_up);
    QVector3D r = q1.rotatedVector(q1.rotatedVector(dir));
    r = q2.rotatedVector(q2.rotatedVector(r));
    m_center = m_eye + r;
}
