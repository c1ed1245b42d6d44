#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <QUrl>
#include <optional>

// A running application with windows on the desktop.
struct RunningApplication {
    qint64 processIdentifier = 0;
    // The application's identifier (the "bundle identifier"); empty when it has none.
    QString bundleIdentifier;
    QString name;
    // The executable or desktop-entry path; empty when unknown.
    QString path;

    friend bool operator==(const RunningApplication&, const RunningApplication&) = default;
};

// The desktop's running applications and which of them is frontmost (active).
class Workspace : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~Workspace() override = default;

    // In the desktop's order.
    virtual QList<RunningApplication> runningApplications() const = 0;
    // The active application; none when no application window has the focus.
    virtual std::optional<RunningApplication> frontmostApplication() const = 0;
    // Whether any window is active, also one whose application cannot be told (then there is
    // no frontmost application).
    virtual bool hasActiveWindow() const { return frontmostApplication().has_value(); }

    // Makes the application with that process the active one (our own application gives up
    // the focus first). False when there is no such application or it could not be activated.
    virtual bool activate(qint64 processIdentifier) = 0;

    // Opens a URL with the desktop's handler; false when that failed.
    virtual bool openUrl(const QUrl& url) = 0;

    // This process.
    virtual qint64 ownProcessIdentifier() const = 0;

Q_SIGNALS:
    // Another application became the active one.
    void applicationActivated(const RunningApplication& application);
};
