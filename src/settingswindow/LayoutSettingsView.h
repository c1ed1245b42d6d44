#pragma once

#include <QHash>
#include <QList>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QUuid>
#include <QWidget>

#include "capture/KeyboardLayoutService.h"
#include "core/AppLayoutRule.h"
#include "core/NiveloSettings.h"
#include "state/NiveloAppState.h"

class ClampedTextLabel;
class HotkeyRecorderField;
class QCheckBox;
class QComboBox;
class QFileDialog;
class QLabel;
class QPushButton;
class QToolButton;
class QVBoxLayout;
class RoundedBox;
class SettingsToggle;

struct LayoutPageModel {
    struct Picker {
        QString label;
        // -1 when the stored name is none of the options.
        int current = -1;
        bool operator==(const Picker&) const = default;
    };
    struct Rule {
        QUuid id;
        QString appName;
        QString bundleIdentifier;
        QString appPath;
        int layout = -1;
        bool isEnabled = true;
        bool operator==(const Rule&) const = default;
    };
    QString detectTitle;
    QStringList layouts;
    Picker latin;
    Picker native;
    QString autoSwitchTitle;
    bool autoSwitch = false;
    QString hotkeyTitle;
    QString hotkey;
    QString perAppTitle;
    bool perApp = false;
    QString note;
    QList<Rule> rules;
    QString addTitle;
    QString removeTitle;

    bool operator==(const LayoutPageModel&) const = default;
};

LayoutPageModel layoutPageModel(const NiveloSettings& settings, const QStringList& layouts);

// The enabled layout names with the two saved ones, each once, in ascending order: a saved
// layout that is gone is still offered.
QStringList layoutOptions(const NiveloSettings& settings, const QStringList& enabled);

// A two-way binding over one member of the rule with that id: reading gives the fallback once
// the rule is gone, and writing then does nothing.
template <typename T>
class RuleBinding {
public:
    RuleBinding(NiveloAppState& state, QUuid id, T AppLayoutRule::*member, T fallback)
        : state_(state), id_(id), member_(member), fallback_(std::move(fallback)) {}

    T value() const {
        for (const AppLayoutRule& rule : state_.settings().appLayoutRules) {
            if (rule.id == id_) {
                return rule.*member_;
            }
        }
        return fallback_;
    }
    void set(const T& value) const {
        NiveloSettings settings = state_.settings();
        for (AppLayoutRule& rule : settings.appLayoutRules) {
            if (rule.id == id_) {
                rule.*member_ = value;
                state_.setSettings(settings);
                return;
            }
        }
    }

private:
    NiveloAppState& state_;
    QUuid id_;
    T AppLayoutRule::*member_;
    T fallback_;
};

template <typename T>
RuleBinding<T> ruleBinding(NiveloAppState& state, QUuid id, T AppLayoutRule::*member, T fallback) {
    return RuleBinding<T>(state, id, member, std::move(fallback));
}

// Removes every rule with that id: one save; per-application switching stays as it is.
void removeRule(NiveloAppState& state, QUuid id);

// The latin and local layouts of the layout fix with its hot key, and the layout each chosen
// application gets when it becomes active.
class LayoutSettingsView : public QWidget {
    Q_OBJECT
public:
    explicit LayoutSettingsView(NiveloAppState& state, QWidget* parent = nullptr);
    ~LayoutSettingsView() override;
    void refresh();

    // What the pickers offer; filled when the page comes on screen.
    const QStringList& layouts() const { return layouts_; }

    // Asks for an application in a file dialog; the add goes on when a file is chosen.
    void addApplication();
    // Adds a rule for the application of that desktop entry, or refreshes the one it has, and
    // switches per-application switching on. Anything but an application entry adds nothing.
    void addApplication(const QString& desktopEntryPath);
    void detectSystemLayouts();

protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    struct RuleRow {
        RoundedBox* frame = nullptr;
        QLabel* icon = nullptr;
        QString iconPath;
        ClampedTextLabel* name = nullptr;
        ClampedTextLabel* identifier = nullptr;
        QComboBox* layout = nullptr;
        QCheckBox* enabled = nullptr;
        QToolButton* remove = nullptr;
    };
    RuleRow makeRow(const AppLayoutRule& rule);
    void fillLayouts();
    void recolour();

    NiveloAppState& state_;
    KeyboardLayoutService layoutService_;
    QStringList layouts_;
    QPushButton* detect_ = nullptr;
    QLabel* latinLabel_ = nullptr;
    QComboBox* latin_ = nullptr;
    QLabel* nativeLabel_ = nullptr;
    QComboBox* native_ = nullptr;
    SettingsToggle* autoSwitch_ = nullptr;
    QLabel* hotkeyLabel_ = nullptr;
    HotkeyRecorderField* hotkey_ = nullptr;
    SettingsToggle* perApp_ = nullptr;
    QLabel* note_ = nullptr;
    QVBoxLayout* rulesLayout_ = nullptr;
    QHash<QUuid, RuleRow> rows_;
    QPushButton* add_ = nullptr;
    QPointer<QFileDialog> dialog_;
};
