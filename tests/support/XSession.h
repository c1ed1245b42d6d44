#pragma once

#include <QMap>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <functional>
#include <memory>
#include <vector>

// A private X session for one test: Xvfb on a free display, openbox, the us,ru layouts,
// optionally a D-Bus session with the accessibility bus, and a fresh home with its own XDG
// folders. Everything it starts is stopped when it goes away.
class XSession {
public:
    struct Options {
        bool accessibilityBus = false;
        QSize screenSize{1280, 800};
        // RandR monitors that split the screen (more than one: several monitors); the first is
        // the primary one.
        QList<QRect> monitors;
        // A tint2 panel at the bottom with a task bar (a button per task) and a tray.
        bool taskBar = false;
        // The desktop's Xft.dpi (192: everything drawn at 200 %); 0 leaves it unset.
        int xftDpi = 0;
    };

    XSession();
    explicit XSession(Options options);
    ~XSession();

    bool isReady() const { return ready_; }
    QString error() const { return error_; }
    QString display() const { return display_; }
    QString home() const { return home_.path(); }
    QString path(const QString& name) const { return home_.filePath(name); }

    // Writes nivelo's defaults.ini in the fresh home: the values given over the launch
    // defaults every e2e run shares (automatic update checks off, so no run asks a real
    // server). The session writes those alone when it starts. False when the file cannot be
    // written.
    bool writeNiveloDefaults(const QMap<QString, QString>& values = {}) const;

    // Environment for programs on this display, with the fresh home and XDG folders.
    QProcessEnvironment environment() const;

    // Ends the X server at once (SIGTERM), as at a logout, leaving its clients running.
    void endServer();

    // Starts a long-running program on this display; it is stopped with the session.
    QProcess* start(const QString& program, const QStringList& args,
                    const QProcessEnvironment& extra = {});
    // Runs a program to its end (at most timeoutMs); returns its standard output.
    QString run(const QString& program, const QStringList& args, int timeoutMs = 30000,
                int* exitCode = nullptr) const;

    QString xdotool(const QStringList& args) const { return run("xdotool", args); }
    // A window's frame-less geometry on the screen.
    QRect windowGeometry(const QString& windowId) const;
    // The first visible window whose WM_CLASS instance matches (nivelo's own: "^nivelo$"),
    // or "".
    QString visibleWindowOfInstance(const QString& pattern = QStringLiteral("^nivelo$")) const;
    // The first visible window whose title matches the pattern, or "".
    QString visibleWindowTitled(const QString& pattern) const;
    // Starts trayer with these arguments and gives its visible panel, or "" after 60 s. A
    // loaded machine now and then leaves trayer's panel unmapped for good (about one start
    // in five with eight busy loops), so a panel that does not show is started again.
    QString startTrayer(const QStringList& args);
    // Waits (polling) for a window whose title matches, returns its id or "".
    QString waitForWindow(const QString& titlePattern, int timeoutMs = 30000) const;
    // Starts `program` and gives its first visible window of `windowClass`, activated (and
    // maximised when asked); empty when none shows within 30 s.
    QString startAndActivate(const QString& program, const QString& windowClass,
                             bool maximised = false);
    // Asks the window manager to activate the window and waits until the server reports the
    // input focus in it (or one of its children) and the window manager names it active,
    // asking again while it does not; false when that never comes within timeoutMs.
    bool activate(const QString& windowId, int timeoutMs = 30000) const;
    // Whether the input focus is in the window or one of its children.
    bool hasFocus(const QString& windowId) const;
    // Whether it has the focus and the window manager names it active.
    bool isActive(const QString& windowId) const {
        return hasFocus(windowId) && activeWindow() == windowId.toULong();
    }
    // The window the window manager names active (_NET_ACTIVE_WINDOW), or 0.
    unsigned long activeWindow() const;

    void type(const QString& text) const;
    void key(const QString& keys) const;

    QString clipboardText() const;
    void setClipboardText(const QString& text);
    void setClipboardImage(const QString& pngPath);
    // A selection's data for a target, fetched by xclip while our event loop runs.
    QByteArray clipboardData(const QString& target = QStringLiteral("UTF8_STRING"),
                             const QString& selection = QStringLiteral("clipboard")) const;
    // The locked XKB group of the display (0 = us, 1 = ru), or -1.
    int currentLayoutGroup() const;
    // The task bar's height at the bottom of the screen (0 without one).
    static constexpr int kTaskBarHeight = 30;
    // Switches to a workspace (0 is the first) and waits until the window manager shows it.
    bool switchWorkspace(int index) const;
    // Whether a window and all its ancestors are mapped.
    bool isViewable(const QString& windowId) const;
    // Where a top-level window (or the window manager's frame around it) lies among the
    // root's children, counted from the bottom; -1 when it is not there.
    int stackingIndex(const QString& windowId) const;
    // Saves a screenshot of the whole screen under the home and returns its path.
    QString screenshot(const QString& name) const;

    // Polls cond every 20 ms until it holds or timeoutMs passes. Deadlines are generous: they
    // only matter when something is wrong, and a loaded machine is slow, not wrong.
    static bool waitUntil(const std::function<bool()>& cond, int timeoutMs = 20000);
    // Lets the event loop run for ms.
    static void pause(int ms) {
        waitUntil([] { return false; }, ms);
    }

private:
    void stopAll();
    // Ends what the session's programs left running on the display (a helper they started
    // detached): before the server goes, so that nothing reports a lost connection.
    void endStrays() const;
    // This test's own connection to the display, opened on first use.
    struct _XDisplay* xDisplay() const;
    bool startDbus();
    bool setMonitors();
    bool setXftDpi();
    bool waitForWindowManager();
    bool startTaskBar();

    Options options_;
    QTemporaryDir home_;
    QString display_;
    QString dbusAddress_;
    bool ready_ = false;
    QString error_;
    std::vector<std::unique_ptr<QProcess>> processes_;
    mutable struct _XDisplay* xDisplay_ = nullptr;
};
