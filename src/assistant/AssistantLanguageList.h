#pragma once

#include <QAbstractButton>
#include <QList>
#include <QString>
#include <QWidget>

#include "assistant/AssistantPanelModel.h"

class QScrollArea;
class QVBoxLayout;

// One language of the list: a check mark column, the name and its two-letter badge.
class AssistantLanguageRowButton : public QAbstractButton {
    Q_OBJECT
public:
    AssistantLanguageRowButton(const AssistantLanguageRow& row, QWidget* parent = nullptr);

    const AssistantLanguageRow& row() const { return row_; }
    void setChecked(bool checked);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    AssistantLanguageRow row_;
    bool hovered_ = false;
};

// The reply-translation languages, laid over the panel above its neighbours (not a popup): it
// stays open while the panel is hidden and shown again.
class AssistantLanguageList : public QWidget {
    Q_OBJECT
public:
    static constexpr int kWidth = 230;
    static constexpr int kHeight = 280;

    explicit AssistantLanguageList(QWidget* parent = nullptr);

    void setCurrent(const QString& language, const QString& accessibleName);

Q_SIGNALS:
    void languageChosen(const QString& language);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QScrollArea* scrollArea_ = nullptr;
    QList<AssistantLanguageRowButton*> rows_;
    QString current_;
};
