#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <memory>

class X11Connection;
class XSession;

// The private X session test_x11 runs on (Xvfb, openbox, us,ru layouts, the accessibility
// bus); started by its main before the QApplication.
XSession& x11Session();

// Reads a file; empty when it cannot be read.
QString readTextFile(const QString& path);

// Starts the test editor with one or more windows; returns the first window's id ("" when
// it did not show). The editor writes its text to `dump` (to dump.N with several windows).
QString startTestEditor(const QString& dump, const QString& title, int windows = 1,
                        const QStringList& extraArgs = {});

// The CLIPBOARD's data for a target, fetched by xclip while our event loop runs (we may be the
// owner that has to answer).
QByteArray fetchClipboard(const QString& target = QStringLiteral("UTF8_STRING"));

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
