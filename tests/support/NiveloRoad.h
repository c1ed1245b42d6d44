#pragma once

#include <QMap>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

#include "support/LoopbackHttpServer.h"
#include "support/XSession.h"

class QProcess;

// The main road on a private desktop: the real nivelo binary with a fresh home, a loopback
// stand-in for the AI endpoint, and a real editor, driven with xdotool like a person.
class NiveloRoad {
public:
    struct Options {
        QString niveloBinary;
        QString testEditor;
        // A session bus with the accessibility bus (for the editors and for nivelo).
        bool accessibilityBus = false;
        // Defaults written before nivelo starts ("nivelo.autoSelectAllBeforeAction" ...).
        QMap<QString, QString> defaults;
        // Whether the stand-in listens at all (false: the backend is down).
        bool backendUp = true;
        // The desktop's screen, monitors and task bar (its accessibility bus is the one above).
        XSession::Options desktop;
    };

    // The stand-in's answer to a text: the text upper-cased, so every result is predictable.
    static QString standInAnswer(const QString& text);

    explicit NiveloRoad(Options options);
    ~NiveloRoad();

    // Starts nivelo and waits until it is ready for hot keys; check error() when false.
    bool startNivelo();
    QString error() const { return error_; }
    // Ends nivelo with SIGTERM; true when it exited cleanly within 10 s.
    bool stopNivelo();
    // Ends nivelo with SIGKILL, as a crash would; true when it was gone within 10 s.
    bool killNivelo();
    // The running nivelo; null before startNivelo() and after stopNivelo().
    QProcess* nivelo() const { return nivelo_; }

    XSession& session() { return *session_; }
    LoopbackHttpServer& backend() { return backend_; }

    // Starts the small Qt editor (N windows dump to dump.1 ... dump.N); returns the first
    // window's id.
    QString startTestEditor(const QString& title, int windows = 1,
                            const QStringList& extraArgs = {});
    QString dumpPath(int window = 0) const;
    // What the test editor holds (window 0 when it has one window).
    QString editorText(int window = 0) const;
    bool waitForEditorText(const QString& text, int window = 0, int timeoutMs = 8000) const;

    // The texts of nivelo's stored clipboard history, newest first.
    QStringList storedClipboardHistory() const;
    // Replaces the focused editor's text with `text` and copies it, like a person, then waits
    // until the history has recorded it: the next copy cannot fall into the same poll.
    bool typeAndCopy(const QString& text);

    // Presses Alt plus a key (an X keysym name: "1", "a") through XTest, like a person: no
    // modifier or layout group is saved and restored around it as xdotool does.
    void pressAltHotKey(const QString& keysymName);
    // Which key a person lets go of first after Alt and a key.
    enum class Release { keyFirst, altFirst };
    // Presses Alt plus a key through XTest, holds both for holdMs (0: a quick tap, over before
    // any client can answer the press) and lets go in that order.
    void holdAltHotKey(const QString& keysymName, Release order, int holdMs);
    // Presses the keys in order and releases them in reverse ({"Super_L", "Shift_L", "k"}).
    void pressKeys(const QStringList& keysymNames);
    // Presses (or lets go of) the keys in order, and leaves them so.
    void sendKeys(const QStringList& keysymNames, bool down);

    // Locks the keyboard group (0 = us, 1 = ru).
    void lockLayoutGroup(int group);

    // What the editor held, what the clipboard held and a screenshot, for a failure message.
    QString diagnostics(const QString& name);

private:
    Options options_;
    std::unique_ptr<XSession> session_;
    LoopbackHttpServer backend_;
    QString dump_;
    int windows_ = 1;
    QString error_;
    QProcess* nivelo_ = nullptr;
};
