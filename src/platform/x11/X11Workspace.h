#pragma once

#include <QHash>
#include <QMap>
#include <QRect>

#include <memory>

#include "platform/Workspace.h"

class X11Connection;

// Running applications from the window manager's EWMH client list: an application is a
// process with at least one managed window. Activating one activates the window of it that
// was active last, so with two windows of one editor the text goes back where the user was.
class X11Workspace : public Workspace {
    Q_OBJECT
public:
    explicit X11Workspace(std::shared_ptr<X11Connection> connection, QObject* parent = nullptr);
    ~X11Workspace() override;

    QList<RunningApplication> runningApplications() const override;
    std::optional<RunningApplication> frontmostApplication() const override;
    bool hasActiveWindow() const override { return activeWindow() != 0; }
    bool activate(qint64 processIdentifier) override;
    // Activates the process's window whose frame is `extents` (screen coordinates, with or
    // without the window manager's frame), else the window activate() picks.
    bool activateWindowAt(qint64 processIdentifier, const QRect& extents);
    bool openUrl(const QUrl& url) override;
    qint64 ownProcessIdentifier() const override;

    // The identifier of an application from its window's properties: the GTK application id,
    // else the desktop entry whose StartupWMClass (or file name) matches the window class,
    // else the class lower-cased.
    static QString identifierFor(const QString& gtkApplicationId, const QString& instance,
                                 const QString& windowClass,
                                 const QMap<QString, QString>& wmClassToDesktopId,
                                 const QMap<QString, QString>& fileNameToDesktopId);

private:
    struct WindowInfo {
        qint64 pid = 0;
        QString gtkApplicationId;
        QString instance;
        QString windowClass;
    };
    unsigned long activeWindow() const;
    bool requestActivation(unsigned long window);
    QList<unsigned long> clientWindows(bool stacking) const;
    WindowInfo windowInfo(unsigned long window) const;
    RunningApplication applicationOf(const WindowInfo& info) const;
    void loadDesktopEntries() const;
    void onActiveWindowChanged();

    std::shared_ptr<X11Connection> connection_;
    int listener_ = 0;
    qint64 lastActivePid_ = 0;
    // The window of each process that was active last.
    QHash<qint64, unsigned long> lastActiveWindow_;
    mutable bool desktopEntriesLoaded_ = false;
    mutable QMap<QString, QString> wmClassToDesktopId_;
    mutable QMap<QString, QString> fileNameToDesktopId_;
    mutable QMap<QString, QString> desktopIdToName_;
};
