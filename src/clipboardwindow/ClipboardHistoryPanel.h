#pragma once

#include <QHash>
#include <QIcon>
#include <QList>
#include <QWidget>

#include "clipboardwindow/ClipboardWindowView.h"

class ClipboardEntryList;
class ClipboardNoteEditor;
class ClipboardPanelController;
class ClipboardSidePreview;
class ClipboardWindowModel;
class QAbstractButton;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QToolButton;
class QPushButton;
class QScrollArea;

// The clipboard window's content, top to bottom: the header (title, drag strip, text size,
// clear history), the tabs with the note toolbar, the search field with its bulk delete, and
// the history or the shown tab's notes, each list with its preview when the window is wide
// enough. It renders the model's view and hands every action to the model or the controller.
class ClipboardHistoryPanel : public QWidget {
    Q_OBJECT
public:
    static constexpr int kPadding = 16;
    static constexpr int kCornerRadius = 22;

    ClipboardHistoryPanel(ClipboardPanelController& controller, ClipboardWindowModel& model,
                          QWidget* parent = nullptr);

    const ClipboardWindowView& view() const { return view_; }
    // The width the content area has: the panel's inside its padding.
    int availableWidth() const;

    // The parts, for tests and the accessibility tree.
    QLineEdit* searchField() const { return search_; }
    QToolButton* decreaseButton() const { return decrease_; }
    QToolButton* increaseButton() const { return increase_; }
    QPushButton* addNoteButton() const { return addNote_; }
    QList<QAbstractButton*> tabButtons() const { return tabButtons_; }
    ClipboardEntryList* list() const { return list_; }
    ClipboardSidePreview* preview() const { return preview_; }
    ClipboardNoteEditor* noteEditor() const { return editor_; }
    QLabel* emptyLabel() const { return empty_; }

protected:
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* buildHeader();
    QWidget* buildTabStrip();
    QWidget* buildSearch();
    QWidget* buildContent();
    void refresh();
    void refreshTabs();
    void refreshRows();
    void applySurface();
    void previewButton(int index);
    void rowButton(const QString& id, int index);
    void paste(const QString& id);
    // Every refresh sets the icons again; drawing them once per colour is enough.
    QIcon cachedIcon(const QString& symbol, const QColor& tint, int size);

    ClipboardPanelController& controller_;
    ClipboardWindowModel& model_;
    ClipboardWindowView view_;
    bool refreshing_ = false;
    QHash<QString, QIcon> icons_;

    QLabel* titleIcon_ = nullptr;
    QLabel* title_ = nullptr;
    QWidget* fontControls_ = nullptr;
    QToolButton* decrease_ = nullptr;
    QLabel* sampleLetter_ = nullptr;
    QToolButton* increase_ = nullptr;
    QToolButton* clearHistory_ = nullptr;

    QScrollArea* tabScroll_ = nullptr;
    QHBoxLayout* tabsLayout_ = nullptr;
    QList<QAbstractButton*> tabButtons_;
    QList<ClipboardTabView> shownTabs_;
    QToolButton* addTab_ = nullptr;
    QWidget* toolbar_ = nullptr;
    QLineEdit* tabName_ = nullptr;
    QToolButton* saveName_ = nullptr;
    QLabel* tabTitle_ = nullptr;
    QToolButton* rename_ = nullptr;
    QToolButton* deleteTab_ = nullptr;
    QPushButton* addNote_ = nullptr;

    QLabel* magnifier_ = nullptr;
    QLineEdit* search_ = nullptr;
    QToolButton* bulkDelete_ = nullptr;
    QToolButton* clearSearch_ = nullptr;

    ClipboardNoteEditor* editor_ = nullptr;
    QLabel* empty_ = nullptr;
    QWidget* body_ = nullptr;
    ClipboardEntryList* list_ = nullptr;
    ClipboardSidePreview* preview_ = nullptr;
};
