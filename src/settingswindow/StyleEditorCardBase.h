#pragma once

#include <QString>
#include <optional>

#include "capture/HotkeyService.h"
#include "core/UiLanguage.h"
#include "settingswindow/SwitchCheckBox.h"
#include "theme/RoundedBox.h"

class HotkeyRecorderField;
class NiveloAppState;
class QLineEdit;
class QTextEdit;
class QToolButton;

// What one style card shows.
struct StyleCardModel {
    QString id;
    QString name;
    QString hotkey;
    QString prompt;
    // None: the style has no automatic replacement, and the card no "Auto" toggle.
    std::optional<bool> autoReplace;
    bool canDelete = false;
    bool operator==(const StyleCardModel&) const = default;
};

// The card both style pages put around one style: name, hot key, the "Auto" switch where the
// style has one, delete for a custom style, and the prompt below. The card is kept for its
// style's id while the list changes; showing a new copy leaves a field that already holds the
// text alone, so typing keeps the caret. Each edit writes the stored style of that id with
// the one field changed.
class StyleEditorCardBase : public RoundedBox {
    Q_OBJECT
public:
    static constexpr int kPromptMinimumHeight = 86;

    const QString& styleId() const { return id_; }
    void show(const StyleCardModel& model, UiLanguage lang);

protected:
    enum class Field { name, hotkey, prompt };
    // Both kinds of style share these three fields.
    template <class Style>
    static void setField(Style& style, Field field, const QString& text) {
        (field == Field::name     ? style.name
         : field == Field::hotkey ? style.hotkey
                                  : style.prompt) = text;
    }

    // `kind`: what the style's hot key runs (a prompt style or a reply style).
    StyleEditorCardBase(NiveloAppState& state, const QString& id, HotkeyService::Action::Kind kind,
                        int recorderWidth, bool hasAutoToggle, QWidget* parent);

    virtual void write(Field field, const QString& text) = 0;
    virtual void writeAutoReplace(bool) {}
    virtual void remove() = 0;

    void changeEvent(QEvent* event) override;

    NiveloAppState& state_;

private:
    void fitPrompt();
    void recolour();

    QString id_;
    QLineEdit* name_ = nullptr;
    HotkeyRecorderField* recorder_ = nullptr;
    SwitchCheckBox* auto_ = nullptr;
    QToolButton* delete_ = nullptr;
    QTextEdit* prompt_ = nullptr;
};
