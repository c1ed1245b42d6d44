#pragma once

#include <gtest/gtest.h>

#include <QObject>
#include <QString>

// A part of a window by the object name the window gives it; fails the test where there is
// none.
template <class T>
T* namedPart(const QObject* root, const char* name) {
    T* found = root ? root->findChild<T*>(QString::fromLatin1(name)) : nullptr;
    EXPECT_NE(found, nullptr) << name;
    return found;
}
