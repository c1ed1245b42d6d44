#include "clipboardwindow/ClipboardSearchBar.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>

#include "clipboardwindow/ClipboardControls.h"
#include "clipboardwindow/ClipboardWindowModel.h"
#include "clipboardwindow/ClipboardWindowView.h"
#include "theme/IconCache.h"
#include "theme/NiveloTheme.h"
#include "theme/ThemeIcons.h"

using namespace clipboardControls;

ClipboardSearchBar::ClipboardSearchBar(ClipboardWindowModel& model, IconCache& icons,
                                       QWidget* parent)
    : RoundedBox(QString(), RoundedBox::textCapsule(0.05, 0), parent),
      model_(model),
      icons_(icons) {
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(10, 6, 10, 6);
    row->setSpacing(6);
    magnifier_ = new QLabel(this);
    magnifier_->setTextFormat(Qt::PlainText);
    magnifier_->setAccessibleName(QStringLiteral("Search"));
    row->addWidget(magnifier_);
    search_ = new QLineEdit(this);
    search_->setObjectName(QStringLiteral("search"));
    search_->setFrame(false);
    search_->setAccessibleName(QStringLiteral("Search"));
    QPalette clear = search_->palette();
    clear.setColor(QPalette::Base, Qt::transparent);
    search_->setPalette(clear);
    connect(search_, &QLineEdit::textEdited, this,
            [this](const QString& text) { model_.setSearchText(text); });
    row->addWidget(search_, 1);
    bulkDelete_ = iconButton(this, QStringLiteral("Delete all found"));
    bulkDelete_->setToolButtonStyle(Qt::ToolButtonTextOnly);
    QFont caption = NiveloTheme::font(NiveloTheme::FontRole::caption);
    caption.setWeight(QFont::DemiBold);
    bulkDelete_->setFont(caption);
    connect(bulkDelete_, &QToolButton::clicked, this, [this] { model_.pressDeleteFound(); });
    row->addWidget(bulkDelete_);
    clearSearch_ = iconButton(this, QStringLiteral("Clear search"));
    connect(clearSearch_, &QToolButton::clicked, this, [this] { model_.setSearchText(QString()); });
    row->addWidget(clearSearch_);
}

void ClipboardSearchBar::refresh(const ClipboardWindowView& view) {
    const QColor secondary = NiveloTheme::withOpacity(primaryOf(this), 0.6);
    const QColor red = redOf();
    magnifier_->setPixmap(
        ThemeIcons::pixmap(QStringLiteral("magnifyingglass"), secondary, 14, devicePixelRatioF()));
    search_->setPlaceholderText(view.searchPlaceholder);
    search_->setAccessibleName(view.searchPlaceholder);
    if (search_->text() != model_.searchText()) {
        const QSignalBlocker blocker(search_);
        search_->setText(model_.searchText());
    }
    bulkDelete_->setVisible(view.bulkDeleteShown);
    QPalette redText = bulkDelete_->palette();
    redText.setColor(QPalette::ButtonText, red);
    bulkDelete_->setPalette(redText);
    if (view.bulkDeleteLabel.isEmpty()) {
        bulkDelete_->setToolButtonStyle(Qt::ToolButtonIconOnly);
        bulkDelete_->setIcon(icons_.icon(QStringLiteral("trash"), red, 14));
        bulkDelete_->setText(QString());
    } else {
        bulkDelete_->setToolButtonStyle(Qt::ToolButtonTextOnly);
        bulkDelete_->setText(escapedMnemonic(view.bulkDeleteLabel));
    }
    bulkDelete_->setToolTip(view.bulkDeleteHelp);
    bulkDelete_->setAccessibleName(view.bulkDeleteLabel.isEmpty() ? view.bulkDeleteHelp
                                                                  : view.bulkDeleteLabel);
    bulkDelete_->setAccessibleDescription(view.bulkDeleteHelp);
    clearSearch_->setVisible(view.clearSearchShown);
    clearSearch_->setIcon(icons_.icon(QStringLiteral("xmark.circle.fill"), secondary, 14));
    clearSearch_->setToolTip(view.clearSearchHelp);
    clearSearch_->setAccessibleName(view.clearSearchHelp);
}
