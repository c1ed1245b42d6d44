#pragma once

#include <QWidget>

#include "core/SettingsPage.h"
#include "settingswindow/MainSettingsView.h"

class QLabel;
class QScrollArea;

// The selected page under its title. Each switch builds the page afresh in a fresh scroll
// position, so a new page starts at its top; a page not built yet is an empty column.
class SettingsDetailView : public QWidget {
    Q_OBJECT
public:
    static constexpr int kMaximumPageWidth = 700;

    explicit SettingsDetailView(const MainSettingsView::Environment& environment,
                                QWidget* parent = nullptr);

    SettingsPage shownPage() const { return shown_; }

private:
    void showPage(SettingsPage page);
    void retitle();

    MainSettingsView::Environment env_;
    NiveloAppState& state_;
    QLabel* title_ = nullptr;
    QScrollArea* scroll_ = nullptr;
    QWidget* page_ = nullptr;
    SettingsPage shown_ = SettingsPage::general;
};
