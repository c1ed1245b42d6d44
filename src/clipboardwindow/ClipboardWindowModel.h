#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <optional>

#include "clipboard/ClipboardHistoryItem.h"
#include "clipboard/ClipboardNoteTab.h"
#include "clipboardwindow/LocalizedSearch.h"
#include "core/UiLanguage.h"

class ClipboardHistoryService;
class ClipboardNotesService;
class Defaults;

// The clipboard window's view state and the operations on it: the shown tab, the search and
// its two-press bulk delete, the selections, the note editor, the tab-name field and the text
// size. It outlives hiding the window; only the text size is stored. Every change is published
// through changed(); the stores' own changes keep the selections valid.
class ClipboardWindowModel : public QObject {
    Q_OBJECT
public:
    static inline const QString kHistoryTabID = QStringLiteral("__clipboard__");
    static inline const QString kFontSizeKey = QStringLiteral("nivelo.clipboardPanel.fontSize");
    static constexpr double kMinFontSize = 12;
    static constexpr double kMaxFontSize = 28;
    static constexpr double kDefaultFontSize = 13;

    // defaults: where the text size is kept; null keeps it for this run only.
    ClipboardWindowModel(ClipboardHistoryService& history, ClipboardNotesService& notes,
                         Defaults* defaults, QObject* parent = nullptr);

    ClipboardHistoryService& history() const { return history_; }
    ClipboardNotesService& notes() const { return notes_; }

    UiLanguage language() const { return language_; }
    void setLanguage(UiLanguage language);

    const std::optional<QString>& selectedItemID() const { return selectedItemID_; }
    const QString& selectedTabID() const { return selectedTabID_; }
    const std::optional<QString>& selectedNoteID() const { return selectedNoteID_; }
    const QString& searchText() const { return searchText_; }
    bool confirmDeleteFound() const { return confirmDeleteFound_; }
    bool isEditingNote() const { return isEditingNote_; }
    const std::optional<QString>& editingNoteID() const { return editingNoteID_; }
    const QString& noteDraft() const { return noteDraft_; }
    const std::optional<QString>& renamingTabID() const { return renamingTabID_; }
    const QString& tabTitleDraft() const { return tabTitleDraft_; }
    double contentFontSize() const { return contentFontSize_; }
    bool isHistoryTab() const { return selectedTabID_ == kHistoryTabID; }

    // The search text trimmed of white space and line breaks.
    QString query() const;
    QList<ClipboardHistoryItem> filteredHistoryItems() const;
    QList<ClipboardNoteItem> filteredNotes() const;
    // The found list of the shown tab.
    int foundCount() const;
    // The selected entry of the whole history (not only the found part): the first entry when
    // the selected id names none.
    std::optional<ClipboardHistoryItem> selectedItem() const;
    // The selected note among all notes of the shown tab, else its first note.
    std::optional<ClipboardNoteItem> selectedNote() const;
    // The notes tab shown; none on the history tab.
    std::optional<ClipboardNoteTab> currentTab() const;

    // Selection by the rows (a click or the pointer entering them).
    void selectItem(const QString& id);
    void selectNote(const QString& id);

    // Tabs and toolbar.
    void selectTab(const QString& id);
    void addTabAndStartRename();
    void startNewNote();
    void startRenameTab();
    void setTabTitleDraft(const QString& text);
    void finishRenameTab();
    void deleteCurrentTab();

    // Header and search.
    void setContentFontSize(double size);
    void setSearchText(const QString& text);
    void pressDeleteFound();
    void deleteFiltered();
    void clearHistory();

    // Entries and notes.
    void deleteHistoryItem(const QString& id);
    void saveClipboardItemAsNote(const ClipboardHistoryItem& item);
    void startEditNote(const ClipboardNoteItem& note);
    void setNoteDraft(const QString& text);
    void cancelNoteEditing();
    void saveNoteDraft();
    void deleteNote(const ClipboardNoteItem& note);

    // The window came on screen.
    void appear();

Q_SIGNALS:
    void changed();
    // The note editor or the tab-name field should take the keyboard (the widget defers it to
    // the next turn, once the field exists).
    void noteEditorFocusRequested();
    void tabNameFocusRequested();
    // The note editor closed through cancelNoteEditing(): its focus goes.
    void noteEditorFocusReleased();

private:
    void historyChanged();
    void tabsChanged();
    // Closes the editor without the focus signal or a publication.
    void closeEditor();
    void selectFirstNoteOf(const QString& tabID);
    QString newTabTitle(bool numberAlways) const;
    static double storedFontSize(Defaults* defaults);

    ClipboardHistoryService& history_;
    ClipboardNotesService& notes_;
    Defaults* defaults_;
    UiLanguage language_ = UiLanguage::en;

    std::optional<QString> selectedItemID_;
    QString selectedTabID_ = kHistoryTabID;
    std::optional<QString> selectedNoteID_;
    QString searchText_;
    bool confirmDeleteFound_ = false;
    bool isEditingNote_ = false;
    std::optional<QString> editingNoteID_;
    QString noteDraft_;
    std::optional<QString> renamingTabID_;
    QString tabTitleDraft_;
    double contentFontSize_ = kDefaultFontSize;
    // The searches of each list, with the folded texts they keep.
    mutable LocalizedSearch historySearch_;
    mutable LocalizedSearch noteSearch_;
};
