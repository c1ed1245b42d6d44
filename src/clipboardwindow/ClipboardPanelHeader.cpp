#include "clipboardwindow/ClipboardPanelHeader.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QToolButton>

#include "clipboardwindow/ClipboardControls.h"
#include "clipboardwindow/ClipboardWindowModel.h"
#include "clipboardwindow/ClipboardWindowView.h"
#include "theme/IconCache.h"
#include "theme/NiveloTheme.h"
#include "theme/RoundedBox.h"
#include "theme/SampleLetter.h"
#include "theme/ThemeIcons.h"
#include "theme/WindowDragHandle.h"

using namespace clipboardControls;

ClipboardPanelHeader::ClipboardPanelHeader(ClipboardWindowModel& model, IconCache& icons,
                                           QWidget* parent)
    : QWidget(parent), model_(model), icons_(icons) {
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(8);
    // Keeps the title clear of the close control.
    row->addSpacing(18);
    titleIcon_ = new QLabel(this);
    titleIcon_->setTextFormat(Qt::PlainText);
    titleIcon_->setAccessibleName(QStringLiteral("Clipboard"));
    row->addWidget(titleIcon_);
    title_ = new QLabel(this);
    title_->setTextFormat(Qt::PlainText);
    title_->setFont(NiveloTheme::font(NiveloTheme::FontRole::headline));
    row->addWidget(title_);
    auto* drag = new WindowDragHandle(this);
    drag->setFixedHeight(28);
    drag->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    row->addWidget(drag, 1);

    fontControls_ = new RoundedBox(QString(), RoundedBox::textCapsule(0.045, 0.07), this);
    auto* font = new QHBoxLayout(fontControls_);
    font->setContentsMargins(4, 3, 4, 3);
    font->setSpacing(2);
    QFont symbolFont = NiveloTheme::font(NiveloTheme::FontRole::body);
    symbolFont.setPixelSize(14);
    symbolFont.setWeight(QFont::DemiBold);
    decrease_ = iconButton(fontControls_, QStringLiteral("Decrease text"));
    decrease_->setObjectName(QStringLiteral("decreaseText"));
    decrease_->setText(QString(QChar(0x2212)));
    decrease_->setFont(symbolFont);
    decrease_->setFixedSize(23, 22);
    connect(decrease_, &QToolButton::clicked, this,
            [this] { model_.setContentFontSize(model_.contentFontSize() - 1); });
    sampleLetter_ = new SampleLetter(fontControls_);
    sampleLetter_->setObjectName(QStringLiteral("sampleLetter"));
    sampleLetter_->setAccessibleName(QStringLiteral("Text size"));
    increase_ = iconButton(fontControls_, QStringLiteral("Increase text"));
    increase_->setObjectName(QStringLiteral("increaseText"));
    increase_->setText(QStringLiteral("+"));
    increase_->setFont(symbolFont);
    increase_->setFixedSize(23, 22);
    connect(increase_, &QToolButton::clicked, this,
            [this] { model_.setContentFontSize(model_.contentFontSize() + 1); });
    font->addWidget(decrease_);
    font->addWidget(sampleLetter_);
    font->addWidget(increase_);
    row->addWidget(fontControls_);

    clearHistory_ = iconButton(this, QStringLiteral("Clear clipboard history"));
    connect(clearHistory_, &QToolButton::clicked, this, [this] { model_.clearHistory(); });
    row->addWidget(clearHistory_);
}

void ClipboardPanelHeader::refresh(const ClipboardWindowView& view) {
    const QColor primary = primaryOf(this);
    const QColor secondary = NiveloTheme::withOpacity(primary, 0.6);
    titleIcon_->setPixmap(
        ThemeIcons::pixmap(QStringLiteral("clipboard"), primary, 15, devicePixelRatioF()));
    title_->setText(view.title);
    title_->setAccessibleName(view.title);
    fontControls_->setToolTip(view.fontHelp);
    fontControls_->setAccessibleName(view.fontHelp);
    decrease_->setToolTip(view.decreaseHelp);
    decrease_->setAccessibleName(view.decreaseHelp);
    decrease_->setEnabled(view.decreaseEnabled);
    increase_->setToolTip(view.increaseHelp);
    increase_->setAccessibleName(view.increaseHelp);
    increase_->setEnabled(view.increaseEnabled);
    sampleLetter_->setTarget(view.sampleLetterPixelSize);
    sampleLetter_->setAccessibleName(view.fontHelp);
    clearHistory_->setVisible(view.clearHistoryShown);
    clearHistory_->setEnabled(view.clearHistoryEnabled);
    clearHistory_->setIcon(
        icons_.icon(QStringLiteral("trash"), view.clearHistoryEnabled ? redOf() : secondary, 14));
    clearHistory_->setToolTip(view.clearHistoryHelp);
    clearHistory_->setAccessibleName(view.clearHistoryHelp);
}
