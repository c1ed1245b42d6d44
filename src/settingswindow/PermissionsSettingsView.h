#pragma once

#include <QList>
#include <QString>
#include <QWidget>
#include <optional>

#include "core/PermissionOffers.h"
#include "core/PermissionState.h"
#include "core/UiLanguage.h"
#include "platform/PermissionSettingsTarget.h"
#include "theme/NiveloTheme.h"

class NiveloAppState;
class QGridLayout;
class QHBoxLayout;
class QLabel;
class QPushButton;

struct PermissionBadge {
    QString text;
    QString symbol;
    NiveloTheme::Role colour;
    bool operator==(const PermissionBadge&) const = default;
};

// Granted or not. Where the desktop offers nothing to do about a permission there is nothing to
// grant either, only a server that has the ability or lacks it.
PermissionBadge permissionBadge(bool granted, bool grantable, UiLanguage lang);

struct PermissionsPageModel {
    enum class Action { refresh, request, openAccessibility, openInputMonitoring, reset };
    struct Row {
        QString title;
        PermissionBadge badge;
        // What the permission stands for; empty where it can be granted.
        QString caption;
        bool operator==(const Row&) const = default;
    };
    struct Button {
        Action action;
        QString title;
        bool operator==(const Button&) const = default;
    };
    QList<Row> rows;
    // The row of buttons, then the destructive reset under it when offered.
    QList<Button> buttons;
    std::optional<Button> reset;
    QString note;

    bool operator==(const PermissionsPageModel&) const = default;
};

PermissionsPageModel permissionsPageModel(const PermissionState& state,
                                          const PermissionOffers& offers, UiLanguage lang);

// Whether the two permissions are there, and the controls the desktop offers about them. It
// never checks by itself: the badges change when the state publishes a new permission state.
class PermissionsSettingsView : public QWidget {
    Q_OBJECT
public:
    explicit PermissionsSettingsView(NiveloAppState& state, QWidget* parent = nullptr);
    void refresh();

protected:
    void changeEvent(QEvent* event) override;

private:
    void run(PermissionsPageModel::Action action);

    NiveloAppState& state_;
    PermissionOffers offers_;
    struct RowWidgets {
        QLabel* title = nullptr;
        QLabel* icon = nullptr;
        QLabel* badge = nullptr;
        QLabel* caption = nullptr;
    };
    QList<RowWidgets> rows_;
    QHBoxLayout* buttonRow_ = nullptr;
    QList<QPushButton*> buttons_;
    QPushButton* reset_ = nullptr;
    QLabel* note_ = nullptr;
};
