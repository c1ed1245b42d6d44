#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QWidget>

#include "core/NiveloSettings.h"

class NiveloAppState;
class QCheckBox;
class QComboBox;
class QLabel;

struct GeneralPageModel {
    struct Picker {
        QString label;
        QStringList options;
        int current = 0;
        bool operator==(const Picker&) const = default;
    };
    struct Toggle {
        QString title;
        bool on = false;
        bool operator==(const Toggle&) const = default;
    };
    Picker appearance;
    Picker language;
    Picker menuSize;
    // Open on launch, menu-bar icon, keep in menu bar when closing.
    QList<Toggle> toggles;

    bool operator==(const GeneralPageModel&) const = default;
};

GeneralPageModel generalPageModel(const NiveloSettings& settings);

// The appearance, the interface language, the quick menu's size and the window flags, in one
// block; each change is one save of the record.
class GeneralSettingsView : public QWidget {
    Q_OBJECT
public:
    explicit GeneralSettingsView(NiveloAppState& state, QWidget* parent = nullptr);
    void refresh();

private:
    NiveloAppState& state_;
    QList<QLabel*> labels_;
    QComboBox* appearance_ = nullptr;
    QComboBox* language_ = nullptr;
    QComboBox* menuSize_ = nullptr;
    QList<QCheckBox*> toggles_;
};
