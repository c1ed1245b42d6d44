#pragma once

#include <QList>
#include <QString>
#include <optional>

#include "clipboard/ClipboardHistoryItem.h"
#include "clipboard/ClipboardNoteItem.h"
#include "core/UiLanguage.h"

class ClipboardWindowModel;

// What the clipboard window shows for its model at a content width, in the interface
// language; the widgets render it and tests compare it.

struct ClipboardTabView {
    QString id;
    QString title;
    QString symbol;
    bool selected = false;
    bool operator==(const ClipboardTabView&) const = default;
};

struct ClipboardButtonView {
    QString label;
    QString symbol;
    QString help;
    bool enabled = true;
    bool destructive = false;
    bool operator==(const ClipboardButtonView&) const = default;
};

struct ClipboardPreviewView {
    QString title;
    // Empty without an entry.
    QString count;
    // The entry's text, or the placeholder.
    QString text;
    bool isPlaceholder = false;
    QList<ClipboardButtonView> buttons;
    bool operator==(const ClipboardPreviewView&) const = default;
};

struct ClipboardNoteEditorView {
    QString title;
    QString cancel;
    QString save;
    bool saveEnabled = false;
    bool operator==(const ClipboardNoteEditorView&) const = default;
};

struct ClipboardWindowView {
    // Header.
    QString title;
    QString fontHelp;
    QString decreaseHelp;
    QString increaseHelp;
    bool decreaseEnabled = true;
    bool increaseEnabled = true;
    // The sample letter's size.
    int sampleLetterPixelSize = 13;
    bool clearHistoryShown = false;
    bool clearHistoryEnabled = false;
    QString clearHistoryHelp;

    // Tab strip and toolbar.
    QList<ClipboardTabView> tabs;
    QString addTabHelp;
    QString addNote;
    // The note toolbar (a notes tab is shown); else the lone add-note button.
    bool noteToolbarShown = false;
    // The shown notes tab exists: its title and controls stand in the toolbar.
    bool currentTabShown = false;
    QString currentTabTitle;
    bool renaming = false;
    QString tabNamePlaceholder;
    QString saveNameHelp;
    QString renameHelp;
    QString deleteTabHelp;

    // Search.
    QString searchPlaceholder;
    bool bulkDeleteShown = false;
    // Empty while the first press is awaited (the trash symbol alone).
    QString bulkDeleteLabel;
    QString bulkDeleteHelp;
    bool clearSearchShown = false;
    QString clearSearchHelp;

    // Content.
    // Set when the found list is empty: the text shown instead of list and preview.
    std::optional<QString> emptyText;
    bool sidePreviewShown = false;
    // The list's width beside the preview; 0 without one (the list takes the whole width).
    int listWidth = 0;
    std::optional<ClipboardNoteEditorView> noteEditor;
    std::optional<ClipboardPreviewView> preview;

    // Names for assistive tools of the regions, kept while a region is hidden.
    QString tabsName;
    QString entriesName;
    QString noteEditorName;
    QString previewName;

    bool operator==(const ClipboardWindowView&) const = default;
};

// One list row: the start of the text (a row lays out no more), the count caption, and the
// help texts of its buttons (empty: no tooltip).
struct ClipboardRowView {
    QString id;
    QString text;
    QString caption;
    QList<ClipboardButtonView> buttons;
    bool operator==(const ClipboardRowView&) const = default;
};

namespace ClipboardWindowLayout {
constexpr int kSidePreviewThreshold = 560;
constexpr int kMinimumListWidth = 240;
// A row lays out at most this many characters of its entry.
constexpr int kRowTextLimit = 2000;
constexpr int kRowMaximumLines = 4;
}  // namespace ClipboardWindowLayout

// availableWidth: the content area's width (the window's width inside its padding).
ClipboardWindowView clipboardWindowView(const ClipboardWindowModel& model, int availableWidth);
ClipboardPreviewView historyPreviewView(const std::optional<ClipboardHistoryItem>& item,
                                        UiLanguage language);
ClipboardPreviewView notePreviewView(const std::optional<ClipboardNoteItem>& note,
                                     UiLanguage language);
ClipboardRowView historyRowView(const ClipboardHistoryItem& item, UiLanguage language);
ClipboardRowView noteRowView(const ClipboardNoteItem& note, UiLanguage language);
// "1234 chars" / "1234 симв.", without digit grouping.
QString characterCountText(qint64 count, UiLanguage language);
