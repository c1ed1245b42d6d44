#pragma once

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTemporaryDir>

#include "clipboard/ClipboardNotesService.h"
#include "clipboardwindow/ClipboardHistoryPanel.h"
#include "clipboardwindow/ClipboardPanelController.h"
#include "clipboardwindow/ClipboardWindowModel.h"
#include "clipboardwindow/ClipboardWindowView.h"
#include "panels/PanelStateFixture.h"
#include "support/NamedPart.h"
#include "support/SimulatedEventMonitors.h"

// The clipboard window over the simulated desktop: the history of the capture services, notes
// in a temporary folder, and the window's own defaults in memory.
class ClipboardWindowTest : public PanelStateTest {
protected:
    QTemporaryDir home;
    MemoryDefaults windowDefaults;
    ClipboardNotesService notes{windowDefaults, desktop.clock, home.filePath("notes")};
    SimulatedEventMonitors monitors;
    ClipboardPanelController controller{{desktop.clock,
                                         capture.focus,
                                         desktop.workspace,
                                         capture.pasteboard,
                                         desktop.pasteboard,
                                         capture.history,
                                         notes,
                                         &screens,
                                         &monitors,
                                         &windowDefaults,
                                         {&activation, &hints}}};

    void SetUp() override {
        PanelStateTest::SetUp();
        screens.pointerAt = QPoint(500, 400);
    }

    // Newest first, ids "h1", "h2", ...
    void setHistory(const QStringList& texts) {
        QList<ClipboardHistoryItem> items;
        for (int i = 0; i < texts.size(); ++i) {
            items.append(
                {QStringLiteral("h%1").arg(i + 1), texts[i], QDateTime(), qint64(texts[i].size())});
        }
        capture.history.setItems(items);
    }
    QStringList historyTexts() const {
        QStringList out;
        for (const auto& item : capture.history.items()) {
            out.append(item.text);
        }
        return out;
    }
    // A tab with its notes, the first given standing first.
    QString addTab(const QString& title, const QStringList& texts) {
        const QString id = notes.addTab(title).id;
        for (auto it = texts.rbegin(); it != texts.rend(); ++it) {
            notes.addNote(id, *it);
        }
        return id;
    }
    QStringList noteTexts(const QString& tabID) const {
        QStringList out;
        if (const auto tab = notes.tab(tabID)) {
            for (const auto& note : tab->notes) {
                out.append(note.text);
            }
        }
        return out;
    }
    void setLanguage(UiLanguage lang) {
        state.editSettings([&](NiveloSettings& s) { s.uiLanguage = lang; });
        QCoreApplication::processEvents();
    }
    // A part of the panel by its object name; fails the test where there is none.
    template <class T>
    static T* part(const QWidget* panel, const char* name) {
        return namedPart<T>(panel, name);
    }
    // Lets queued deliveries and deferred focus requests run.
    static void settle() {
        for (int i = 0; i < 3; ++i) {
            QCoreApplication::processEvents();
        }
    }
};
