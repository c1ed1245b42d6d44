#include "clipboardwindow/ClipboardWindowModel.h"

#include <QStringList>
#include <algorithm>
#include <cmath>

#include "base/Text.h"
#include "clipboard/ClipboardHistoryService.h"
#include "clipboard/ClipboardNotesService.h"
#include "platform/Defaults.h"

ClipboardWindowModel::ClipboardWindowModel(ClipboardHistoryService& history,
                                           ClipboardNotesService& notes, Defaults* defaults,
                                           QObject* parent)
    : QObject(parent),
      history_(history),
      notes_(notes),
      defaults_(defaults),
      contentFontSize_(storedFontSize(defaults)) {
    connect(&history_, &ClipboardHistoryService::itemsChanged, this,
            &ClipboardWindowModel::historyChanged);
    connect(&notes_, &ClipboardNotesService::tabsChanged, this, &ClipboardWindowModel::tabsChanged);
}

double ClipboardWindowModel::storedFontSize(Defaults* defaults) {
    if (!defaults) {
        return kDefaultFontSize;
    }
    const double stored = defaults->doubleValue(kFontSizeKey);
    return std::isfinite(stored) && stored >= kMinFontSize && stored <= kMaxFontSize
               ? stored
               : kDefaultFontSize;
}

void ClipboardWindowModel::setLanguage(UiLanguage language) {
    if (language_ != language) {
        language_ = language;
        Q_EMIT changed();
    }
}

QString ClipboardWindowModel::query() const {
    return text::trimmed(searchText_);
}

QList<ClipboardHistoryItem> ClipboardWindowModel::filteredHistoryItems() const {
    const QString q = query();
    if (q.isEmpty()) {
        return history_.items();
    }
    historySearch_.beginPass(history_.items().size());
    historySearch_.setQuery(q);
    QList<ClipboardHistoryItem> found;
    for (const ClipboardHistoryItem& item : history_.items()) {
        if (historySearch_.finds(item.text)) {
            found.append(item);
        }
    }
    return found;
}

QList<ClipboardNoteItem> ClipboardWindowModel::filteredNotes() const {
    const std::optional<ClipboardNoteTab> tab = currentTab();
    if (!tab) {
        return {};
    }
    const QString q = query();
    if (q.isEmpty()) {
        return tab->notes;
    }
    noteSearch_.beginPass(tab->notes.size());
    noteSearch_.setQuery(q);
    QList<ClipboardNoteItem> found;
    for (const ClipboardNoteItem& note : tab->notes) {
        if (noteSearch_.finds(note.text)) {
            found.append(note);
        }
    }
    return found;
}

int ClipboardWindowModel::foundCount() const {
    return int(isHistoryTab() ? filteredHistoryItems().size() : filteredNotes().size());
}

std::optional<ClipboardNoteTab> ClipboardWindowModel::currentTab() const {
    if (isHistoryTab()) {
        return std::nullopt;
    }
    return notes_.tab(selectedTabID_);
}

std::optional<ClipboardHistoryItem> ClipboardWindowModel::selectedItem() const {
    const QList<ClipboardHistoryItem>& items = history_.items();
    if (items.isEmpty()) {
        return std::nullopt;
    }
    if (selectedItemID_) {
        for (const ClipboardHistoryItem& item : items) {
            if (item.id == *selectedItemID_) {
                return item;
            }
        }
    }
    return items.first();
}

std::optional<ClipboardNoteItem> ClipboardWindowModel::selectedNote() const {
    const std::optional<ClipboardNoteTab> tab = currentTab();
    if (!tab || tab->notes.isEmpty()) {
        return std::nullopt;
    }
    if (selectedNoteID_) {
        for (const ClipboardNoteItem& note : tab->notes) {
            if (note.id == *selectedNoteID_) {
                return note;
            }
        }
    }
    return tab->notes.first();
}

void ClipboardWindowModel::selectItem(const QString& id) {
    if (selectedItemID_ != id) {
        selectedItemID_ = id;
        Q_EMIT changed();
    }
}

void ClipboardWindowModel::selectNote(const QString& id) {
    if (selectedNoteID_ != id) {
        selectedNoteID_ = id;
        Q_EMIT changed();
    }
}

void ClipboardWindowModel::closeEditor() {
    isEditingNote_ = false;
    editingNoteID_.reset();
    noteDraft_.clear();
}

void ClipboardWindowModel::selectFirstNoteOf(const QString& tabID) {
    const std::optional<ClipboardNoteTab> tab = notes_.tab(tabID);
    selectedNoteID_.reset();
    if (tab && !tab->notes.isEmpty()) {
        selectedNoteID_ = tab->notes.first().id;
    }
}

// Tabs

QString ClipboardWindowModel::newTabTitle(bool numberAlways) const {
    const QString base = tr2(language_, QStringLiteral("Notes"), QStringLiteral("Заметки"));
    const QList<ClipboardNoteTab>& tabs = notes_.tabs();
    const bool baseTaken = std::any_of(tabs.begin(), tabs.end(),
                                       [&](const ClipboardNoteTab& t) { return t.title == base; });
    const bool numbered = numberAlways ? !tabs.isEmpty() : baseTaken;
    return numbered ? base + QLatin1Char(' ') + QString::number(tabs.size() + 1) : base;
}

void ClipboardWindowModel::selectTab(const QString& id) {
    selectedTabID_ = id;
    closeEditor();
    selectFirstNoteOf(id);
    Q_EMIT changed();
}

void ClipboardWindowModel::addTabAndStartRename() {
    const ClipboardNoteTab tab = notes_.addTab(newTabTitle(false));
    selectedTabID_ = tab.id;
    selectedNoteID_.reset();
    renamingTabID_ = tab.id;
    tabTitleDraft_ = tab.title;
    closeEditor();
    Q_EMIT changed();
    Q_EMIT tabNameFocusRequested();
}

void ClipboardWindowModel::startNewNote() {
    if (isHistoryTab()) {
        selectedTabID_ = notes_.addTab(newTabTitle(true)).id;
    }
    editingNoteID_.reset();
    noteDraft_.clear();
    isEditingNote_ = true;
    Q_EMIT changed();
    Q_EMIT noteEditorFocusRequested();
}

void ClipboardWindowModel::startRenameTab() {
    const std::optional<ClipboardNoteTab> tab = currentTab();
    if (!tab) {
        return;
    }
    renamingTabID_ = tab->id;
    tabTitleDraft_ = tab->title;
    Q_EMIT changed();
    Q_EMIT tabNameFocusRequested();
}

void ClipboardWindowModel::setTabTitleDraft(const QString& text) {
    tabTitleDraft_ = text;
}

void ClipboardWindowModel::finishRenameTab() {
    if (!renamingTabID_) {
        return;
    }
    const QString id = *renamingTabID_;
    const QString title = tabTitleDraft_;
    renamingTabID_.reset();
    tabTitleDraft_.clear();
    notes_.renameTab(id, title);
    Q_EMIT changed();
}

void ClipboardWindowModel::deleteCurrentTab() {
    if (isHistoryTab()) {
        return;
    }
    notes_.deleteTab(selectedTabID_);
    const QList<ClipboardNoteTab>& tabs = notes_.tabs();
    selectedTabID_ = tabs.isEmpty() ? kHistoryTabID : tabs.first().id;
    selectFirstNoteOf(selectedTabID_);
    closeEditor();
    Q_EMIT changed();
}

// Header and search

void ClipboardWindowModel::setContentFontSize(double size) {
    const double clamped = std::clamp(size, kMinFontSize, kMaxFontSize);
    if (clamped == contentFontSize_) {
        return;
    }
    contentFontSize_ = clamped;
    if (defaults_) {
        defaults_->setDouble(kFontSizeKey, clamped);
    }
    Q_EMIT changed();
}

void ClipboardWindowModel::setSearchText(const QString& text) {
    if (text == searchText_ && !confirmDeleteFound_) {
        return;
    }
    searchText_ = text;
    confirmDeleteFound_ = false;
    Q_EMIT changed();
}

void ClipboardWindowModel::pressDeleteFound() {
    if (confirmDeleteFound_) {
        deleteFiltered();
    } else {
        confirmDeleteFound_ = true;
        Q_EMIT changed();
    }
}

void ClipboardWindowModel::deleteFiltered() {
    if (isHistoryTab()) {
        QStringList ids;
        for (const ClipboardHistoryItem& item : filteredHistoryItems()) {
            ids.append(item.id);
        }
        QList<ClipboardHistoryItem> kept = history_.items();
        kept.removeIf([&](const ClipboardHistoryItem& item) { return ids.contains(item.id); });
        history_.setItems(std::move(kept));
        history_.save();
    } else {
        QStringList ids;
        for (const ClipboardNoteItem& note : filteredNotes()) {
            ids.append(note.id);
        }
        const bool editedGoes = editingNoteID_ && ids.contains(*editingNoteID_);
        notes_.deleteNotes(selectedTabID_, ids);
        if (editedGoes) {
            // Saving the draft afterwards would close the editor as if saved, storing nothing.
            closeEditor();
            Q_EMIT noteEditorFocusReleased();
        }
    }
    searchText_.clear();
    confirmDeleteFound_ = false;
    Q_EMIT changed();
}

void ClipboardWindowModel::clearHistory() {
    history_.setItems({});
    history_.save();
}

// Entries and notes

void ClipboardWindowModel::deleteHistoryItem(const QString& id) {
    QList<ClipboardHistoryItem> kept = history_.items();
    kept.removeIf([&](const ClipboardHistoryItem& item) { return item.id == id; });
    history_.setItems(std::move(kept));
    history_.save();
}

void ClipboardWindowModel::saveClipboardItemAsNote(const ClipboardHistoryItem& item) {
    QString tabID;
    if (notes_.tabs().isEmpty()) {
        tabID =
            notes_.addTab(tr2(language_, QStringLiteral("Notes"), QStringLiteral("Заметки"))).id;
    } else {
        tabID = notes_.tabs().first().id;
    }
    const std::optional<ClipboardNoteItem> note = notes_.addNote(tabID, item.text);
    if (!note) {
        return;
    }
    selectedTabID_ = tabID;
    selectedNoteID_ = note->id;
    closeEditor();
    Q_EMIT changed();
}

void ClipboardWindowModel::startEditNote(const ClipboardNoteItem& note) {
    selectedNoteID_ = note.id;
    editingNoteID_ = note.id;
    noteDraft_ = note.text;
    isEditingNote_ = true;
    Q_EMIT changed();
    Q_EMIT noteEditorFocusRequested();
}

void ClipboardWindowModel::setNoteDraft(const QString& text) {
    const bool wasBlank = text::trimmed(noteDraft_).isEmpty();
    noteDraft_ = text;
    // Only the Save button's state depends on the draft.
    if (wasBlank != text::trimmed(noteDraft_).isEmpty()) {
        Q_EMIT changed();
    }
}

void ClipboardWindowModel::cancelNoteEditing() {
    closeEditor();
    Q_EMIT changed();
    Q_EMIT noteEditorFocusReleased();
}

void ClipboardWindowModel::saveNoteDraft() {
    if (isHistoryTab()) {
        return;
    }
    const QString text = text::trimmed(noteDraft_);
    if (text.isEmpty()) {
        return;
    }
    if (editingNoteID_) {
        notes_.updateNote(selectedTabID_, *editingNoteID_, text);
        selectedNoteID_ = editingNoteID_;
    } else if (const std::optional<ClipboardNoteItem> note = notes_.addNote(selectedTabID_, text)) {
        selectedNoteID_ = note->id;
    }
    cancelNoteEditing();
}

void ClipboardWindowModel::deleteNote(const ClipboardNoteItem& note) {
    if (isHistoryTab()) {
        return;
    }
    notes_.deleteNote(selectedTabID_, note.id);
    if (selectedNoteID_ == note.id) {
        selectFirstNoteOf(selectedTabID_);
    }
    if (editingNoteID_ == note.id) {
        cancelNoteEditing();
        return;
    }
    Q_EMIT changed();
}

// Selection upkeep

void ClipboardWindowModel::appear() {
    const QList<ClipboardHistoryItem>& items = history_.items();
    if (!selectedItemID_ && !items.isEmpty()) {
        selectedItemID_ = items.first().id;
    }
    if (!isHistoryTab() && !notes_.tab(selectedTabID_)) {
        const QList<ClipboardNoteTab>& tabs = notes_.tabs();
        selectedTabID_ = tabs.isEmpty() ? kHistoryTabID : tabs.first().id;
    }
    Q_EMIT changed();
    if (isEditingNote_) {
        // An editor left open takes the typing again once the window is used.
        Q_EMIT noteEditorFocusRequested();
    }
}

void ClipboardWindowModel::historyChanged() {
    const QList<ClipboardHistoryItem>& items = history_.items();
    if (items.isEmpty()) {
        selectedItemID_.reset();
    } else if (!selectedItemID_ ||
               std::none_of(items.begin(), items.end(), [&](const ClipboardHistoryItem& item) {
                   return item.id == *selectedItemID_;
               })) {
        selectedItemID_ = items.first().id;
    }
    Q_EMIT changed();
}

void ClipboardWindowModel::tabsChanged() {
    if (!isHistoryTab() && !notes_.tab(selectedTabID_)) {
        const QList<ClipboardNoteTab>& tabs = notes_.tabs();
        selectedTabID_ = tabs.isEmpty() ? kHistoryTabID : tabs.first().id;
        selectFirstNoteOf(selectedTabID_);
    } else if (const std::optional<ClipboardNoteTab> tab = currentTab()) {
        if (tab->notes.isEmpty()) {
            selectedNoteID_.reset();
        } else if (!selectedNoteID_ || std::none_of(tab->notes.begin(), tab->notes.end(),
                                                    [&](const ClipboardNoteItem& n) {
                                                        return n.id == *selectedNoteID_;
                                                    })) {
            selectedNoteID_ = tab->notes.first().id;
        }
    }
    Q_EMIT changed();
}
