#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <memory>

#include "capture/FocusService.h"
#include "capture/PasteboardService.h"
#include "clipboard/ClipboardHistoryService.h"
#include "platform/MemoryDefaults.h"
#include "platform/RealClock.h"
#include "platform/x11/AtspiAccessibility.h"
#include "platform/x11/X11Connection.h"
#include "platform/x11/X11KeyEvents.h"
#include "platform/x11/X11Pasteboard.h"
#include "platform/x11/X11Workspace.h"

class XSession;

// The private X session test_x11 runs on (Xvfb, openbox, us,ru layouts, the accessibility
// bus); started by its main before the QApplication.
XSession& x11Session();

// Reads a file; empty when it cannot be read.
QString readTextFile(const QString& path);

// Lets the event loop run for ms.
void pause(int ms);

// An 8x6 PNG of one colour, also written to the session's home as `name`.
QByteArray writePng(const QString& name);

// Starts the test editor with one or more windows; returns the first window's id ("" when
// it did not show). The editor writes its text to `dump` (to dump.N with several windows).
QString startTestEditor(const QString& dump, const QString& title, int windows = 1,
                        const QStringList& extraArgs = {});

// The text-capture services over the real desktop; keys and workspace may be replaced.
struct RealCapture {
    explicit RealCapture(KeyEvents* keysOverride = nullptr, Workspace* workspaceOverride = nullptr)
        : keys(keysOverride ? *keysOverride : x11Keys),
          workspace(workspaceOverride ? *workspaceOverride : x11Workspace),
          focus(workspace, accessibility),
          service({clock, clipboard, keys, workspace, accessibility, focus, history}) {}

    std::shared_ptr<X11Connection> connection = std::make_shared<X11Connection>();
    RealClock clock;
    X11Pasteboard clipboard;
    X11KeyEvents x11Keys{connection, &clipboard};
    X11Workspace x11Workspace{connection};
    KeyEvents& keys;
    Workspace& workspace;
    AtspiAccessibility accessibility;
    MemoryDefaults store;
    ClipboardHistoryService history{clipboard, clock, store};
    FocusService focus;
    PasteboardService service;
};

// Records the key presses and releases the X server sees (XInput2 raw events), whoever sends
// them; each entry is "+name" or "-name" with the key's keysym name in the first group.
class RawKeyRecorder {
public:
    RawKeyRecorder();
    ~RawKeyRecorder();
    // Everything recorded so far (after letting queued events in).
    QStringList events();
    void clear();

private:
    std::shared_ptr<X11Connection> connection_;
    QStringList events_;
    int listener_ = 0;
};
