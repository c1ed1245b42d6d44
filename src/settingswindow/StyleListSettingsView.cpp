#include "settingswindow/StyleListSettingsView.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "state/NiveloAppState.h"
#include "theme/NiveloTheme.h"
#include "theme/ThemeIcons.h"

StyleListSettingsView::StyleListSettingsView(NiveloAppState& state, QWidget* parent)
    : QWidget(parent), state_(state) {}

void StyleListSettingsView::build() {
    auto* page = new QVBoxLayout(this);
    page->setContentsMargins(0, 0, 0, 0);
    page->setSpacing(14);

    auto* header = new QHBoxLayout();
    auto* titles = new QVBoxLayout();
    titles->setSpacing(3);
    title_ = new QLabel(this);
    title_->setTextFormat(Qt::PlainText);
    title_->setFont(NiveloTheme::font(NiveloTheme::FontRole::headline));
    titles->addWidget(title_);
    hint_ = new QLabel(this);
    hint_->setTextFormat(Qt::PlainText);
    hint_->setWordWrap(true);
    hint_->setFont(NiveloTheme::font(NiveloTheme::FontRole::caption));
    titles->addWidget(hint_);
    header->addLayout(titles, 1);
    add_ = new QPushButton(this);
    add_->setObjectName(QStringLiteral("addStyle"));
    reset_ = new QPushButton(this);
    reset_->setObjectName(QStringLiteral("resetStyles"));
    header->addWidget(add_);
    header->addWidget(reset_);
    page->addLayout(header);
    connect(add_, &QPushButton::clicked, this, [this] { add(); });
    connect(reset_, &QPushButton::clicked, this, [this] { reset(); });

    cardsLayout_ = new QVBoxLayout();
    cardsLayout_->setSpacing(12);
    page->addLayout(cardsLayout_);

    // Emitted last on every save, after the style lists: one refresh per edit.
    connect(&state_, &NiveloAppState::settingsChanged, this, &StyleListSettingsView::refresh);
    refresh();
}

void StyleListSettingsView::refresh() {
    const StyleListPageModel m = model();
    const UiLanguage lang = state_.settings().uiLanguage;
    title_->setText(m.title);
    hint_->setText(m.hint);
    hint_->setVisible(!m.hint.isEmpty());
    QPalette hintPalette = palette();
    hintPalette.setColor(QPalette::WindowText,
                         NiveloTheme::withOpacity(palette().color(QPalette::WindowText), 0.6));
    hint_->setPalette(hintPalette);
    const QColor ink = palette().color(QPalette::WindowText);
    add_->setText(m.addTitle);
    add_->setIcon(ThemeIcons::icon(QStringLiteral("plus"), ink, 14));
    add_->setAccessibleName(m.addTitle);
    reset_->setText(m.resetTitle);
    reset_->setAccessibleName(m.resetTitle);

    QHash<QString, StyleEditorCardBase*> kept;
    order_.clear();
    for (const StyleCardModel& c : m.cards) {
        // An id stored twice gets one card, for its first entry.
        if (kept.contains(c.id)) {
            continue;
        }
        StyleEditorCardBase* card = cards_.contains(c.id) ? cards_.take(c.id) : makeCard(c.id);
        card->show(c, lang);
        if (cardsLayout_->indexOf(card) != order_.size()) {
            cardsLayout_->removeWidget(card);
            cardsLayout_->insertWidget(int(order_.size()), card);
        }
        kept.insert(c.id, card);
        order_.append(c.id);
    }
    // Later: the card's own delete button may be the one being pressed.
    for (StyleEditorCardBase* gone : std::as_const(cards_)) {
        cardsLayout_->removeWidget(gone);
        gone->hide();
        gone->setObjectName(QString());  // until it is deleted, only live cards go by id
        gone->deleteLater();
    }
    cards_ = kept;
}

void StyleListSettingsView::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    // The hint and the symbol are drawn in the text colour.
    if (event->type() == QEvent::PaletteChange && cardsLayout_) {
        refresh();
    }
}
