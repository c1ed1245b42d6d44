#include "settingswindow/SettingsSidebarView.h"

#include <QVBoxLayout>

#include "settingswindow/SettingsSidebarRow.h"
#include "state/NiveloAppState.h"

QList<SidebarRowModel> sidebarRows(UiLanguage lang, SettingsPage selected) {
    QList<SidebarRowModel> rows;
    for (SettingsPage page : allCases<SettingsPage>()) {
        rows.append({page, title(page, lang), symbolName(page), page == selected});
    }
    return rows;
}

SettingsSidebarView::SettingsSidebarView(NiveloAppState& state, QWidget* parent)
    : QScrollArea(parent), state_(state) {
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setWidgetResizable(true);
    viewport()->setAutoFillBackground(false);
    setAccessibleName(QStringLiteral("Settings pages"));

    auto* content = new QWidget(this);
    auto* layout = new QVBoxLayout(content);
    layout->setContentsMargins(12, 2, 12, 14);
    layout->setSpacing(4);
    for (SettingsPage page : allCases<SettingsPage>()) {
        auto* row = new SettingsSidebarRow(page, content);
        connect(row, &QAbstractButton::clicked, this,
                [this, page] { state_.setSelectedSettingsPage(page); });
        layout->addWidget(row);
        rows_.append(row);
    }
    layout->addStretch(1);
    setWidget(content);
    // setWidget() turns the fill on; the sidebar's backdrop shows through instead.
    content->setAutoFillBackground(false);

    connect(&state_, &NiveloAppState::settingsChanged, this, &SettingsSidebarView::refresh);
    connect(&state_, &NiveloAppState::selectedSettingsPageChanged, this,
            &SettingsSidebarView::refresh);
    refresh();
}

void SettingsSidebarView::refresh() {
    const auto models = sidebarRows(state_.settings().uiLanguage, state_.selectedSettingsPage());
    for (int i = 0; i < rows_.size(); ++i) {
        rows_[i]->setTitle(models[i].title);
        rows_[i]->setSelected(models[i].isSelected);
    }
}
