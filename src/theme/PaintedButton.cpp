#include "theme/PaintedButton.h"

#include <QEvent>
#include <QFontMetrics>
#include <QPainter>
#include <cmath>

#include "theme/NiveloTheme.h"
#include "theme/RoundedBox.h"
#include "theme/ThemeIcons.h"

namespace {

int glyphsWidth(const QList<PaintedButton::Glyph>& glyphs, int spacing) {
    int width = 0;
    for (const PaintedButton::Glyph& glyph : glyphs) {
        width += glyph.pixelSize + spacing;
    }
    return width;
}

}  // namespace

PaintedButton::PaintedButton(QWidget* parent) : QAbstractButton(parent) {
    setFocusPolicy(Qt::TabFocus);
    setCursor(Qt::PointingHandCursor);
}

void PaintedButton::setLook(const Look& look) {
    if (look == look_) {
        return;
    }
    // A button with a text is named by it, unless a caller gave it a name of its own.
    if (!look.text.isEmpty() && (accessibleName().isEmpty() || accessibleName() == look_.text)) {
        setAccessibleName(look.text);
    }
    const bool resized = look.leading != look_.leading || look.text != look_.text ||
                         look.font != look_.font || look.trailing != look_.trailing ||
                         look.padding != look_.padding || look.fixedWidth != look_.fixedWidth ||
                         look.fixedHeight != look_.fixedHeight || look.spacing != look_.spacing;
    look_ = look;
    if (resized) {
        updateGeometry();
    }
    update();
}

int PaintedButton::textWidth() const {
    // Whole pixels, rounded up, so the text is never elided in its own width.
    return int(std::ceil(QFontMetricsF(look_.font).horizontalAdvance(look_.text)));
}

QSize PaintedButton::contentSize() const {
    const QFontMetrics metrics(look_.font);
    int width =
        glyphsWidth(look_.leading, look_.spacing) + glyphsWidth(look_.trailing, look_.spacing);
    int height = 0;
    for (const auto* glyphs : {&look_.leading, &look_.trailing}) {
        for (const Glyph& glyph : *glyphs) {
            height = std::max(height, glyph.pixelSize);
        }
    }
    if (!look_.text.isEmpty()) {
        width += textWidth();
        height = std::max(height, metrics.height());
    } else if (width > 0) {
        // No text: the last glyph's spacing trails nothing.
        width -= look_.spacing;
    }
    return {width, height};
}

QSize PaintedButton::sizeHint() const {
    const QSize content = contentSize();
    const int width = content.width() + look_.padding.left() + look_.padding.right();
    const int height = content.height() + look_.padding.top() + look_.padding.bottom();
    return {look_.fixedWidth > 0 ? look_.fixedWidth : width,
            look_.fixedHeight > 0 ? look_.fixedHeight : height};
}

void PaintedButton::changeEvent(QEvent* event) {
    if (event->type() == QEvent::EnabledChange || event->type() == QEvent::PaletteChange) {
        update();
    }
    QAbstractButton::changeEvent(event);
}

void PaintedButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    if (!isEnabled() && look_.dimsWhenDisabled) {
        painter.setOpacity(0.4);
    }
    const QPalette& pal = palette();
    const QRectF box = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    if (look_.shape != Shape::none) {
        RoundedBox::paint(painter, QRectF(rect()),
                          {.radius = look_.cornerRadius,
                           .capsule = look_.shape == Shape::capsule,
                           .fill = look_.fill,
                           .stroke = look_.stroke},
                          pal);
    }
    if (hasFocus()) {
        painter.setPen(QPen(NiveloTheme::withOpacity(pal.color(QPalette::Highlight), 0.7), 1.5));
        painter.setBrush(Qt::NoBrush);
        painter.drawRoundedRect(box.adjusted(1, 1, -1, -1), 6, 6);
    }

    // The content is centred in the box.
    const QColor foreground = look_.foreground.resolve(pal);
    const QFontMetrics metrics(look_.font);
    const QSize natural = contentSize();
    const QRect content = rect().marginsRemoved(look_.padding);
    int x = content.left() + std::max(0, (content.width() - natural.width()) / 2);
    const int midY = content.top() + content.height() / 2;
    const auto drawGlyph = [&](const Glyph& glyph) {
        painter.drawPixmap(
            x, midY - glyph.pixelSize / 2,
            ThemeIcons::pixmap(glyph.symbol, foreground, glyph.pixelSize, devicePixelRatioF()));
        x += glyph.pixelSize + look_.spacing;
    };
    for (const Glyph& glyph : look_.leading) {
        drawGlyph(glyph);
    }
    if (!look_.text.isEmpty()) {
        painter.setFont(look_.font);
        painter.setPen(foreground);
        const int room = std::max(content.x() + content.width() - x, 0);
        const int width = std::min(textWidth(), room);
        const QString shown = width < textWidth()
                                  ? metrics.elidedText(look_.text, Qt::ElideRight, width)
                                  : look_.text;
        painter.drawText(QRect(x, content.top(), width, content.height()),
                         Qt::AlignVCenter | Qt::AlignLeft | Qt::TextSingleLine, shown);
        x += width + look_.spacing;
    }
    for (const Glyph& glyph : look_.trailing) {
        drawGlyph(glyph);
    }
}
