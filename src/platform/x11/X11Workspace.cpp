#include "platform/x11/X11Workspace.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

#include "platform/AppPaths.h"
#include "platform/x11/X11ClientProcess.h"
#include "platform/x11/X11Connection.h"

#include "platform/x11/Xlib.h"

namespace {
Atom atom(Display* display, const char* name) {
    return XInternAtom(display, name, False);
}

QByteArray windowProperty(Display* display, Window window, Atom name, Atom type,
                          int* format = nullptr, unsigned long* items = nullptr) {
    Atom actualType = 0;
    int actualFormat = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    QByteArray bytes;
    if (XGetWindowProperty(display, window, name, 0, 65536, False, type, &actualType, &actualFormat,
                           &count, &after, &data) == Success &&
        data) {
        // Format-32 items are longs in Xlib's memory, whatever their size on the wire.
        const int itemSize = actualFormat == 32 ? int(sizeof(long)) : actualFormat / 8;
        bytes = QByteArray(reinterpret_cast<const char*>(data), int(count) * itemSize);
        XFree(data);
    }
    if (format) {
        *format = actualFormat;
    }
    if (items) {
        *items = count;
    }
    return bytes;
}

QList<unsigned long> windowList(Display* display, Window window, Atom name) {
    QList<unsigned long> windows;
    unsigned long count = 0;
    const QByteArray bytes = windowProperty(display, window, name, XA_WINDOW, nullptr, &count);
    const auto* items = reinterpret_cast<const unsigned long*>(bytes.constData());
    for (unsigned long i = 0; i < count && (i + 1) * sizeof(long) <= size_t(bytes.size()); ++i) {
        windows.append(items[i]);
    }
    return windows;
}
}  // namespace

X11Workspace::X11Workspace(std::shared_ptr<X11Connection> connection, QObject* parent)
    : Workspace(parent), connection_(std::move(connection)) {
    Display* display = connection_->display();
    if (!display) {
        return;
    }
    XSelectInput(display, DefaultRootWindow(display), PropertyChangeMask);
    XFlush(display);
    const Atom activeAtom = atom(display, "_NET_ACTIVE_WINDOW");
    listener_ = connection_->addListener([this, activeAtom, display](XEvent& event) {
        if (event.type == PropertyNotify && event.xproperty.window == DefaultRootWindow(display) &&
            event.xproperty.atom == activeAtom) {
            onActiveWindowChanged();
        }
    });
    onActiveWindowChanged();
}

X11Workspace::~X11Workspace() {
    connection_->removeListener(listener_);
}

unsigned long X11Workspace::activeWindow() const {
    Display* display = connection_->display();
    if (!display) {
        return 0;
    }
    const QList<unsigned long> windows =
        windowList(display, DefaultRootWindow(display), atom(display, "_NET_ACTIVE_WINDOW"));
    return windows.value(0);
}

QList<unsigned long> X11Workspace::clientWindows(bool stacking) const {
    Display* display = connection_->display();
    if (!display) {
        return {};
    }
    return windowList(display, DefaultRootWindow(display),
                      atom(display, stacking ? "_NET_CLIENT_LIST_STACKING" : "_NET_CLIENT_LIST"));
}

X11Workspace::WindowInfo X11Workspace::windowInfo(unsigned long window) const {
    Display* display = connection_->display();
    WindowInfo info;
    if (!display || window == 0) {
        return info;
    }
    bool failed = connection_->failsWithError([&] {
        unsigned long count = 0;
        const QByteArray pid = windowProperty(display, window, atom(display, "_NET_WM_PID"),
                                              XA_CARDINAL, nullptr, &count);
        if (count >= 1 && pid.size() >= int(sizeof(long))) {
            info.pid = qint64(*reinterpret_cast<const unsigned long*>(pid.constData()));
        }
        if (info.pid <= 0) {
            info.pid = x11ClientProcess(display, window);
        }
        info.gtkApplicationId = QString::fromUtf8(windowProperty(
            display, window, atom(display, "_GTK_APPLICATION_ID"), atom(display, "UTF8_STRING")));
        XClassHint hint{};
        if (XGetClassHint(display, window, &hint)) {
            info.instance = QString::fromLocal8Bit(hint.res_name);
            info.windowClass = QString::fromLocal8Bit(hint.res_class);
            XFree(hint.res_name);
            XFree(hint.res_class);
        }
    });
    return failed ? WindowInfo{} : info;
}

void X11Workspace::loadDesktopEntries() const {
    if (desktopEntriesLoaded_) {
        return;
    }
    desktopEntriesLoaded_ = true;
    const QStringList dirs =
        QStandardPaths::standardLocations(QStandardPaths::ApplicationsLocation);
    // Earlier folders take precedence (the user's own entries over the system's).
    for (auto dir = dirs.crbegin(); dir != dirs.crend(); ++dir) {
        const QFileInfoList files = QDir(*dir).entryInfoList({"*.desktop"}, QDir::Files);
        for (const QFileInfo& file : files) {
            const QString id = file.completeBaseName();
            QSettings entry(file.filePath(), QSettings::IniFormat);
            entry.beginGroup("Desktop Entry");
            const QString wmClass = entry.value("StartupWMClass").toString();
            if (!wmClass.isEmpty()) {
                wmClassToDesktopId_[wmClass.toLower()] = id;
            }
            fileNameToDesktopId_[id.toLower()] = id;
            const QString name = entry.value("Name").toString();
            if (!name.isEmpty()) {
                desktopIdToName_[id] = name;
            }
        }
    }
}

QString X11Workspace::identifierFor(const QString& gtkApplicationId, const QString& instance,
                                    const QString& windowClass,
                                    const QMap<QString, QString>& wmClassToDesktopId,
                                    const QMap<QString, QString>& fileNameToDesktopId) {
    if (!gtkApplicationId.isEmpty()) {
        return gtkApplicationId;
    }
    for (const QString& name : {windowClass, instance}) {
        if (!name.isEmpty() && wmClassToDesktopId.contains(name.toLower())) {
            return wmClassToDesktopId.value(name.toLower());
        }
    }
    for (const QString& name : {windowClass, instance}) {
        if (!name.isEmpty() && fileNameToDesktopId.contains(name.toLower())) {
            return fileNameToDesktopId.value(name.toLower());
        }
    }
    return windowClass.toLower();
}

RunningApplication X11Workspace::applicationOf(const WindowInfo& info) const {
    RunningApplication app;
    app.processIdentifier = info.pid;
    app.path = QFileInfo(QStringLiteral("/proc/%1/exe").arg(info.pid)).symLinkTarget();
    if (info.pid == ownProcessIdentifier()) {
        app.bundleIdentifier = QString::fromLatin1(AppPaths::kBundleIdentifier);
        app.name = QCoreApplication::applicationName();
        return app;
    }
    loadDesktopEntries();
    app.bundleIdentifier = identifierFor(info.gtkApplicationId, info.instance, info.windowClass,
                                         wmClassToDesktopId_, fileNameToDesktopId_);
    app.name = desktopIdToName_.value(
        app.bundleIdentifier, info.windowClass.isEmpty() ? app.bundleIdentifier : info.windowClass);
    return app;
}

QList<RunningApplication> X11Workspace::runningApplications() const {
    QList<RunningApplication> apps;
    QSet<qint64> seen;
    for (unsigned long window : clientWindows(false)) {
        const WindowInfo info = windowInfo(window);
        if (info.pid <= 0 || seen.contains(info.pid)) {
            continue;
        }
        seen.insert(info.pid);
        apps.append(applicationOf(info));
    }
    return apps;
}

std::optional<RunningApplication> X11Workspace::frontmostApplication() const {
    const WindowInfo info = windowInfo(activeWindow());
    if (info.pid <= 0) {
        return std::nullopt;
    }
    return applicationOf(info);
}

bool X11Workspace::activate(qint64 processIdentifier) {
    Display* display = connection_->display();
    if (!display || processIdentifier <= 0) {
        return false;
    }
    const QList<unsigned long> stacking = clientWindows(true);
    unsigned long target = 0;
    const unsigned long remembered = lastActiveWindow_.value(processIdentifier);
    if (remembered != 0 && stacking.contains(remembered)) {
        target = remembered;
    } else {
        // The topmost window of the process.
        for (auto it = stacking.crbegin(); it != stacking.crend(); ++it) {
            if (windowInfo(*it).pid == processIdentifier) {
                target = *it;
                break;
            }
        }
    }
    if (target == 0) {
        return false;
    }
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = target;
    event.xclient.message_type = atom(display, "_NET_ACTIVE_WINDOW");
    event.xclient.format = 32;
    // Source 2 (a pager): the window manager obeys rather than judging focus stealing.
    event.xclient.data.l[0] = 2;
    event.xclient.data.l[1] = CurrentTime;
    event.xclient.data.l[2] = 0;
    const bool failed = connection_->failsWithError([&] {
        XSendEvent(display, DefaultRootWindow(display), False,
                   SubstructureRedirectMask | SubstructureNotifyMask, &event);
    });
    return !failed;
}

bool X11Workspace::openUrl(const QUrl& url) {
    return QDesktopServices::openUrl(url);
}

qint64 X11Workspace::ownProcessIdentifier() const {
    return QCoreApplication::applicationPid();
}

void X11Workspace::onActiveWindowChanged() {
    const unsigned long window = activeWindow();
    const WindowInfo info = windowInfo(window);
    if (info.pid <= 0) {
        return;
    }
    lastActiveWindow_[info.pid] = window;
    if (info.pid == lastActivePid_) {
        return;
    }
    lastActivePid_ = info.pid;
    if (info.pid != ownProcessIdentifier()) {
        Q_EMIT applicationActivated(applicationOf(info));
    }
}
