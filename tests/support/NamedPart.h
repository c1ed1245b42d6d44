#pragma once

#include <gtest/gtest.h>

#include <QObject>
#include <QString>

// A part of a window by the object name the window gives it; fails the test where there is
// none.
template <class T>
T* namedPart(const QObject* root, const QString& name) {
    T* found = root ? root->findChild<T*>(name) : nullptr;
    EXPECT_NE(found, nullptr) << name.toStdString();
    return found;
}

template <class T>
T* namedPart(const QObject& root, const QString& name) {
    return namedPart<T>(&root, name);
}
