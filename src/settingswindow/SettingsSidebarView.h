#pragma once

#include <QList>
#include <QScrollArea>
#include <QString>

#include "core/SettingsPage.h"

class NiveloAppState;
class SettingsSidebarRow;

struct SidebarRowModel {
    SettingsPage page;
    QString title;
    QString symbol;
    bool isSelected = false;

    bool operator==(const SidebarRowModel&) const = default;
};

// One row per page, in sidebar order, titled in the interface language.
QList<SidebarRowModel> sidebarRows(UiLanguage lang, SettingsPage selected);

// The list of pages; a click selects the page in the application state, and the rows follow
// the state's selection and interface language.
class SettingsSidebarView : public QScrollArea {
    Q_OBJECT
public:
    explicit SettingsSidebarView(NiveloAppState& state, QWidget* parent = nullptr);

    void refresh();

private:
    NiveloAppState& state_;
    QList<SettingsSidebarRow*> rows_;
};
