#pragma once

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <QWidget>

class NiveloAppState;
class QComboBox;
class QLabel;
class QPushButton;
class QTextEdit;
class QVBoxLayout;
class RoundedBox;

struct ActionsPageModel {
    struct Row {
        QString id;
        QString title;
        QString symbol;
        bool operator==(const Row&) const = default;
    };
    QString inputHeading;
    QString targetTitle;
    QStringList languages;
    // -1 when the stored target is none of the languages.
    int languageIndex = -1;
    QList<Row> rows;
    QString runTitle;
    QString outputHeading;
    bool showsOutput = false;

    bool operator==(const ActionsPageModel&) const = default;
};

// The quick menu's text actions, without the assistant, the clipboard and the layout fix.
ActionsPageModel actionsPageModel(const NiveloAppState& state);

// A bench for the text actions: a sample text, the translation target, a row per action with a
// "Run" that works on the sample, and the latest output.
class ActionsSettingsView : public QWidget {
    Q_OBJECT
public:
    explicit ActionsSettingsView(NiveloAppState& state, QWidget* parent = nullptr);
    void refresh();

protected:
    void changeEvent(QEvent* event) override;

private:
    struct ActionRow {
        RoundedBox* section = nullptr;
        QLabel* icon = nullptr;
        QLabel* title = nullptr;
        QPushButton* run = nullptr;
    };
    ActionRow makeRow(const QString& id);
    void fitEditor();
    void syncSample();

    NiveloAppState& state_;
    QLabel* inputHeading_ = nullptr;
    QTextEdit* editor_ = nullptr;
    QLabel* targetTitle_ = nullptr;
    QComboBox* target_ = nullptr;
    QVBoxLayout* rowsLayout_ = nullptr;
    QHash<QString, ActionRow> rows_;
    QWidget* outputSection_ = nullptr;
    QLabel* outputHeading_ = nullptr;
    QLabel* output_ = nullptr;
};
