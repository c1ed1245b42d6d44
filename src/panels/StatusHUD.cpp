#include "panels/StatusHUD.h"

#include <QFontMetrics>
#include <QHBoxLayout>
#include <QLabel>
#include <algorithm>

#include "theme/TextFit.h"
#include "theme/ThemeIcons.h"

namespace {
constexpr int kPaddingX = 16;
constexpr int kPaddingY = 13;
constexpr int kSpacing = 10;
}  // namespace

StatusHUDModel statusHUDModel(const ActionStatus& status) {
    using Role = NiveloTheme::Role;
    switch (status.kind()) {
        case ActionStatus::Kind::running:
            return {QStringLiteral("progress.indicator"), Role::blue, status.message()};
        case ActionStatus::Kind::done:
            return {QStringLiteral("checkmark.circle.fill"), Role::green, status.message()};
        case ActionStatus::Kind::failed:
            return {QStringLiteral("exclamationmark.triangle.fill"), Role::orange,
                    status.message()};
        case ActionStatus::Kind::idle:
            break;
    }
    return {QStringLiteral("checkmark.circle"), Role::secondaryLabel, QStringLiteral("Ready")};
}

StatusHUD::StatusHUD(QWidget* parent)
    : QWidget(parent), symbol_(new QLabel(this)), text_(new QLabel(this)) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(kPaddingX, kPaddingY, kPaddingX, kPaddingY);
    layout->setSpacing(kSpacing);
    symbol_->setFixedSize(kSymbolPixelSize, kSymbolPixelSize);
    text_->setObjectName(QStringLiteral("statusText"));
    text_->setTextFormat(Qt::PlainText);
    text_->setWordWrap(false);
    layout->addWidget(symbol_, 0, Qt::AlignVCenter);
    layout->addWidget(text_, 0, Qt::AlignVCenter);
    layout->addStretch(1);
    setAccessibleName(QStringLiteral("Status"));
}

void StatusHUD::setStatus(const ActionStatus& status, ColorScheme scheme) {
    model_ = statusHUDModel(status);
    symbol_->setPixmap(ThemeIcons::pixmap(model_.symbol, NiveloTheme::color(model_.color, scheme),
                                          kSymbolPixelSize, devicePixelRatioF()));
    // Named by what it tells; the controller names it in the interface language.
    symbol_->setAccessibleName(
        status.kind() == ActionStatus::Kind::running  ? QStringLiteral("In progress")
        : status.kind() == ActionStatus::Kind::failed ? QStringLiteral("Failed")
                                                      : QStringLiteral("Done"));

    QFont font = NiveloTheme::font(NiveloTheme::FontRole::body);
    font.setPixelSize(kTextPixelSize);
    font.setWeight(QFont::DemiBold);
    // The box grows for a longer message before the text shrinks or is cut: a failure's
    // reason is of no use half read.
    const int chrome = 2 * kMargin + 2 * kPaddingX + kSymbolPixelSize + kSpacing;
    const FittedLine line = fitOneLine(model_.text, font, kMaximumWindowWidth - chrome);
    const int needed = QFontMetrics(line.font).horizontalAdvance(line.text) + 1;
    windowWidth_ = std::clamp(needed + chrome, int(kWindowWidth), int(kMaximumWindowWidth));
    text_->setFont(line.font);
    text_->setText(line.text);
    text_->setAccessibleName(model_.text);
    QPalette palette = text_->palette();
    palette.setColor(QPalette::WindowText, NiveloTheme::color(NiveloTheme::Role::label, scheme));
    text_->setPalette(palette);
}
