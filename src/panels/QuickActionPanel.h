#pragma once

#include <QAbstractButton>
#include <QList>
#include <QPointer>
#include <QString>
#include <QWidget>

#include "core/MenuScale.h"

class NiveloAppState;
class QToolButton;
class QVariantAnimation;
class QuickPanelController;
class QScrollArea;
class QVBoxLayout;

// The measures of the panel for one menu size, in logical pixels.
struct QuickPanelMetrics {
    int rowFontPixelSize;
    int rowPaddingX;
    int rowPaddingY;
    int rowSpacing;
    // The language menu's inset from the row's right edge.
    int languageMenuInset;

    bool operator==(const QuickPanelMetrics&) const = default;
};
QuickPanelMetrics quickPanelMetrics(MenuScale scale);

// One row: an action with its title in the interface language.
struct QuickPanelRow {
    QString id;
    QString title;
    QString symbol;
    // Only the translate row carries the target-language menu.
    bool hasLanguageMenu = false;

    bool operator==(const QuickPanelRow&) const = default;
};

// What the panel shows for a state: its measures, the rows in the state's order, and the
// target language the language menu is labelled with and checks.
struct QuickActionPanelModel {
    QuickPanelMetrics metrics;
    QList<QuickPanelRow> rows;
    QString targetLanguage;
};
QuickActionPanelModel quickActionPanelModel(const NiveloAppState& appState);

// One clickable row: a rounded box with the action's symbol and title, lit while the pointer
// is over it (easing in and out). The whole box takes clicks.
class QuickActionRow : public QAbstractButton {
    Q_OBJECT
public:
    QuickActionRow(QuickPanelRow row, QuickPanelMetrics metrics, QWidget* parent = nullptr);

    const QuickPanelRow& row() const { return row_; }
    bool isHovered() const { return hovered_; }
    QSize sizeHint() const override;
    void setLanguageButton(QToolButton* button);

Q_SIGNALS:
    void hoverChanged(bool hovered);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    QFont titleFont() const;
    void setHovered(bool hovered);

    QuickPanelRow row_;
    QuickPanelMetrics metrics_;
    bool hovered_ = false;
    // 0 at rest, 1 lit.
    double hoverLevel_ = 0;
    QVariantAnimation* hoverAnimation_ = nullptr;
    QToolButton* languageButton_ = nullptr;
};

// The quick-action panel's content: a header and one row per quick action, rebuilt whenever
// the state's actions, settings or surface change. A row hides the panel, then runs.
class QuickActionPanel : public QWidget {
    Q_OBJECT
public:
    static constexpr int kCornerRadius = 22;
    static constexpr int kSymbolPixelSize = 13;

    QuickActionPanel(NiveloAppState& appState, QuickPanelController& controller,
                     QWidget* parent = nullptr);

    const QuickActionPanelModel& model() const { return model_; }
    QList<QuickActionRow*> rows() const { return rows_; }
    QuickActionRow* row(const QString& id) const;
    const QString& hoveredActionID() const { return hoveredActionID_; }

    void runRow(const QString& id);
    void pickLanguage(const QString& language);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void refresh();

    QPointer<NiveloAppState> appState_;
    QuickPanelController& controller_;
    QuickActionPanelModel model_;
    QScrollArea* scroll_ = nullptr;
    QVBoxLayout* rowsLayout_ = nullptr;
    QList<QuickActionRow*> rows_;
    QString hoveredActionID_;
};
