#pragma once

#include <gtest/gtest.h>

#include <QObject>
#include <QString>

// A part of a settings view by its object name; fails the test where there is none.
template <class T>
T* part(const QObject& root, const QString& name) {
    T* found = root.findChild<T*>(name);
    EXPECT_NE(found, nullptr) << name.toStdString();
    return found;
}
