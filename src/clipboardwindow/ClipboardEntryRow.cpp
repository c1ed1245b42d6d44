#include "clipboardwindow/ClipboardEntryRow.h"

#include <QAccessibleWidget>
#include <QEnterEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QTextLayout>
#include <QToolButton>

#include "theme/NiveloTheme.h"
#include "theme/RoundedBox.h"
#include "theme/ThemeIcons.h"

namespace {

// Enough of the text for four lines: a row never lays out more than this.
QString visibleStart(const QString& text) {
    QString start = text.left(ClipboardWindowLayout::kRowTextLimit);
    int breaks = 0;
    for (qsizetype i = 0; i < start.size(); ++i) {
        if (start[i] == QLatin1Char('\n') && ++breaks == ClipboardWindowLayout::kRowMaximumLines) {
            return start.left(i + 1);
        }
    }
    return start;
}

// A row reads as an item of a list, named by its text, selected while the list's selection is
// on it; pressing it selects it, as a click does.
class EntryRowAccessible : public QAccessibleWidget {
public:
    explicit EntryRowAccessible(ClipboardEntryRow* row)
        : QAccessibleWidget(row, QAccessible::ListItem) {}

    QAccessible::State state() const override {
        QAccessible::State s = QAccessibleWidget::state();
        s.selectable = true;
        s.selected = static_cast<ClipboardEntryRow*>(widget())->isSelected();
        return s;
    }
    QStringList actionNames() const override { return {pressAction()}; }
    void doAction(const QString& name) override {
        if (name == pressAction()) {
            static_cast<ClipboardEntryRow*>(widget())->click();
        }
    }
};

QAccessibleInterface* entryRowAccessible(const QString& className, QObject* object) {
    if (className == QLatin1String("ClipboardEntryRow") && object && object->isWidgetType()) {
        return new EntryRowAccessible(static_cast<ClipboardEntryRow*>(object));
    }
    return nullptr;
}

}  // namespace

ClipboardEntryRow::ClipboardEntryRow(QWidget* parent) : QAbstractButton(parent) {
    static const bool installed = [] {
        QAccessible::installFactory(entryRowAccessible);
        return true;
    }();
    Q_UNUSED(installed);
    setCheckable(true);
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_Hover);
    setAutoExclusive(false);
}

QFont ClipboardEntryRow::textFont(int pixelSize) {
    QFont font = NiveloTheme::font(NiveloTheme::FontRole::body);
    font.setPixelSize(pixelSize);
    font.setWeight(QFont::Normal);
    return font;
}

int ClipboardEntryRow::textWidthFor(int rowWidth, int buttonCount) {
    const int buttons = buttonCount * kButtonSize + std::max(buttonCount - 1, 0) * 2;
    return std::max(rowWidth - 2 * kPadding - (buttonCount ? buttons + kSpacing : 0), 20);
}

QStringList ClipboardEntryRow::textLines(const QString& text, const QFont& font, int textWidth) {
    QString start = visibleStart(text);
    const bool cut = start.size() < text.size();
    start.replace(QLatin1Char('\n'), QChar::LineSeparator);
    start.replace(QLatin1Char('\t'), QLatin1Char(' '));
    QTextLayout layout(start, font);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    QStringList lines;
    int end = 0;
    layout.beginLayout();
    while (lines.size() < ClipboardWindowLayout::kRowMaximumLines) {
        QTextLine line = layout.createLine();
        if (!line.isValid()) {
            break;
        }
        line.setLineWidth(textWidth);
        QString part = start.mid(line.textStart(), line.textLength());
        while (!part.isEmpty() && (part.back() == QChar::LineSeparator || part.back().isSpace())) {
            part.chop(1);
        }
        lines.append(part);
        end = line.textStart() + line.textLength();
    }
    layout.endLayout();
    if (lines.isEmpty()) {
        lines.append(QString());
    }
    if (cut || end < start.size()) {
        const QFontMetrics metrics(font);
        lines.last() =
            metrics.elidedText(lines.last() + QStringLiteral("…"), Qt::ElideRight, textWidth);
    }
    return lines;
}

int ClipboardEntryRow::heightForLines(int lines, const QFont& font) {
    const int caption = QFontMetrics(NiveloTheme::font(NiveloTheme::FontRole::caption)).height();
    const int textHeight = lines * QFontMetrics(font).lineSpacing() + kLineGap + caption;
    return 2 * kPadding + std::max(textHeight, kButtonSize);
}

int ClipboardEntryRow::heightFor(const ClipboardRowView& row, int fontPixelSize, int width) {
    const QFont font = textFont(fontPixelSize);
    return heightForLines(
        int(textLines(row.text, font, textWidthFor(width, int(row.buttons.size()))).size()), font);
}

int ClipboardEntryRow::estimatedHeightFor(const ClipboardRowView& row, int fontPixelSize,
                                          int width) {
    const QFont font = textFont(fontPixelSize);
    const int perLine = std::max(textWidthFor(width, int(row.buttons.size())) /
                                     std::max(QFontMetrics(font).averageCharWidth(), 1),
                                 1);
    int lines = 0;
    for (const QStringView paragraph : QStringView(visibleStart(row.text)).split(u'\n')) {
        lines += std::max(int((paragraph.size() + perLine - 1) / perLine), 1);
        if (lines >= ClipboardWindowLayout::kRowMaximumLines) {
            break;
        }
    }
    return heightForLines(std::clamp(lines, 1, ClipboardWindowLayout::kRowMaximumLines), font);
}

void ClipboardEntryRow::setRow(const ClipboardRowView& row, int fontPixelSize, bool selected) {
    const bool same = row == row_ && fontPixelSize == fontPixelSize_;
    if (selected != isChecked()) {
        setChecked(selected);
        QAccessible::State changed;
        changed.selected = true;
        QAccessibleStateChangeEvent event(this, changed);
        QAccessible::updateAccessibility(&event);
    }
    if (same && !buttons_.isEmpty()) {
        update();
        return;
    }
    row_ = row;
    fontPixelSize_ = fontPixelSize;
    linesWidth_ = -1;
    // The start of the text names the row; the count is its description.
    setAccessibleName(row_.text.left(120).simplified());
    setAccessibleDescription(row_.caption);
    while (buttons_.size() > row_.buttons.size()) {
        delete buttons_.takeLast();
    }
    while (buttons_.size() < row_.buttons.size()) {
        auto* button = new QToolButton(this);
        button->setObjectName(QStringLiteral("rowButton"));
        button->setAutoRaise(true);
        button->setFocusPolicy(Qt::NoFocus);
        button->setFixedSize(kButtonSize, kButtonSize);
        button->setIconSize(QSize(14, 14));
        const int index = int(buttons_.size());
        connect(button, &QToolButton::clicked, this,
                [this, index] { Q_EMIT buttonClicked(index); });
        buttons_.append(button);
        button->show();
    }
    for (int i = 0; i < buttons_.size(); ++i) {
        buttons_[i]->setAccessibleName(row_.buttons[i].label);
        buttons_[i]->setToolTip(row_.buttons[i].help);
    }
    tintButtons();
    placeButtons();
    update();
}

void ClipboardEntryRow::tintButtons() {
    const QColor primary = palette().color(QPalette::WindowText);
    const QColor red = NiveloTheme::color(NiveloTheme::Role::red, NiveloTheme::environmentScheme());
    for (int i = 0; i < buttons_.size(); ++i) {
        const ClipboardButtonView& b = row_.buttons[i];
        buttons_[i]->setIcon(ThemeIcons::icon(b.symbol, b.destructive ? red : primary, 14));
    }
}

void ClipboardEntryRow::changeEvent(QEvent* event) {
    QAbstractButton::changeEvent(event);
    if (event->type() == QEvent::PaletteChange) {
        tintButtons();
    }
}

void ClipboardEntryRow::placeButtons() {
    int x = width() - kPadding - kButtonSize;
    for (int i = int(buttons_.size()) - 1; i >= 0; --i) {
        buttons_[i]->move(x, kPadding - 2);
        x -= kButtonSize + 2;
    }
}

void ClipboardEntryRow::resizeEvent(QResizeEvent* event) {
    QAbstractButton::resizeEvent(event);
    placeButtons();
}

void ClipboardEntryRow::enterEvent(QEnterEvent* event) {
    QAbstractButton::enterEvent(event);
    Q_EMIT entered();
}

void ClipboardEntryRow::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        Q_EMIT doubleClicked();
        return;
    }
    QAbstractButton::mouseDoubleClickEvent(event);
}

void ClipboardEntryRow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor primary = palette().color(QPalette::WindowText);
    using R = ThemeColor::Role;
    RoundedBox::paint(painter, QRectF(rect()),
                      isChecked()
                          ? RoundedBox::Look{.radius = kCornerRadius,
                                             .fill = {R::accent, 0.14},
                                             .stroke = {R::accent, 0.32}}
                          : RoundedBox::Look{.radius = kCornerRadius, .fill = {R::primary, 0.038}},
                      palette());

    const QFont font = textFont(fontPixelSize_);
    const int textWidth = textWidthFor(width(), int(row_.buttons.size()));
    if (linesWidth_ != textWidth) {
        lines_ = textLines(row_.text, font, textWidth);
        linesWidth_ = textWidth;
    }
    painter.setFont(font);
    painter.setPen(primary);
    const QFontMetrics metrics(font);
    int y = kPadding;
    for (const QString& line : lines_) {
        painter.drawText(QRect(kPadding, y, textWidth, metrics.lineSpacing()),
                         Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, line);
        y += metrics.lineSpacing();
    }
    const QFont caption = NiveloTheme::font(NiveloTheme::FontRole::caption);
    painter.setFont(caption);
    painter.setPen(NiveloTheme::withOpacity(primary, 0.6));
    painter.drawText(QRect(kPadding, y + kLineGap, textWidth, QFontMetrics(caption).height()),
                     Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, row_.caption);
}
