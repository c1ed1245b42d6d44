#include "clipboardwindow/ClipboardHistoryPanel.h"

#include <QAbstractButton>
#include <QEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPainterPath>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWheelEvent>

#include "clipboard/ClipboardHistoryService.h"
#include "clipboardwindow/ClipboardEntryList.h"
#include "clipboardwindow/ClipboardNoteEditor.h"
#include "clipboardwindow/ClipboardPanelController.h"
#include "clipboardwindow/ClipboardPanelHeader.h"
#include "clipboardwindow/ClipboardSearchBar.h"
#include "clipboardwindow/ClipboardSidePreview.h"
#include "clipboardwindow/ClipboardTabStrip.h"
#include "clipboardwindow/ClipboardWindowModel.h"
#include "theme/CloseButton.h"
#include "theme/FloatingSurface.h"
#include "theme/NiveloTheme.h"
#include "theme/PanelWindow.h"
#include "theme/SharedPartNames.h"

namespace {

QColor primaryOf(const QWidget* widget) {
    return widget->palette().color(QPalette::WindowText);
}

}  // namespace

ClipboardHistoryPanel::ClipboardHistoryPanel(ClipboardPanelController& controller,
                                             ClipboardWindowModel& model, QWidget* parent)
    : QWidget(parent), controller_(controller), model_(model) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(kPadding, kPadding, kPadding, kPadding);
    layout->setSpacing(12);
    header_ = new ClipboardPanelHeader(model_, icons_, this);
    layout->addWidget(header_);
    tabStrip_ = new ClipboardTabStrip(model_, icons_, this);
    layout->addWidget(tabStrip_);
    searchBar_ = new ClipboardSearchBar(model_, icons_, this);
    layout->addWidget(searchBar_);
    layout->addWidget(buildContent(), 1);

    addPanelCloseButton(this, [this] { controller_.hide(); });

    connect(&model_, &ClipboardWindowModel::changed, this, &ClipboardHistoryPanel::refresh);
    connect(&model_, &ClipboardWindowModel::noteEditorFocusRequested, this, [this] {
        // After the editor is on screen.
        QTimer::singleShot(0, this, [this] {
            if (editor_->isVisible()) {
                editor_->textArea()->setFocus(Qt::OtherFocusReason);
            }
        });
    });
    connect(&model_, &ClipboardWindowModel::tabNameFocusRequested, this,
            [this] { QTimer::singleShot(0, this, [this] { tabStrip_->focusNameField(); }); });
    connect(&model_, &ClipboardWindowModel::noteEditorFocusReleased, this, [this] {
        if (editor_->textArea()->hasFocus()) {
            editor_->textArea()->clearFocus();
        }
    });
    connect(&controller_, &ClipboardPanelController::appearanceChanged, this,
            &ClipboardHistoryPanel::applySurface);
    applySurface();
    refresh();
}

QWidget* ClipboardHistoryPanel::buildContent() {
    auto* content = new QWidget(this);
    auto* column = new QVBoxLayout(content);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(10);
    editor_ = new ClipboardNoteEditor(content);
    editor_->setObjectName(QStringLiteral("noteEditor"));
    connect(editor_, &ClipboardNoteEditor::draftEdited, this,
            [this](const QString& text) { model_.setNoteDraft(text); });
    connect(editor_, &ClipboardNoteEditor::saveRequested, this, [this] { model_.saveNoteDraft(); });
    connect(editor_, &ClipboardNoteEditor::cancelRequested, this,
            [this] { model_.cancelNoteEditing(); });
    column->addWidget(editor_);
    empty_ = new QLabel(content);
    empty_->setObjectName(QStringLiteral("emptyText"));
    empty_->setTextFormat(Qt::PlainText);
    empty_->setAlignment(Qt::AlignCenter);
    empty_->setWordWrap(true);
    column->addWidget(empty_, 1);
    body_ = new QWidget(content);
    auto* row = new QHBoxLayout(body_);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(10);
    list_ = new ClipboardEntryList(body_);
    list_->setObjectName(QStringLiteral("entryList"));
    connect(list_, &ClipboardEntryList::rowSelected, this, [this](const QString& id) {
        if (model_.isHistoryTab()) {
            model_.selectItem(id);
        } else {
            model_.selectNote(id);
        }
    });
    connect(list_, &ClipboardEntryList::rowActivated, this, &ClipboardHistoryPanel::paste);
    connect(list_, &ClipboardEntryList::rowButtonClicked, this, &ClipboardHistoryPanel::rowButton);
    row->addWidget(list_, 1);
    preview_ = new ClipboardSidePreview(body_);
    preview_->setObjectName(QStringLiteral("sidePreview"));
    connect(preview_, &ClipboardSidePreview::buttonClicked, this,
            &ClipboardHistoryPanel::previewButton);
    row->addWidget(preview_, 1);
    column->addWidget(body_, 1);
    return content;
}

int ClipboardHistoryPanel::availableWidth() const {
    return width() - 2 * kPadding;
}

void ClipboardHistoryPanel::applySurface() {
    if (auto* panel = qobject_cast<PanelWindow*>(window())) {
        panel->setSurfaceRecipe(floatingSurfaceRecipe(controller_.appearanceMode(),
                                                      controller_.surfaceMode(), kCornerRadius,
                                                      NiveloTheme::environmentScheme()));
    }
    // The surface sets the palette; icons follow it on the next refresh.
    QTimer::singleShot(0, this, [this] {
        tabStrip_->redrawTabs();
        refresh();
    });
}

void ClipboardHistoryPanel::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange && !refreshing_) {
        tabStrip_->redrawTabs();
        QTimer::singleShot(0, this, [this] { refresh(); });
    }
}

void ClipboardHistoryPanel::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    const ClipboardWindowView next = clipboardWindowView(model_, availableWidth());
    if (next.sidePreviewShown != view_.sidePreviewShown || next.listWidth != view_.listWidth) {
        refresh();
    }
}

void ClipboardHistoryPanel::refresh() {
    if (refreshing_) {
        return;
    }
    refreshing_ = true;
    view_ = clipboardWindowView(model_, availableWidth());
    nameSharedParts(window(), model_.language());
    window()->setAccessibleName(view_.title);
    setAccessibleName(view_.title);
    editor_->setAccessibleName(view_.noteEditorName);
    list_->setAccessibleName(view_.entriesName);
    preview_->setAccessibleName(view_.previewName);
    const QColor primary = primaryOf(this);
    const QColor secondary = NiveloTheme::withOpacity(primary, 0.6);

    header_->refresh(view_);
    tabStrip_->refresh(view_);
    searchBar_->refresh(view_);

    // Content.
    const int fontSize = int(std::lround(model_.contentFontSize()));
    editor_->setVisible(view_.noteEditor.has_value());
    if (view_.noteEditor) {
        editor_->setView(*view_.noteEditor, model_.noteDraft(), fontSize);
    }
    empty_->setVisible(view_.emptyText.has_value());
    body_->setVisible(!view_.emptyText.has_value());
    if (view_.emptyText) {
        empty_->setText(*view_.emptyText);
        empty_->setAccessibleName(*view_.emptyText);
        QPalette p = empty_->palette();
        p.setColor(QPalette::WindowText, secondary);
        empty_->setPalette(p);
    } else {
        refreshRows();
    }
    preview_->setVisible(view_.preview.has_value());
    if (view_.preview) {
        list_->setFixedWidth(view_.listWidth);
        preview_->setView(*view_.preview, fontSize);
    } else {
        list_->setMinimumWidth(0);
        list_->setMaximumWidth(QWIDGETSIZE_MAX);
    }
    refreshing_ = false;
}

void ClipboardHistoryPanel::refreshRows() {
    QList<ClipboardRowView> rows;
    const UiLanguage lang = model_.language();
    std::optional<QString> highlighted;
    if (model_.isHistoryTab()) {
        const QList<ClipboardHistoryItem> items = model_.filteredHistoryItems();
        rows.reserve(items.size());
        for (const ClipboardHistoryItem& item : items) {
            rows.append(historyRowView(item, lang));
        }
        if (const auto item = model_.selectedItem()) {
            highlighted = item->id;
        }
    } else {
        const QList<ClipboardNoteItem> notes = model_.filteredNotes();
        rows.reserve(notes.size());
        for (const ClipboardNoteItem& note : notes) {
            rows.append(noteRowView(note, lang));
        }
        if (const auto note = model_.selectedNote()) {
            highlighted = note->id;
        }
    }
    const int fontSize = int(std::lround(model_.contentFontSize()));
    if (rows != list_->rows() || fontSize != list_->property("fontSize").toInt()) {
        list_->setProperty("fontSize", fontSize);
        list_->setRows(rows, fontSize);
    }
    // Rows show the selection only beside a preview.
    list_->setHighlightedID(view_.sidePreviewShown ? highlighted : std::nullopt);
}

void ClipboardHistoryPanel::paste(const QString& id) {
    if (model_.isHistoryTab()) {
        for (const ClipboardHistoryItem& item : model_.history().items()) {
            if (item.id == id) {
                controller_.pasteFromHistory(item.text);
                return;
            }
        }
    } else if (const auto tab = model_.currentTab()) {
        for (const ClipboardNoteItem& note : tab->notes) {
            if (note.id == id) {
                controller_.pasteFromHistory(note.text);
                return;
            }
        }
    }
}

void ClipboardHistoryPanel::rowButton(const QString& id, int index) {
    if (model_.isHistoryTab()) {
        if (index == 0) {
            paste(id);
        } else {
            model_.deleteHistoryItem(id);
        }
        return;
    }
    const auto tab = model_.currentTab();
    if (!tab) {
        return;
    }
    for (const ClipboardNoteItem& note : tab->notes) {
        if (note.id != id) {
            continue;
        }
        switch (index) {
            case 0:
                controller_.pasteFromHistory(note.text);
                break;
            case 1:
                controller_.copyNote(note.text);
                break;
            case 2:
                model_.startEditNote(note);
                break;
            default:
                model_.deleteNote(note);
                break;
        }
        return;
    }
}

void ClipboardHistoryPanel::previewButton(int index) {
    if (model_.isHistoryTab()) {
        const auto item = model_.selectedItem();
        if (!item) {
            return;
        }
        if (index == 0) {
            controller_.pasteFromHistory(item->text);
        } else if (index == 1) {
            model_.saveClipboardItemAsNote(*item);
        } else {
            model_.deleteHistoryItem(item->id);
        }
        return;
    }
    const auto note = model_.selectedNote();
    if (!note) {
        return;
    }
    switch (index) {
        case 0:
            controller_.pasteFromHistory(note->text);
            break;
        case 1:
            controller_.copyNote(note->text);
            break;
        case 2:
            model_.startEditNote(*note);
            break;
        default:
            model_.deleteNote(*note);
            break;
    }
}
