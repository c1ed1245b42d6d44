#pragma once

#include <QWidget>

#include "clipboardwindow/ClipboardWindowView.h"
#include "theme/IconCache.h"

class ClipboardEntryList;
class ClipboardNoteEditor;
class ClipboardPanelController;
class ClipboardPanelHeader;
class ClipboardSearchBar;
class ClipboardSidePreview;
class ClipboardTabStrip;
class ClipboardWindowModel;
class QLabel;

// The clipboard window's content, top to bottom: the header, the tab strip with the note
// toolbar, the search bar, and the history or the shown tab's notes, each list with its
// preview when the window is wide enough. It renders the model's view and hands every action
// to the model or the controller. Tests find its parts by object name.
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

protected:
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    QWidget* buildContent();
    void refresh();
    void refreshRows();
    void applySurface();
    void previewButton(int index);
    void rowButton(const QString& id, int index);
    void paste(const QString& id);

    ClipboardPanelController& controller_;
    ClipboardWindowModel& model_;
    ClipboardWindowView view_;
    bool refreshing_ = false;
    // Every refresh sets the icons again; drawing them once per colour is enough.
    IconCache icons_;

    ClipboardPanelHeader* header_ = nullptr;
    ClipboardTabStrip* tabStrip_ = nullptr;
    ClipboardSearchBar* searchBar_ = nullptr;
    ClipboardNoteEditor* editor_ = nullptr;
    QLabel* empty_ = nullptr;
    QWidget* body_ = nullptr;
    ClipboardEntryList* list_ = nullptr;
    ClipboardSidePreview* preview_ = nullptr;
};
