#pragma once

#include <QAbstractButton>
#include <QFont>
#include <QList>
#include <QMargins>
#include <QString>

#include "theme/ThemeColor.h"

// A painted control of the panels: symbols and an optional one-line text on an
// optional capsule or rounded rectangle. Its text is drawn as plain text (no mnemonics).
class PaintedButton : public QAbstractButton {
    Q_OBJECT
public:
    struct Glyph {
        QString symbol;
        int pixelSize = 14;
        bool operator==(const Glyph&) const = default;
    };
    enum class Shape { none, capsule, roundedRect };
    struct Look {
        QList<Glyph> leading;
        QString text;
        QFont font;
        QList<Glyph> trailing;
        int spacing = 5;
        QMargins padding;
        // Zero for the natural size in that direction.
        int fixedWidth = 0;
        int fixedHeight = 0;
        Shape shape = Shape::none;
        // Zero: a plain rectangle without outline, as RoundedBox draws one.
        double cornerRadius = 0;
        ThemeColor fill;
        ThemeColor stroke;
        ThemeColor foreground{ThemeColor::Role::secondary};
        // Drawn at a lower opacity while disabled.
        bool dimsWhenDisabled = true;
        bool operator==(const Look&) const = default;
    };

    explicit PaintedButton(QWidget* parent = nullptr);

    void setLook(const Look& look);
    const Look& look() const { return look_; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    // The symbols and text without padding.
    QSize contentSize() const;
    int textWidth() const;

    Look look_;
};
