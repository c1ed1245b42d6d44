#include "clipboardwindow/ClipboardWindowView.h"

#include <algorithm>
#include <cmath>

#include "base/Text.h"
#include "clipboard/ClipboardHistoryService.h"
#include "clipboard/ClipboardNotesService.h"
#include "clipboardwindow/ClipboardWindowModel.h"

namespace {

const QString kPaste = QStringLiteral("arrow.turn.down.left");
const QString kTrash = QStringLiteral("trash");

QString previewTitle(bool history, UiLanguage lang) {
    return history ? tr2(lang, QStringLiteral("Preview"), QStringLiteral("Просмотр"))
                   : tr2(lang, QStringLiteral("Note"), QStringLiteral("Заметка"));
}

}  // namespace

QString characterCountText(qint64 count, UiLanguage language) {
    return QString::number(count) +
           tr2(language, QStringLiteral(" chars"), QStringLiteral(" симв."));
}

ClipboardPreviewView historyPreviewView(const std::optional<ClipboardHistoryItem>& item,
                                        UiLanguage lang) {
    const bool has = item.has_value();
    ClipboardPreviewView view;
    view.title = previewTitle(true, lang);
    view.count = has ? characterCountText(item->chars, lang) : QString();
    view.text = has ? item->text
                    : tr2(lang, QStringLiteral("Select a clipboard item."),
                          QStringLiteral("Выберите элемент буфера."));
    view.isPlaceholder = !has;
    const QString paste = tr2(lang, QStringLiteral("Paste"), QStringLiteral("Вставить"));
    const QString toNote = tr2(lang, QStringLiteral("To note"), QStringLiteral("В заметку"));
    const QString remove = tr2(lang, QStringLiteral("Delete"), QStringLiteral("Удалить"));
    view.buttons = {{paste, kPaste, paste, has, false},
                    {toNote, QStringLiteral("plus.square.on.square"), toNote, has, false},
                    {remove, kTrash, remove, has, true}};
    return view;
}

ClipboardPreviewView notePreviewView(const std::optional<ClipboardNoteItem>& note,
                                     UiLanguage lang) {
    const bool has = note.has_value();
    ClipboardPreviewView view;
    view.title = previewTitle(false, lang);
    view.count = has ? characterCountText(text::graphemeCount(note->text), lang) : QString();
    view.text =
        has ? note->text
            : tr2(lang, QStringLiteral("Select a note."), QStringLiteral("Выберите заметку."));
    view.isPlaceholder = !has;
    const QString paste = tr2(lang, QStringLiteral("Paste"), QStringLiteral("Вставить"));
    const QString copy = tr2(lang, QStringLiteral("Copy"), QStringLiteral("Скопировать"));
    const QString edit = tr2(lang, QStringLiteral("Edit"), QStringLiteral("Править"));
    const QString remove = tr2(lang, QStringLiteral("Delete"), QStringLiteral("Удалить"));
    // The delete button shows its symbol alone; its name is still there for assistive tools.
    view.buttons = {{paste, kPaste, paste, has, false},
                    {copy, QStringLiteral("doc.on.doc"), copy, has, false},
                    {edit, QStringLiteral("pencil"), edit, has, false},
                    {QString(), kTrash, remove, has, true}};
    return view;
}

ClipboardRowView historyRowView(const ClipboardHistoryItem& item, UiLanguage lang) {
    // Icon-only buttons without tooltips; their names serve assistive tools.
    return {item.id,
            item.text.left(ClipboardWindowLayout::kRowTextLimit),
            characterCountText(item.chars, lang),
            {{tr2(lang, QStringLiteral("Paste"), QStringLiteral("Вставить")), kPaste, QString(),
              true, false},
             {tr2(lang, QStringLiteral("Delete"), QStringLiteral("Удалить")), kTrash, QString(),
              true, false}}};
}

ClipboardRowView noteRowView(const ClipboardNoteItem& note, UiLanguage lang) {
    const QString paste = tr2(lang, QStringLiteral("Paste"), QStringLiteral("Вставить"));
    const QString copy = tr2(lang, QStringLiteral("Copy"), QStringLiteral("Скопировать"));
    const QString edit = tr2(lang, QStringLiteral("Edit"), QStringLiteral("Редактировать"));
    const QString remove = tr2(lang, QStringLiteral("Delete"), QStringLiteral("Удалить"));
    return {note.id,
            note.text.left(ClipboardWindowLayout::kRowTextLimit),
            characterCountText(text::graphemeCount(note.text), lang),
            {{paste, kPaste, paste, true, false},
             {copy, QStringLiteral("doc.on.doc"), copy, true, false},
             {edit, QStringLiteral("pencil"), edit, true, false},
             {remove, kTrash, remove, true, true}}};
}

ClipboardWindowView clipboardWindowView(const ClipboardWindowModel& model, int availableWidth) {
    using namespace ClipboardWindowLayout;
    const UiLanguage lang = model.language();
    const bool historyTab = model.isHistoryTab();
    const bool historyEmpty = model.history().items().isEmpty();
    ClipboardWindowView view;

    view.title = tr2(lang, QStringLiteral("Clipboard"), QStringLiteral("Буфер"));
    view.fontHelp = tr2(lang, QStringLiteral("Text size"), QStringLiteral("Размер текста"));
    view.decreaseHelp =
        tr2(lang, QStringLiteral("Decrease text"), QStringLiteral("Уменьшить текст"));
    view.increaseHelp =
        tr2(lang, QStringLiteral("Increase text"), QStringLiteral("Увеличить текст"));
    const double size = model.contentFontSize();
    view.decreaseEnabled = size > ClipboardWindowModel::kMinFontSize;
    view.increaseEnabled = size < ClipboardWindowModel::kMaxFontSize;
    view.sampleLetterPixelSize = int(std::lround(std::min(std::max(size, 12.0), 20.0)));
    view.clearHistoryShown = historyTab;
    view.clearHistoryEnabled = !historyEmpty;
    view.clearHistoryHelp = tr2(lang, QStringLiteral("Clear clipboard history"),
                                QStringLiteral("Очистить историю буфера"));

    view.tabs.append(
        {ClipboardWindowModel::kHistoryTabID, view.title, QStringLiteral("clipboard"), historyTab});
    for (const ClipboardNoteTab& tab : model.notes().tabs()) {
        view.tabs.append(
            {tab.id, tab.title, QStringLiteral("note.text"), tab.id == model.selectedTabID()});
    }
    view.addTabHelp = tr2(lang, QStringLiteral("Add tab"), QStringLiteral("Добавить вкладку"));
    view.addNote = tr2(lang, QStringLiteral("Add note"), QStringLiteral("Добавить заметку"));
    view.noteToolbarShown = !historyTab;
    const std::optional<ClipboardNoteTab> current = model.currentTab();
    view.currentTabShown = current.has_value();
    if (current) {
        view.currentTabTitle = current->title;
        view.renaming = model.renamingTabID() == current->id;
    }
    view.tabNamePlaceholder =
        tr2(lang, QStringLiteral("Tab name"), QStringLiteral("Название вкладки"));
    view.saveNameHelp =
        tr2(lang, QStringLiteral("Save name"), QStringLiteral("Сохранить название"));
    view.renameHelp =
        tr2(lang, QStringLiteral("Rename tab"), QStringLiteral("Переименовать вкладку"));
    view.deleteTabHelp = tr2(lang, QStringLiteral("Delete tab"), QStringLiteral("Удалить вкладку"));

    view.searchPlaceholder = tr2(lang, QStringLiteral("Search"), QStringLiteral("Поиск"));
    const int found = model.foundCount();
    const bool typed = !model.searchText().isEmpty();
    view.bulkDeleteShown = typed && found > 0;
    if (model.confirmDeleteFound()) {
        view.bulkDeleteLabel = tr2(lang, QStringLiteral("Delete "), QStringLiteral("Удалить ")) +
                               QString::number(found);
        view.bulkDeleteHelp = tr2(lang, QStringLiteral("Tap again to delete all found"),
                                  QStringLiteral("Нажми ещё раз — удалить всё найденное"));
    } else {
        view.bulkDeleteHelp =
            tr2(lang, QStringLiteral("Delete all found"), QStringLiteral("Удалить всё найденное"));
    }
    view.clearSearchShown = typed;
    view.clearSearchHelp =
        tr2(lang, QStringLiteral("Clear search"), QStringLiteral("Очистить поиск"));

    view.tabsName = tr2(lang, QStringLiteral("Tabs"), QStringLiteral("Вкладки"));
    view.entriesName = tr2(lang, QStringLiteral("Entries"), QStringLiteral("Записи"));
    view.noteEditorName =
        tr2(lang, QStringLiteral("Note editor"), QStringLiteral("Редактор заметки"));
    view.previewName = previewTitle(historyTab, lang);

    const QString nothingFound =
        tr2(lang, QStringLiteral("Nothing found."), QStringLiteral("Ничего не найдено."));
    if (found == 0) {
        if (historyTab) {
            view.emptyText = historyEmpty ? tr2(lang, QStringLiteral("Clipboard history is empty."),
                                                QStringLiteral("История буфера пуста."))
                                          : nothingFound;
        } else {
            view.emptyText = current && !current->notes.isEmpty()
                                 ? nothingFound
                                 : tr2(lang, QStringLiteral("No notes yet."),
                                       QStringLiteral("Заметок пока нет."));
        }
    } else {
        view.sidePreviewShown = availableWidth >= kSidePreviewThreshold;
        if (view.sidePreviewShown) {
            view.listWidth = std::max(int(0.45 * availableWidth), kMinimumListWidth);
            view.preview = historyTab ? historyPreviewView(model.selectedItem(), lang)
                                      : notePreviewView(model.selectedNote(), lang);
        }
    }
    if (!historyTab && model.isEditingNote()) {
        view.noteEditor = ClipboardNoteEditorView{
            model.editingNoteID()
                ? tr2(lang, QStringLiteral("Edit note"), QStringLiteral("Правка заметки"))
                : tr2(lang, QStringLiteral("New note"), QStringLiteral("Новая заметка")),
            tr2(lang, QStringLiteral("Cancel"), QStringLiteral("Отмена")),
            tr2(lang, QStringLiteral("Save"), QStringLiteral("Сохранить")),
            !text::trimmed(model.noteDraft()).isEmpty()};
    }
    return view;
}
