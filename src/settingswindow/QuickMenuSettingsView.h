#pragma once

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <QWidget>

class HotkeyRecorderField;
class NiveloAppState;
class QCheckBox;
class SettingsToggle;
class QComboBox;
class QLabel;
class QToolButton;
class QVBoxLayout;
class RoundedBox;

struct QuickMenuPageModel {
    struct Row {
        QString id;
        QString title;
        QString symbol;
        bool enabled = false;
        bool canMoveUp = false;
        bool canMoveDown = false;
        bool operator==(const Row&) const = default;
    };
    QString sizeLabel;
    QStringList sizeOptions;
    int sizeIndex = 0;
    QString hotkeyLabel;
    QString selectAllTitle;
    bool selectAll = false;
    QString actionsHeading;
    QList<Row> rows;

    bool operator==(const QuickMenuPageModel&) const = default;
};

QuickMenuPageModel quickMenuPageModel(const NiveloAppState& state);

// The quick-action panel's size, hot key and select-all flag, and its actions: one row each,
// switched on or off and moved up or down.
class QuickMenuSettingsView : public QWidget {
    Q_OBJECT
public:
    static constexpr int kRecorderWidth = 142;

    explicit QuickMenuSettingsView(NiveloAppState& state, QWidget* parent = nullptr);
    void refresh();

    // In display order.
    QStringList rowIds() const { return order_; }

protected:
    void changeEvent(QEvent* event) override;

private:
    struct ActionRow {
        RoundedBox* panel = nullptr;
        QCheckBox* toggle = nullptr;
        QLabel* icon = nullptr;
        QLabel* title = nullptr;
        QToolButton* up = nullptr;
        QToolButton* down = nullptr;
    };
    ActionRow makeRow(const QString& id);
    int positionOf(const QString& id) const { return int(order_.indexOf(id)); }

    NiveloAppState& state_;
    QLabel* sizeLabel_ = nullptr;
    QComboBox* size_ = nullptr;
    QLabel* hotkeyLabel_ = nullptr;
    HotkeyRecorderField* recorder_ = nullptr;
    SettingsToggle* selectAll_ = nullptr;
    QLabel* actionsHeading_ = nullptr;
    QVBoxLayout* rowsLayout_ = nullptr;
    QHash<QString, ActionRow> rows_;
    QStringList order_;
};
