#pragma once

#include <QList>
#include <QString>
#include <QWidget>

#include "core/PromptStyle.h"

class HotkeyRecorderField;
class NiveloAppState;
class QLabel;
class QVBoxLayout;

struct ShortcutsPageModel {
    struct Row {
        QString title;
        QString subtitle;
        QString hotkey;
        bool operator==(const Row&) const = default;
    };
    // Quick menu, assistant, clipboard, translation preview, layout fix.
    QList<Row> settingsRows;
    QString stylesHeading;
    // One per prompt style, in the styles' order.
    QList<Row> styleRows;

    bool operator==(const ShortcutsPageModel&) const = default;
};

ShortcutsPageModel shortcutsPageModel(const NiveloAppState& state);

// The hot key of one prompt style. Reading gives the stored style's hot key, else the copy's;
// writing changes only the hot key of the style stored now, so an older copy never reverts
// another edit of that style.
class StyleHotkeyBinding {
public:
    StyleHotkeyBinding(NiveloAppState& state, PromptStyle style)
        : state_(state), style_(std::move(style)) {}

    QString value() const;
    void set(const QString& hotkey) const;

private:
    NiveloAppState& state_;
    PromptStyle style_;
};

StyleHotkeyBinding styleHotkeyBinding(NiveloAppState& state, const PromptStyle& style);

// Every global hot key on one page: the five of the settings, then one per prompt style. Each
// accepted recording is one save.
class ShortcutsSettingsView : public QWidget {
    Q_OBJECT
public:
    static constexpr int kRecorderWidth = 142;

    explicit ShortcutsSettingsView(NiveloAppState& state, QWidget* parent = nullptr);
    void refresh();

private:
    struct Row {
        QWidget* widget = nullptr;
        QLabel* title = nullptr;
        QLabel* subtitle = nullptr;
        HotkeyRecorderField* recorder = nullptr;
    };
    Row hotkeyRow(QWidget* parent);
    void rebuildStyleRows();

    NiveloAppState& state_;
    QList<Row> settingsRows_;
    QLabel* stylesHeading_ = nullptr;
    QVBoxLayout* styleColumn_ = nullptr;
    QList<Row> styleRows_;
    QStringList styleIds_;
};
