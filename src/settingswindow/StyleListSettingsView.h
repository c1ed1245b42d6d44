#pragma once

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <QWidget>

#include "settingswindow/StyleEditorCardBase.h"

class NiveloAppState;
class QLabel;
class QPushButton;
class QVBoxLayout;

struct StyleListPageModel {
    QString title;
    // Empty: no hint line.
    QString hint;
    QString addTitle;
    QString resetTitle;
    QList<StyleCardModel> cards;
    bool operator==(const StyleListPageModel&) const = default;
};

// A page of style cards under a header with "Add" and "Reset"; the Styles and AI Reply pages
// differ in what they list and write. Cards are kept by style id and put in list order.
class StyleListSettingsView : public QWidget {
    Q_OBJECT
public:
    void refresh();

    // In list order.
    QStringList cardIds() const { return order_; }

protected:
    StyleListSettingsView(NiveloAppState& state, QWidget* parent);
    // Called by the page's constructor, once the page can make its cards.
    void build();

    virtual StyleListPageModel model() const = 0;
    virtual StyleEditorCardBase* makeCard(const QString& id) = 0;
    virtual void add() = 0;
    virtual void reset() = 0;
    void changeEvent(QEvent* event) override;

    NiveloAppState& state_;

private:
    QLabel* title_ = nullptr;
    QLabel* hint_ = nullptr;
    QPushButton* add_ = nullptr;
    QPushButton* reset_ = nullptr;
    QVBoxLayout* cardsLayout_ = nullptr;
    QHash<QString, StyleEditorCardBase*> cards_;
    QStringList order_;
};
