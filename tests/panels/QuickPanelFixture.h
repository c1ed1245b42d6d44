#pragma once

#include <QListWidget>
#include <QMenu>
#include <QToolButton>

#include "capture/PanelHandles.h"
#include "panels/LanguageMenu.h"
#include "panels/PanelStateFixture.h"
#include "panels/QuickActionPanel.h"
#include "panels/QuickPanelController.h"
#include "support/NamedPart.h"
#include "support/SimulatedEventMonitors.h"

// The quick-action panel over the simulated desktop, with the assistant and clipboard windows
// replaced by recorders that also note whether the panel was still shown.
class QuickPanelTest : public PanelStateTest {
protected:
    struct Recorder : AssistantPanelHandle, ClipboardPanelHandle {
        QuickPanelController* owner = nullptr;
        QStringList log;
        QString note(const QString& what) const {
            return what + (owner->isPanelVisible() ? "(panel shown)" : "");
        }
        void show(const QString& context) override { log << note("assistant:" + context); }
        void showReply(const QString&, const AIReplyStyle&, const QString&) override {}
        void show() override { log << note("clipboard"); }
        void toggle() override { log << note("clipboard.toggle"); }
    };

    SimulatedEventMonitors monitors;
    MemoryDefaults panelDefaults;
    Recorder recorder;
    QuickPanelController controller{
        &state,
        {&screens,
         &monitors,
         &panelDefaults,
         {&activation, &hints},
         [this] { capture.focus.rememberFrontmostApplication(); },
         [this] { return capture.pasteboard.peekSelectedTextViaAccessibility(); }}};

    void SetUp() override {
        PanelStateTest::SetUp();
        screens.pointerAt = QPoint(500, 400);
        recorder.owner = &controller;
        controller.setAssistantPanel(&recorder);
        controller.setClipboardPanel(&recorder);
    }

    QuickActionPanel* view() const { return controller.view(); }

    // Shows the panel in `mode` with only the translate row, Vietnamese its target, and opens
    // the row's language menu.
    LanguageMenu* openVietnameseMenu(AppearanceMode mode) {
        state.editSettings([&](NiveloSettings& s) {
            s.appearanceMode = mode;
            s.quickMenuActions = {"translate"};
            s.targetLanguage = "Vietnamese";
        });
        controller.show(state);
        VirtualClock::flushEvents();
        namedPart<QToolButton>(view()->row("translate"), "languageButton")->click();
        return namedPart<LanguageMenu>(view()->row("translate"), "languageMenu");
    }
};

// A language's row of an open language menu, on screen.
inline QRect languageRow(const QWidget* menu, const QString& language) {
    const auto* list = menu->findChild<QListWidget*>("languageList");
    const QList<QListWidgetItem*> found = list->findItems(language, Qt::MatchExactly);
    EXPECT_EQ(found.size(), 1) << language.toStdString();
    const QRect row = found.isEmpty() ? QRect() : list->visualItemRect(found.first());
    return {list->viewport()->mapToGlobal(row.topLeft()), row.size()};
}
