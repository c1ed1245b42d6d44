#pragma once

#include <QCoro/QCoroTask>
#include <QHash>
#include <QList>
#include <QPointer>
#include <QString>
#include <QWidget>

#include "clipboard/ClipboardHistoryItem.h"
#include "core/NiveloSettings.h"

class NiveloAppState;
class ClampedTextLabel;
class QCheckBox;
class QLabel;
class QPushButton;
class QToolButton;
class QVBoxLayout;
class RoundedBox;
class SettingsStepper;

struct ClipboardPageModel {
    struct Row {
        QString id;
        QString text;
        bool operator==(const Row&) const = default;
    };
    QString historyToggle;
    bool historyEnabled = true;
    QString limitText;
    int limit = 0;
    QString daysTitle;
    QString days;
    QString clearTitle;
    QString recentHeading;
    // Shown instead of the rows when there are none.
    QString emptyText;
    QList<Row> rows;
    QString pasteTitle;
    QString deleteTitle;

    bool operator==(const ClipboardPageModel&) const = default;
};

// "forever" in the interface language; any other stored text as it is.
QString localizedClipboardDays(const QString& days, UiLanguage lang);
ClipboardPageModel clipboardPageModel(const NiveloSettings& settings,
                                      const QList<ClipboardHistoryItem>& items);

// The clipboard history's switch, limit and retention, its clearing, and its recent entries,
// each of which can be pasted into the remembered application or deleted.
class ClipboardSettingsView : public QWidget {
    Q_OBJECT
public:
    static constexpr int kMinimumLimit = 10;
    static constexpr int kMaximumLimit = 500;

    explicit ClipboardSettingsView(NiveloAppState& state, QWidget* parent = nullptr);
    void refresh();

    QStringList rowTexts() const;

protected:
    void changeEvent(QEvent* event) override;

private:
    struct EntryRow {
        RoundedBox* frame = nullptr;
        ClampedTextLabel* text = nullptr;
        QToolButton* paste = nullptr;
        QToolButton* remove = nullptr;
    };
    EntryRow makeRow(const QString& id);
    void deleteEntry(const QString& id);
    void recolour();
    static QCoro::Task<> paste(QPointer<NiveloAppState> state, QString text);

    NiveloAppState& state_;
    QCheckBox* enabled_ = nullptr;
    SettingsStepper* limit_ = nullptr;
    QLabel* daysTitle_ = nullptr;
    QLabel* days_ = nullptr;
    QPushButton* clear_ = nullptr;
    QLabel* heading_ = nullptr;
    QLabel* empty_ = nullptr;
    QVBoxLayout* rowsLayout_ = nullptr;
    QHash<QString, EntryRow> rows_;
    QStringList order_;
};
