#ifndef VIREO_TESTS_SUPPORT_HELDKEYS_H
#define VIREO_TESTS_SUPPORT_HELDKEYS_H

#include <QTest>
#include <QVector>

#include <functional>

// Runs act() with the keys pressed on target in order, then releases them in reverse.
template <typename Target>
void withKeys(Target *target, const QVector<Qt::Key> &keys, const std::function<void()> &act)
{
    for (Qt::Key key : keys)
        QTest::keyPress(target, key);
    act();
    for (auto key = keys.crbegin(); key != keys.crend(); ++key)
        QTest::keyRelease(target, *key);
}

#endif
