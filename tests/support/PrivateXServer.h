#pragma once

#include <QProcess>
#include <QStringList>

typedef struct _XDisplay Display;

// A private Xvfb on a display number it picks itself; closed and stopped on destruction.
struct PrivateXServer {
    QProcess process;
    Display* display = nullptr;

    explicit PrivateXServer(const QStringList& extraArguments);
    ~PrivateXServer();
};
