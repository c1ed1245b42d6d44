#include "XSession.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRegularExpression>
#include <QThread>
#include <algorithm>
#include <csignal>

#include <X11/XKBlib.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace {
// The first line a starting process prints (its display or bus address); empty after 30 s.
QByteArray firstLine(QProcess& process) {
    QElapsedTimer t;
    t.start();
    QByteArray out;
    while (!out.contains('\n') && t.elapsed() < 30000) {
        process.waitForReadyRead(200);
        out += process.readAllStandardOutput();
    }
    return out.contains('\n') ? out.trimmed() : QByteArray();
}
}  // namespace

XSession::XSession() : XSession(Options{}) {}

XSession::XSession(Options options) : options_(options) {
    QDir(home_.path()).mkpath(".config");
    QDir(home_.path()).mkpath(".local/share");
    QDir(home_.path()).mkpath("runtime");
    QFile::setPermissions(home_.filePath("runtime"),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    writeNiveloDefaults();

    // Xvfb picks a free display and writes its number to the fd we pass.
    auto xvfb = std::make_unique<QProcess>();
    xvfb->setProgram("Xvfb");
    // -noreset: the monitors set below would go when the last client leaves, and on a loaded
    // machine (openbox still starting while setxkbmap ends) the server would forget the layouts.
    xvfb->setArguments(
        {"-displayfd", "1", "-screen", "0",
         QString("%1x%2x24").arg(options_.screenSize.width()).arg(options_.screenSize.height()),
         "-nolisten", "tcp", "-noreset"});
    xvfb->setProcessChannelMode(QProcess::SeparateChannels);
    xvfb->start();
    if (!xvfb->waitForStarted(30000)) {
        error_ = "Xvfb did not start";
        return;
    }
    const QByteArray out = firstLine(*xvfb);
    if (out.isEmpty()) {
        error_ = "Xvfb did not report a display";
        return;
    }
    display_ = ":" + QString::fromLatin1(out);
    processes_.push_back(std::move(xvfb));

    if (options_.accessibilityBus && !startDbus()) {
        return;
    }
    if (!setMonitors() || !setXftDpi()) {
        return;
    }
    start("openbox", {"--sm-disable"});
    if (!waitUntil(
            [&] {
                return run("xprop", {"-root", "_NET_SUPPORTING_WM_CHECK"}).contains("window id");
            },
            60000)) {
        error_ = "openbox did not start";
        return;
    }
    if (!waitForWindowManager()) {
        error_ = "openbox does not manage windows";
        return;
    }
    int code = -1;
    run("setxkbmap", {"-layout", "us,ru"}, 30000, &code);
    if (code != 0 ||
        !run("setxkbmap", {"-query"}, 30000).contains(QRegularExpression("layout:\\s+us,ru\\n"))) {
        error_ = "setxkbmap failed";
        return;
    }
    if (options_.taskBar && !startTaskBar()) {
        return;
    }
    ready_ = true;
}

XSession::~XSession() {
    if (xDisplay_) {
        XCloseDisplay(xDisplay_);
    }
    stopAll();
}

// openbox names itself before its start-up ends, and a map request that arrives meanwhile can
// sit in its queue unseen until some later event wakes it: a test's first window then never
// shows. A probe window is mapped and the root touched until openbox frames the probe.
bool XSession::waitForWindowManager() {
    Display* display = xDisplay();
    if (!display) {
        return false;
    }
    const Window root = DefaultRootWindow(display);
    const Window probe = XCreateSimpleWindow(display, root, 0, 0, 10, 10, 0, 0, 0);
    XMapWindow(display, probe);
    const Atom nudge = XInternAtom(display, "_NIVELO_TEST_NUDGE", False);
    const auto framed = [&] {
        Window rootReturn = 0;
        Window parent = 0;
        Window* children = nullptr;
        unsigned int count = 0;
        const bool known = XQueryTree(display, probe, &rootReturn, &parent, &children, &count);
        if (children) {
            XFree(children);
        }
        return known && parent != root;
    };
    QElapsedTimer waited;
    waited.start();
    bool managed = false;
    while (!(managed = framed()) && waited.elapsed() < 60000) {
        XChangeProperty(display, root, nudge, XA_CARDINAL, 32, PropModeReplace, nullptr, 0);
        XFlush(display);
        QThread::msleep(100);
    }
    XDestroyWindow(display, probe);
    XDeleteProperty(display, root, nudge);
    XSync(display, False);
    return managed;
}

bool XSession::setMonitors() {
    for (int i = 0; i < options_.monitors.size(); ++i) {
        const QRect& m = options_.monitors.at(i);
        // Physical sizes at 96 dpi; the first takes the screen's output, so it is the primary.
        const QString geometry = QString("%1/%2x%3/%4+%5+%6")
                                     .arg(m.width())
                                     .arg(m.width() * 254 / 960)
                                     .arg(m.height())
                                     .arg(m.height() * 254 / 960)
                                     .arg(m.x())
                                     .arg(m.y());
        int code = -1;
        run("xrandr",
            {"--setmonitor", QString("monitor%1").arg(i + 1), geometry,
             i == 0 ? QStringLiteral("screen") : QStringLiteral("none")},
            10000, &code);
        if (code != 0) {
            error_ = "xrandr --setmonitor failed";
            return false;
        }
    }
    return true;
}

bool XSession::setXftDpi() {
    if (options_.xftDpi <= 0) {
        return true;
    }
    const QString resources = home_.filePath("Xresources");
    QFile file(resources);
    if (!file.open(QIODevice::WriteOnly)) {
        error_ = "cannot write Xresources";
        return false;
    }
    file.write(QString("Xft.dpi: %1\n").arg(options_.xftDpi).toUtf8());
    file.close();
    int code = -1;
    run("xrdb", {"-merge", resources}, 30000, &code);
    if (code != 0) {
        error_ = "xrdb failed";
        return false;
    }
    return true;
}

bool XSession::startTaskBar() {
    // Plain colours and no clock, so that only a new task changes the bar; a tray, so that
    // nivelo keeps running with its window closed.
    const QString rc = home_.filePath("tint2rc");
    QFile file(rc);
    if (!file.open(QIODevice::WriteOnly)) {
        error_ = "cannot write tint2rc";
        return false;
    }
    file.write(QString(R"(rounded = 0
border_width = 0
background_color = #202020 100
border_color = #000000 0
rounded = 0
border_width = 1
background_color = #3060c0 100
border_color = #ffffff 100
panel_items = TS
panel_size = 100% %1
panel_margin = 0 0
panel_padding = 2 2 2
panel_position = bottom center horizontal
panel_layer = top
panel_background_id = 1
panel_monitor = all
strut_policy = follow_size
taskbar_mode = single_desktop
taskbar_background_id = 0
taskbar_active_background_id = 0
task_icon = 0
task_text = 1
task_maximum_size = 160 26
task_padding = 4 2 4
task_background_id = 2
task_active_background_id = 2
task_iconified_background_id = 2
task_font_color = #ffffff 100
task_active_font_color = #ffffff 100
task_iconified_font_color = #ffffff 100
)")
                   .arg(kTaskBarHeight)
                   .toUtf8());
    file.close();
    start("tint2", {"-c", rc});
    // Up when it has reserved its strip: the work area ends above it.
    const int bottom = options_.screenSize.height() - kTaskBarHeight;
    const bool up = waitUntil(
        [&] {
            const QStringList area =
                run("xprop", {"-root", "_NET_WORKAREA"}).section('=', 1).split(',');
            return area.size() >= 4 &&
                   area.at(1).trimmed().toInt() + area.at(3).trimmed().toInt() == bottom;
        },
        10000);
    if (!up) {
        error_ = "tint2 did not reserve its strip";
    }
    return up;
}

bool XSession::switchWorkspace(int index) const {
    run("wmctrl", {"-s", QString::number(index)});
    return waitUntil(
        [&] {
            return run("xprop", {"-root", "_NET_CURRENT_DESKTOP"}).section('=', 1).trimmed() ==
                   QString::number(index);
        },
        5000);
}

bool XSession::isViewable(const QString& windowId) const {
    return run("xwininfo", {"-id", windowId}).contains("Map State: IsViewable");
}

int XSession::stackingIndex(const QString& windowId) const {
    Display* display = xDisplay();
    Window top = windowId.toULong();
    if (!display || top == 0) {
        return -1;
    }
    Window root = None;
    Window parent = None;
    Window* children = nullptr;
    unsigned int count = 0;
    while (XQueryTree(display, top, &root, &parent, &children, &count) && parent != root) {
        XFree(children);
        children = nullptr;
        top = parent;
    }
    XFree(children);
    children = nullptr;
    int index = -1;
    if (XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count)) {
        for (unsigned int i = 0; i < count; ++i) {
            index = children[i] == top ? int(i) : index;
        }
    }
    XFree(children);
    return index;
}

Display* XSession::xDisplay() const {
    if (!xDisplay_ && !display_.isEmpty()) {
        xDisplay_ = XOpenDisplay(display_.toLocal8Bit().constData());
    }
    return xDisplay_;
}

bool XSession::startDbus() {
    auto bus = std::make_unique<QProcess>();
    bus->setProcessEnvironment(environment());
    bus->start("dbus-daemon", {"--session", "--nofork", "--print-address=1"});
    const QByteArray out = firstLine(*bus);
    if (out.isEmpty()) {
        error_ = "dbus-daemon did not start";
        return false;
    }
    dbusAddress_ = QString::fromLatin1(out);
    processes_.push_back(std::move(bus));
    start("/usr/libexec/at-spi-bus-launcher", {"--launch-immediately"});
    QString a11yBus;
    if (!waitUntil(
            [&] {
                const QString reply =
                    run("dbus-send", {"--session", "--print-reply", "--dest=org.a11y.Bus",
                                      "/org/a11y/bus", "org.a11y.Bus.GetAddress"});
                a11yBus = reply.section('"', 1, 1);
                return a11yBus.startsWith("unix:");
            },
            30000)) {
        error_ = "the accessibility bus did not start";
        return false;
    }
    // The registry starts on the first application's request, and that application waits
    // for it: started here, a slow start delays the session rather than a test's window.
    return waitUntil(
        [&] {
            int code = -1;
            run("dbus-send",
                {"--bus=" + a11yBus, "--print-reply", "--dest=org.a11y.atspi.Registry",
                 "/org/a11y/atspi/registry", "org.freedesktop.DBus.Peer.Ping"},
                30000, &code);
            return code == 0;
        },
        60000);
}

bool XSession::writeNiveloDefaults(const QMap<QString, QString>& values) const {
    QMap<QString, QString> all{{"nivelo.updates.automaticChecksEnabled", "false"}};
    all.insert(values);
    const QString dir = home_.filePath(".config/ai.nivelo.native");
    QDir().mkpath(dir);
    QFile file(dir + "/defaults.ini");
    if (!file.open(QIODevice::WriteOnly)) {
        return false;
    }
    file.write("[General]\n");
    for (auto it = all.cbegin(); it != all.cend(); ++it) {
        file.write((it.key() + "=" + it.value() + "\n").toUtf8());
    }
    return file.flush();
}

QProcessEnvironment XSession::environment() const {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("DISPLAY", display_);
    env.insert("HOME", home_.path());
    env.insert("XDG_CONFIG_HOME", home_.filePath(".config"));
    env.insert("XDG_DATA_HOME", home_.filePath(".local/share"));
    env.insert("XDG_RUNTIME_DIR", home_.filePath("runtime"));
    env.remove("WAYLAND_DISPLAY");
    env.remove("QT_QPA_PLATFORM");
    env.insert("QT_QPA_PLATFORM", "xcb");
    if (dbusAddress_.isEmpty()) {
        // No session bus: accessibility and D-Bus services are simply absent.
        env.insert("DBUS_SESSION_BUS_ADDRESS", "disabled:");
        env.insert("NO_AT_BRIDGE", "1");
    } else {
        env.insert("DBUS_SESSION_BUS_ADDRESS", dbusAddress_);
        env.insert("GTK_MODULES", "gail:atk-bridge");
        env.insert("QT_LINUX_ACCESSIBILITY_ALWAYS_ON", "1");
        env.remove("NO_AT_BRIDGE");
    }
    return env;
}

QProcess* XSession::start(const QString& program, const QStringList& args,
                          const QProcessEnvironment& extra) {
    auto process = std::make_unique<QProcess>();
    QProcessEnvironment env = environment();
    for (const QString& key : extra.keys()) {
        env.insert(key, extra.value(key));
    }
    process->setProcessEnvironment(env);
    process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process->setStandardOutputFile(QProcess::nullDevice());
    if (program == QLatin1String("xclip")) {
        // In the foreground (so it stops with the session) xclip narrates every request.
        process->setProcessChannelMode(QProcess::SeparateChannels);
        process->setStandardErrorFile(QProcess::nullDevice());
    }
    process->start(program, args);
    process->waitForStarted(30000);
    processes_.push_back(std::move(process));
    return processes_.back().get();
}

QString XSession::run(const QString& program, const QStringList& args, int timeoutMs,
                      int* exitCode) const {
    QProcess p;
    p.setProcessEnvironment(environment());
    p.start(program, args);
    if (!p.waitForFinished(timeoutMs)) {
        p.kill();
        p.waitForFinished(1000);
        if (exitCode) {
            *exitCode = -1;
        }
        return {};
    }
    if (exitCode) {
        *exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    }
    return QString::fromUtf8(p.readAllStandardOutput());
}

QString XSession::startTrayer(const QStringList& args) {
    QElapsedTimer elapsed;
    elapsed.start();
    QString panel;
    const auto shown = [&] {
        panel = xdotool({"search", "--onlyvisible", "--class", "trayer"})
                    .split('\n', Qt::SkipEmptyParts)
                    .value(0);
        return !panel.isEmpty();
    };
    while (elapsed.elapsed() < 60000) {
        QProcess* trayer = start("trayer", args);
        if (waitUntil(shown, 10000)) {
            return panel;
        }
        trayer->kill();
        trayer->waitForFinished(5000);
    }
    return {};
}

QString XSession::waitForWindow(const QString& titlePattern, int timeoutMs) const {
    QString id;
    waitUntil(
        [&] {
            id = run("xdotool", {"search", "--onlyvisible", "--name", titlePattern})
                     .split('\n', Qt::SkipEmptyParts)
                     .value(0);
            return !id.isEmpty();
        },
        timeoutMs);
    return id;
}

bool XSession::activate(const QString& windowId, int timeoutMs) const {
    QElapsedTimer t;
    t.start();
    const auto arrived = [&] { return isActive(windowId); };
    do {
        // Without --sync: xdotool's own wait has no deadline, ours does. The request can be
        // lost to a window that maps or takes the focus meanwhile, so it is made again.
        xdotool({"windowactivate", windowId});
        xdotool({"windowfocus", windowId});
        if (waitUntil(arrived, 3000)) {
            return true;
        }
    } while (t.elapsed() < timeoutMs);
    return false;
}

bool XSession::hasFocus(const QString& windowId) const {
    Display* display = xDisplay();
    const Window window = windowId.toULong();
    if (!display || window == 0) {
        return false;
    }
    Window focused = None;
    int revert = 0;
    XGetInputFocus(display, &focused, &revert);
    // Up from the focus window (a toolkit may focus a child) to the root.
    for (int depth = 0; depth < 16 && focused != None && focused != PointerRoot; ++depth) {
        if (focused == window) {
            return true;
        }
        Window root = None;
        Window parent = None;
        Window* children = nullptr;
        unsigned count = 0;
        if (!XQueryTree(display, focused, &root, &parent, &children, &count)) {
            return false;
        }
        if (children) {
            XFree(children);
        }
        if (focused == root) {
            return false;
        }
        focused = parent;
    }
    return false;
}

unsigned long XSession::activeWindow() const {
    Display* display = xDisplay();
    if (!display) {
        return 0;
    }
    const Atom property = XInternAtom(display, "_NET_ACTIVE_WINDOW", False);
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    unsigned long active = 0;
    if (XGetWindowProperty(display, DefaultRootWindow(display), property, 0, 1, False, XA_WINDOW,
                           &type, &format, &count, &after, &data) == Success &&
        data) {
        if (format == 32 && count == 1) {
            active = *reinterpret_cast<unsigned long*>(data);
        }
        XFree(data);
    }
    return active;
}

void XSession::type(const QString& text) const {
    xdotool({"type", "--delay", "20", "--", text});
}

void XSession::key(const QString& keys) const {
    xdotool({"key", "--clearmodifiers", keys});
}

QString XSession::clipboardText() const {
    return QString::fromUtf8(clipboardData("UTF8_STRING"));
}

QByteArray XSession::clipboardData(const QString& target, const QString& selection) const {
    QProcess p;
    p.setProcessEnvironment(environment());
    p.start("xclip", {"-selection", selection, "-o", "-t", target});
    // Our own event loop runs meanwhile: we may be the owner that has to answer.
    waitUntil([&] { return p.state() == QProcess::NotRunning; }, 20000);
    if (p.state() != QProcess::NotRunning) {
        p.kill();
        p.waitForFinished(1000);
        return {};
    }
    return p.readAllStandardOutput();
}

void XSession::setClipboardText(const QString& text) {
    QProcess* p = start("xclip", {"-selection", "clipboard", "-i", "-quiet"});
    p->write(text.toUtf8());
    p->closeWriteChannel();
    waitUntil([&] { return clipboardText() == text; }, 20000);
}

void XSession::setClipboardImage(const QString& pngPath) {
    start("xclip", {"-selection", "clipboard", "-t", "image/png", "-i", "-quiet", pngPath});
    waitUntil([&] { return !clipboardData("image/png").isEmpty(); }, 20000);
}

int XSession::currentLayoutGroup() const {
    Display* display = xDisplay();
    if (!display) {
        return -1;
    }
    XkbStateRec state;
    return XkbGetState(display, XkbUseCoreKbd, &state) == Success ? int(state.locked_group) : -1;
}

QString XSession::screenshot(const QString& name) const {
    const QString file = home_.filePath(name + ".png");
    run("import", {"-window", "root", file}, 30000);
    // Keep the picture after the session's home is removed.
    const QString kept = QDir::temp().filePath("nivelo-e2e-" + name + ".png");
    QFile::remove(kept);
    QFile::copy(file, kept);
    return kept;
}

bool XSession::waitUntil(const std::function<bool()>& cond, int timeoutMs) {
    QElapsedTimer t;
    t.start();
    while (true) {
        if (cond()) {
            return true;
        }
        if (t.elapsed() > timeoutMs) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(20);
    }
}

void XSession::endServer() {
    if (xDisplay_) {
        XCloseDisplay(xDisplay_);
        xDisplay_ = nullptr;
    }
    // The server is the first program the session started.
    if (!processes_.empty()) {
        processes_.front()->terminate();
        processes_.front()->waitForFinished(10000);
    }
    ready_ = false;
}

void XSession::stopAll() {
    // Newest first: clients before the window manager and the server.
    for (auto it = processes_.rbegin(); it != processes_.rend(); ++it) {
        QProcess& p = **it;
        if (std::next(it) == processes_.rend()) {
            endStrays();
        }
        if (p.state() != QProcess::NotRunning) {
            p.terminate();
            if (!p.waitForFinished(2000)) {
                p.kill();
                p.waitForFinished(2000);
            }
        }
    }
    processes_.clear();
}

void XSession::endStrays() const {
    // They run with the session's fresh home, which nothing else has.
    const QByteArray home = "HOME=" + home_.path().toLocal8Bit();
    const auto ofSession = [&](const QString& pid) {
        QFile environ("/proc/" + pid + "/environ");
        return environ.open(QIODevice::ReadOnly) && environ.readAll().split('\0').contains(home);
    };
    QStringList strays;
    const QString self = QString::number(QCoreApplication::applicationPid());
    for (const QString& pid : QDir("/proc").entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        if (pid != self && pid.toInt() > 0 && ofSession(pid)) {
            strays << pid;
        }
    }
    for (const QString& pid : strays) {
        ::kill(pid.toInt(), SIGTERM);
    }
    // Without turning the event loop: a test's accessibility client may already be gone, and
    // what the dying programs send it must stay unread.
    QElapsedTimer waited;
    waited.start();
    bool gone = false;
    while (!(gone = std::none_of(strays.begin(), strays.end(), ofSession)) &&
           waited.elapsed() < 3000) {
        QThread::msleep(20);
    }
    if (!gone) {
        for (const QString& pid : strays) {
            ::kill(pid.toInt(), SIGKILL);
        }
    }
}

QString XSession::startAndActivate(const QString& program, const QString& windowClass,
                                   bool maximised) {
    start(program, {});
    QString window;
    waitUntil(
        [&] {
            window = xdotool({"search", "--onlyvisible", "--class", windowClass})
                         .split('\n', Qt::SkipEmptyParts)
                         .value(0);
            return !window.isEmpty();
        },
        30000);
    if (!window.isEmpty() && maximised) {
        run("wmctrl", {"-i", "-r", window, "-b", "add,maximized_vert,maximized_horz"});
    }
    if (!window.isEmpty()) {
        activate(window);
    }
    return window;
}

QRect XSession::windowGeometry(const QString& windowId) const {
    QRect g;
    for (const QString& line :
         xdotool({"getwindowgeometry", "--shell", windowId}).split('\n', Qt::SkipEmptyParts)) {
        const QString key = line.section('=', 0, 0);
        const int value = line.section('=', 1).toInt();
        if (key == "X") {
            g.moveLeft(value);
        } else if (key == "Y") {
            g.moveTop(value);
        } else if (key == "WIDTH") {
            g.setWidth(value);
        } else if (key == "HEIGHT") {
            g.setHeight(value);
        }
    }
    return g;
}

QString XSession::visibleWindowOfInstance(const QString& pattern) const {
    return xdotool({"search", "--onlyvisible", "--classname", pattern})
        .split('\n', Qt::SkipEmptyParts)
        .value(0);
}

QString XSession::visibleWindowTitled(const QString& pattern) const {
    return xdotool({"search", "--onlyvisible", "--name", pattern})
        .split('\n', Qt::SkipEmptyParts)
        .value(0);
}
