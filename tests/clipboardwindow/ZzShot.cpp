#include <gtest/gtest.h>
#include <QApplication>
#include <QStyleFactory>
#include "clipboardwindow/ClipboardWindowFixture.h"
#include "clipboardwindow/ClipboardHistoryPanel.h"

namespace {
using Shot = ClipboardWindowTest;
TEST_F(Shot, Grab) {
    if (qEnvironmentVariableIsEmpty("CLIPWIN_SHOTS")) GTEST_SKIP();
    const bool dark = qEnvironmentVariable("CLIPWIN_SHOTS") == "dark";
    if (dark) {
        QPalette p;
        p.setColor(QPalette::Window, QColor(40, 40, 44));
        p.setColor(QPalette::WindowText, Qt::white);
        p.setColor(QPalette::Base, QColor(30, 30, 30));
        p.setColor(QPalette::Text, Qt::white);
        p.setColor(QPalette::Button, QColor(60, 60, 64));
        p.setColor(QPalette::ButtonText, Qt::white);
        p.setColor(QPalette::Highlight, QColor(10, 132, 255));
        QApplication::setPalette(p);
    }
    setHistory({"The quick brown fox jumps over the lazy dog. The quick brown fox jumps over the lazy dog again and again and again.",
                "Съешь же ещё этих мягких французских булок, да выпей чаю",
                "line 1\nline 2\nline 3\nline 4\nline 5\nline 6",
                "short", "<b>not bold</b> & plain"});
    const QString work = addTab("Work & play", {"note one", "second note with more text in it"});
    addTab("Notes", {});
    windowDefaults.setDouble(ClipboardPanelController::kWidthKey, 700);
    windowDefaults.setDouble(ClipboardPanelController::kHeightKey, 560);
    controller.attach(&state);
    controller.show();
    settle();
    const QString dir = "/tmp/clipwin-shots/";
    const QString suffix = dark ? "-dark.png" : "-light.png";
    controller.panel()->grab().save(dir + "history-wide" + suffix);
    controller.model()->setSearchText("the");
    controller.model()->pressDeleteFound();
    settle();
    controller.panel()->grab().save(dir + "history-search" + suffix);
    controller.model()->setSearchText("");
    controller.model()->selectTab(work);
    controller.model()->startEditNote(*controller.model()->selectedNote());
    settle();
    controller.panel()->grab().save(dir + "notes-edit" + suffix);
    controller.model()->cancelNoteEditing();
    controller.model()->startRenameTab();
    controller.panel()->resize(380, 520);
    settle();
    controller.panel()->grab().save(dir + "notes-narrow" + suffix);
    controller.model()->selectTab(ClipboardWindowModel::kHistoryTabID);
    settle();
    controller.panel()->grab().save(dir + "history-narrow" + suffix);
    setLanguage(UiLanguage::ru);
    controller.panel()->resize(640, 520);
    settle();
    controller.panel()->grab().save(dir + "history-ru" + suffix);
}
}
