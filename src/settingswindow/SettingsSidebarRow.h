#pragma once

#include <QAbstractButton>

#include "core/SettingsPage.h"

class QLabel;

// One page's row: its tile and its title (wrapping to a second line rather than cut), the whole
// row clickable; the selected row sits on a soft rounded highlight.
class SettingsSidebarRow : public QAbstractButton {
    Q_OBJECT
public:
    explicit SettingsSidebarRow(SettingsPage page, QWidget* parent = nullptr);

    SettingsPage page() const { return page_; }
    void setTitle(const QString& title);
    QString title() const;
    void setSelected(bool selected);
    bool isSelected() const { return selected_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    SettingsPage page_;
    QLabel* title_ = nullptr;
    bool selected_ = false;
};
