#pragma once

#include <QList>
#include <QWidget>

#include "clipboardwindow/ClipboardWindowView.h"

class ClipboardWindowModel;
class IconCache;
class QAbstractButton;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QScrollArea;
class QToolButton;

// The tabs with the add button, on a strip the wheel scrolls sideways, and under them the
// shown notes tab's toolbar: its name (or the field that renames it), rename, delete and add
// note.
class ClipboardTabStrip : public QWidget {
    Q_OBJECT
public:
    ClipboardTabStrip(ClipboardWindowModel& model, IconCache& icons, QWidget* parent = nullptr);

    void refresh(const ClipboardWindowView& view);
    // The tabs are drawn again on the next refresh, as after a palette change.
    void redrawTabs() { shownTabs_.clear(); }
    // The rename field takes the focus with its text selected, when it shows.
    void focusNameField();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void refreshTabs(const ClipboardWindowView& view);

    ClipboardWindowModel& model_;
    IconCache& icons_;
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
};
