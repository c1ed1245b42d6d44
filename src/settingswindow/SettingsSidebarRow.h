#pragma once

#include <QAbstractButton>

#include "core/SettingsPage.h"

class ClampedTextLabel;

// One page's row: its tile and its title (wrapping to a second line, cut with an ellipsis only
// after it), the whole row clickable; the selected row sits on a soft rounded highlight.
class SettingsSidebarRow : public QAbstractButton {
    Q_OBJECT
public:
    static constexpr int kTitleLines = 2;

    explicit SettingsSidebarRow(SettingsPage page, QWidget* parent = nullptr);

    SettingsPage page() const { return page_; }
    void setTitle(const QString& title);
    QString title() const;
    // The title as laid out, one line per row of text.
    QString shownTitle() const;
    void setSelected(bool selected);
    bool isSelected() const { return selected_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    SettingsPage page_;
    ClampedTextLabel* title_ = nullptr;
    bool selected_ = false;
};
