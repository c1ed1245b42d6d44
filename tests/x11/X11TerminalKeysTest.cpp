#include <gtest/gtest.h>

#include <QFile>

#include "platform/x11/X11TerminalKeys.h"
#include "support/EventWait.h"
#include "support/QtPrinters.h"
#include "support/XSession.h"
#include "x11/X11TestSupport.h"

#include "platform/x11/Xlib.h"

namespace {
// The raw key events one shortcut gives: its modifiers are down only around its key-down.
QStringList pressed(const TerminalShortcut& shortcut) {
    const QString key = shortcut.keyCode == KeyCode::C   ? "c"
                        : shortcut.keyCode == KeyCode::V ? "v"
                                                         : "Insert";
    const bool control = shortcut.modifiers & KeyModifier::Control;
    const bool shift = shortcut.modifiers & KeyModifier::Shift;
    QStringList events;
    if (control)
        events << "+Control_L";
    if (shift)
        events << "+Shift_L";
    events << "+" + key;
    if (shift)
        events << "-Shift_L";
    if (control)
        events << "-Control_L";
    return events << "-" + key;
}

// Control without Shift on a letter is a control character, which a terminal turns into a
// signal or an editing command.
bool isControlCharacter(const TerminalShortcut& shortcut) {
    return (shortcut.modifiers & KeyModifier::Control) &&
           !(shortcut.modifiers & KeyModifier::Shift) && shortcut.keyCode != KeyCode::Insert;
}

QStringList recorded(RawKeyRecorder& recorder, int count) {
    XSession::waitUntil([&] { return recorder.events().size() >= count; }, 20000);
    return recorder.events();
}

QString fetchPrimary() {
    return QString::fromUtf8(x11Session().clipboardData("UTF8_STRING", "primary"));
}

// Starts xterm running a shell script that notes every SIGINT in `signals`; returns the
// window once the script runs.
QString startXterm(const QString& title, const QString& signals, const QString& loop) {
    XSession& session = x11Session();
    const QString ready = session.path(title + ".ready");
    const QString script =
        QString("trap 'echo INT >> %1' INT; touch '%2'; %3").arg(signals, ready, loop);
    session.start("xterm", {"-title", title, "-geometry", "60x6+20+20", "-e", "sh", "-c", script});
    const QString window = session.waitForWindow(title);
    if (window.isEmpty() || !XSession::waitUntil([&] { return QFile::exists(ready); })) {
        return {};
    }
    return session.activate(window) ? window : QString();
}

struct TerminalFixture : ::testing::Test, RealCapture {
    void shortcut(quint16 keyCode) {
        ASSERT_TRUE(x11Keys.postKey(keyCode, KeyModifier::Control, true));
        ASSERT_TRUE(x11Keys.postKey(keyCode, KeyModifier::Control, false));
    }

    // Renames the window's WM_CLASS, as another program would have set it.
    void setWindowClass(const QString& window, const QString& windowClass) {
        QByteArray instance("probe");
        QByteArray name = windowClass.toLatin1();
        XClassHint hint{instance.data(), name.data()};
        XSetClassHint(connection->display(), window.toULong(), &hint);
        XSync(connection->display(), False);
    }

    // A loaded machine can move the focus away for a moment (a dialog of the bus, a late
    // map): the keys are only translated for the window that has it.
    bool refocus(const QString& window) {
        return x11Session().isActive(window) || x11Session().activate(window);
    }
};
}  // namespace

// Every terminal of the table, by its class in the case the terminal writes it: Select All is
// dropped, Copy and Paste go out as that terminal's keys, and no control character reaches it.
TEST_F(TerminalFixture, EveryTerminalGetsItsOwnKeysAndNoControlCharacter) {
    const QString window =
        startTestEditor(x11Session().path("table.txt"), "Table Terminal", 1, {"-name", "probe"});
    ASSERT_FALSE(window.isEmpty());
    ASSERT_TRUE(x11Session().activate(window));
    ASSERT_GE(terminalTable().size(), 40);
    // Every entry is tried; the failures are named together at the end.
    QStringList failed;
    for (const TerminalEntry& entry : terminalTable()) {
        SCOPED_TRACE(entry.windowClass.toStdString());
        QString mixedCase = entry.windowClass;
        mixedCase[0] = mixedCase[0].toUpper();
        setWindowClass(window, mixedCase);
        if (!refocus(window)) {
            failed << entry.windowClass + " (no focus)";
            continue;
        }
        RawKeyRecorder recorder;
        clipboard.clear();
        clipboard.setPlainText("to paste");

        shortcut(KeyCode::A);
        shortcut(KeyCode::C);
        QStringList expected = entry.keys.copy ? pressed(*entry.keys.copy) : QStringList();
        shortcut(KeyCode::V);
        expected += pressed(entry.keys.paste);
        const QStringList events = recorded(recorder, expected.size());
        if (events != expected) {
            failed << entry.windowClass + " (" + events.join(' ') + ")";
        }
        EXPECT_FALSE(isControlCharacter(entry.keys.paste));
        EXPECT_FALSE(entry.keys.copy && isControlCharacter(*entry.keys.copy));
        // The test editor is no terminal: it does not own PRIMARY, so Copy adds nothing.
        EXPECT_EQ(clipboard.plainText(), "to paste");
    }
    EXPECT_TRUE(failed.isEmpty()) << failed.join(", ").toStdString();

    // Any other application gets the plain edit shortcuts.
    setWindowClass(window, "Mousepad");
    ASSERT_TRUE(refocus(window));
    RawKeyRecorder recorder;
    shortcut(KeyCode::C);
    const QStringList expected{"+Control_L", "+c", "-Control_L", "-c"};
    EXPECT_EQ(recorded(recorder, expected.size()), expected);
}

// xterm with a program running: the selection is read from PRIMARY and the result pasted
// through it; the program gets no interrupt, and PRIMARY and the clipboard come back.
TEST_F(TerminalFixture, XtermReadsAndPastesThroughPrimaryWithoutInterruptingTheProgram) {
    XSession& session = x11Session();
    const QString lines = session.path("lines.txt");
    const QString signals = session.path("signals.txt");
    const QString window = startXterm(
        "Nivelo Terminal", signals,
        QString("while :; do IFS= read -r line && echo \"$line\" >> %1; done").arg(lines));
    ASSERT_FALSE(window.isEmpty());
    session.type("hello world\n");
    ASSERT_TRUE(XSession::waitUntil([&] { return readTextFile(lines) == "hello world\n"; }));
    // A triple click highlights the echoed line: xterm puts it into PRIMARY.
    session.xdotool({"mousemove", "--window", window, "30", "10", "click", "--repeat", "3",
                     "--delay", "60", "1"});
    ASSERT_TRUE(XSession::waitUntil([&] { return fetchPrimary().trimmed() == "hello world"; }));
    session.setClipboardText("the user's own");

    focus.rememberFrontmostApplication();
    const auto read = runNetworkTask(
        service.readSelectedTextTransient(false, false, PasteboardTiming::standard()));
    ASSERT_TRUE(read->done);
    EXPECT_EQ(read->value ? read->value->text.trimmed() : QString(), "hello world")
        << read->errorDescription().toStdString();

    const auto paste = runNetworkTask(
        service.pasteTransient("HELLO WORLD", std::nullopt, PasteboardTiming::standard()));
    ASSERT_TRUE(paste->done);
    EXPECT_EQ(paste->errorDescription(), "");
    session.key("Return");
    EXPECT_TRUE(XSession::waitUntil([&] {
        return readTextFile(lines) == "hello world\nHELLO WORLD\n";
    })) << readTextFile(lines).toStdString();

    EXPECT_FALSE(QFile::exists(signals)) << readTextFile(signals).toStdString();
    EXPECT_TRUE(
        XSession::waitUntil([&] { return fetchPrimary().trimmed() == "hello world"; }, 15000));
    EXPECT_EQ(QString::fromUtf8(x11Session().clipboardData()), "the user's own");
}

// With nothing highlighted in xterm the read fails with a status instead of interrupting.
TEST_F(TerminalFixture, XtermWithNothingHighlightedTheReadFailsAndTheProgramRunsOn) {
    XSession& session = x11Session();
    const QString signals = session.path("signals.txt");
    ASSERT_FALSE(startXterm("Idle Terminal", signals, "while :; do sleep 1; done").isEmpty());
    // PRIMARY belongs to another client.
    session.run("sh", {"-c", "printf elsewhere | xclip -selection primary -i"});

    focus.rememberFrontmostApplication();
    const auto read =
        runNetworkTask(service.readSelectedTextTransient(true, false, PasteboardTiming::fast()));
    ASSERT_TRUE(read->done);
    EXPECT_EQ(read->errorDescription(), "No selected text.");
    pause(300);
    EXPECT_FALSE(QFile::exists(signals)) << readTextFile(signals).toStdString();
}

// A paste through PRIMARY gives back what another program held there, also a selection too
// large to be read within a frame.
TEST_F(TerminalFixture, APasteGivesBackALargeSelectionOfAnotherOwner) {
    XSession& session = x11Session();
    const QString lines = session.path("pasted-lines.txt");
    const QString window = startXterm(
        "Paste Terminal", session.path("paste-signals.txt"),
        QString("while :; do IFS= read -r line && echo \"$line\" >> %1; done").arg(lines));
    ASSERT_FALSE(window.isEmpty());
    QByteArray selected;
    while (selected.size() < (4 << 20)) {
        selected += "a selection elsewhere, ";
    }
    const QString file = session.path("large-primary.txt");
    QFile out(file);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly) && out.write(selected) == selected.size());
    out.close();
    session.start("xclip", {"-selection", "primary", "-i", file});
    ASSERT_TRUE(XSession::waitUntil(
        [&] { return session.clipboardData("TARGETS", "primary").contains("UTF8_STRING"); }));
    ASSERT_TRUE(refocus(window));

    focus.rememberFrontmostApplication();
    const auto paste = runNetworkTask(
        service.pasteTransient("pasted line", std::nullopt, PasteboardTiming::standard()));
    ASSERT_TRUE(paste->done);
    EXPECT_EQ(paste->errorDescription(), "");
    session.key("Return");
    EXPECT_TRUE(XSession::waitUntil([&] { return readTextFile(lines) == "pasted line\n"; }))
        << readTextFile(lines).toStdString();
    EXPECT_TRUE(XSession::waitUntil(
        [&] { return session.clipboardData("UTF8_STRING", "primary") == selected; }, 15000));
}
