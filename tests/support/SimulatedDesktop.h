#pragma once

#include <QList>
#include <QString>
#include <memory>
#include <vector>

#include "platform/KeyEvents.h"
#include "platform/Workspace.h"
#include "support/SimulatedAccessibility.h"
#include "support/SimulatedPasteboard.h"
#include "support/VirtualClock.h"

class SimulatedDesktop;

// A running application whose focused text field reacts to Control+A, Control+C and
// Control+V like a real editor.
class SimulatedApp {
public:
    SimulatedApp(SimulatedDesktop& desktop, qint64 pid, QString bundleIdentifier, QString name);
    // Its accessibility nodes may outlive it (remembered windows): they stop answering.
    ~SimulatedApp();

    const qint64 pid;
    const QString bundleIdentifier;
    const QString name;

    // The focused text field.
    QString text;
    int selectionStart = 0;
    int selectionLength = 0;
    void setText(const QString& value, int start = 0, int length = 0);
    void selectAll();
    QString selectedText() const;
    void replaceSelection(const QString& replacement);

    // Switches: copy only from the N-th Copy on; write the pasteboard this long after the
    // Copy; refuse to be activated.
    int copyFromAttempt = 1;
    qint64 copyWriteDelayMs = 0;
    // Fetch the pasteboard this long after Paste, as an X11 client fetches the selection.
    qint64 pasteReadDelayMs = 0;
    bool refusesActivation = false;
    // Reports an activation as done yet stays behind the frontmost application.
    bool staysBehind = false;
    // With nothing selected, Copy takes the caret's line and moves the caret to its start.
    bool copiesLineWithoutSelection = false;

    // What arrived.
    int selectAllCount = 0;
    int copyCount = 0;
    int pasteCount = 0;
    QStringList pastedTexts;

    // Accessibility: application element -> window -> text field.
    std::shared_ptr<SimulatedAXNode> element;
    std::shared_ptr<SimulatedAXNode> window;
    std::shared_ptr<SimulatedAXNode> field;
    // The application's focused element (the text field unless changed; null: none).
    std::shared_ptr<SimulatedAXNode> focused;

    void receiveKey(quint16 keyCode, KeyModifiers modifiers);
    void pasteFromPasteboard();
    RunningApplication info() const;

private:
    SimulatedDesktop& desktop_;
};

class SimulatedWorkspace : public Workspace {
public:
    explicit SimulatedWorkspace(SimulatedDesktop& desktop) : desktop_(desktop) {}

    QList<RunningApplication> runningApplications() const override;
    std::optional<RunningApplication> frontmostApplication() const override;
    bool activate(qint64 processIdentifier) override;
    bool openUrl(const QUrl& url) override;
    qint64 ownProcessIdentifier() const override { return kOwnPid; }
    bool hasActiveWindow() const override {
        return unknownWindowActive || frontmostApplication().has_value();
    }

    static constexpr qint64 kOwnPid = SimulatedPasteboard::kOwnPid;
    // A window is active whose application cannot be told (no application is frontmost).
    bool unknownWindowActive = false;
    // Activations asked for by the app, with the virtual time of each.
    struct Activation {
        qint64 atMs;
        qint64 pid;
    };
    QList<Activation> activations;
    QList<QUrl> openedUrls;
    // What openUrl answers; every URL is noted either way.
    bool opensUrls = true;

private:
    SimulatedDesktop& desktop_;
};

class SimulatedKeyEvents : public KeyEvents {
public:
    explicit SimulatedKeyEvents(SimulatedDesktop& desktop) : desktop_(desktop) {}

    bool canPostEvents() const override { return trusted; }
    bool postKey(quint16 keyCode, KeyModifiers modifiers, bool down) override;
    KeyModifiers heldModifiers() const override;

    // The user holds these modifier keys until the given virtual time.
    void holdModifiers(KeyModifiers modifiers, qint64 untilMs);

    bool trusted = true;
    bool failsToPost = false;

    struct Record {
        qint64 atMs;
        quint16 keyCode;
        KeyModifiers modifiers;
        bool down;
        qint64 targetPid;  // 0: no application was frontmost
    };
    QList<Record> log;
    // The virtual times of the key-downs of one key.
    QList<qint64> downTimes(quint16 keyCode) const;

private:
    SimulatedDesktop& desktop_;
    KeyModifiers held_;
    qint64 heldUntilMs_ = 0;
};

// A desktop on the virtual clock: applications, a pasteboard, key events, accessibility.
class SimulatedDesktop {
public:
    SimulatedDesktop();

    VirtualClock clock;
    SimulatedPasteboard pasteboard;
    SimulatedWorkspace workspace{*this};
    SimulatedKeyEvents keys{*this};
    SimulatedAccessibility accessibility{*this};

    // Starts an application (not frontmost); pids count up from 101.
    SimulatedApp& launch(const QString& bundleIdentifier, const QString& name = {});
    void quit(qint64 pid);
    // The user brings an application to the front (the workspace announces it).
    void bringToFront(qint64 pid);

    SimulatedApp* app(qint64 pid) const;
    SimulatedApp* frontmost() const { return app(frontmostPid_); }
    const std::vector<std::unique_ptr<SimulatedApp>>& apps() const { return apps_; }

private:
    friend class SimulatedWorkspace;
    void setFrontmost(qint64 pid);

    std::vector<std::unique_ptr<SimulatedApp>> apps_;
    qint64 nextPid_ = 101;
    qint64 frontmostPid_ = 0;
};
