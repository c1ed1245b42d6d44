#include "settingswindow/SettingsSidebarRow.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>

#include "settingswindow/ClampedTextLabel.h"
#include "settingswindow/SettingsSidebarIcon.h"
#include "theme/NiveloTheme.h"
#include "theme/RoundedBox.h"

SettingsSidebarRow::SettingsSidebarRow(SettingsPage page, QWidget* parent)
    : QAbstractButton(parent), page_(page) {
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::TabFocus);
    setMinimumHeight(34);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Minimum);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(9, 3, 9, 3);
    layout->setSpacing(10);

    auto* icon = new QLabel(this);
    icon->setPixmap(SettingsSidebarIcon::pixmap(page, devicePixelRatioF()));
    icon->setFixedSize(SettingsSidebarIcon::kSize, SettingsSidebarIcon::kSize);
    icon->setAttribute(Qt::WA_TransparentForMouseEvents);
    layout->addWidget(icon, 0, Qt::AlignVCenter);

    // A long title wraps to a second line and no further.
    title_ = new ClampedTextLabel(kTitleLines, this);
    title_->setAttribute(Qt::WA_TransparentForMouseEvents);
    QFont font = NiveloTheme::font(NiveloTheme::FontRole::body);
    font.setWeight(QFont::Medium);
    title_->setFont(font);
    title_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    layout->addWidget(title_, 1, Qt::AlignVCenter);
}

void SettingsSidebarRow::setTitle(const QString& title) {
    title_->setFullText(title);
    setText(title);
    setAccessibleName(title);
}

QString SettingsSidebarRow::title() const {
    return title_->fullText();
}

QString SettingsSidebarRow::shownTitle() const {
    return title_->text();
}

void SettingsSidebarRow::setSelected(bool selected) {
    if (selected_ != selected) {
        selected_ = selected;
        update();
    }
}

void SettingsSidebarRow::paintEvent(QPaintEvent*) {
    if (!selected_ && !hasFocus()) {
        return;
    }
    QPainter painter(this);
    using R = ThemeColor::Role;
    // Selected: lit; focused only: outlined in the accent.
    RoundedBox::paint(
        painter, QRectF(rect()),
        selected_
            ? RoundedBox::Look{.radius = 12, .fill = {R::primary, 0.10}, .stroke = {R::white, 0.08}}
            : RoundedBox::Look{.radius = 12, .stroke = {R::accent}},
        palette());
}
