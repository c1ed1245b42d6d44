// The painted box every window's cards, capsules and bubbles lie on.

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

#include "theme/RoundedBox.h"

namespace {

QPalette paletteWith(const QColor& window, const QColor& text) {
    QPalette palette;
    palette.setColor(QPalette::Window, window);
    palette.setColor(QPalette::WindowText, text);
    palette.setColor(QPalette::PlaceholderText, QColor(0, 0, 200));
    palette.setColor(QPalette::Highlight, QColor(200, 0, 0));
    return palette;
}

// The box drawn alone on an opaque white image.
QImage drawn(const RoundedBox::Look& look, const QPalette& palette, QSize size = {60, 30}) {
    RoundedBox box(QStringLiteral("Box"), look);
    box.setPalette(palette);
    box.resize(size);
    QImage image(size, QImage::Format_ARGB32);
    image.fill(Qt::white);
    box.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    return image;
}

// The look painted by a control of its own at offset, on an opaque white image.
QImage painted(const RoundedBox::Look& look, const QPalette& palette, QPoint offset,
               QSize size = {60, 30}) {
    QImage image(size + QSize(offset.x(), offset.y()), QImage::Format_ARGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    RoundedBox::paint(painter, QRectF(QRect(offset, size)), look, palette);
    return image;
}

}  // namespace

TEST(RoundedBox, FillsWithItsRoleAndScheme) {
    const QPalette light = paletteWith(Qt::white, Qt::black);
    const QPalette dark = paletteWith(QColor(30, 30, 30), Qt::white);
    using R = ThemeColor::Role;
    // Look, palette, colour in the middle.
    const std::tuple<RoundedBox::Look, QPalette, QColor> cases[] = {
        {{.radius = 8, .fill = {R::primary, 1.0}}, light, Qt::black},
        {{.radius = 8, .fill = {R::primary, 1.0}}, dark, Qt::white},
        {{.radius = 8, .fill = {R::accent, 1.0}}, light, QColor(200, 0, 0)},
        {{.radius = 8, .fill = {R::secondary, 1.0}}, light, QColor(0, 0, 200)},
        {{.radius = 0, .fill = {R::black, 0.5}}, light, QColor(127, 127, 127)},
        {{.radius = 8, .fill = {R::black, 1.0}, .darkFill = ThemeColor{R::white, 1.0}},
         light,
         Qt::black},
        {{.radius = 8, .fill = {R::black, 1.0}, .darkFill = ThemeColor{R::white, 1.0}},
         dark,
         Qt::white},
        {{.radius = 8, .fill = {R::clear}}, light, Qt::white},
    };
    for (const auto& [look, palette, expected] : cases) {
        const QColor middle = drawn(look, palette).pixelColor(30, 15);
        EXPECT_LE(std::abs(middle.red() - expected.red()) +
                      std::abs(middle.green() - expected.green()) +
                      std::abs(middle.blue() - expected.blue()),
                  3)
            << middle.name().toStdString() << " for " << expected.name().toStdString();
    }
}

TEST(RoundedBox, CornersFollowTheShapeAndTheOutlineLiesInside) {
    const QPalette light = paletteWith(Qt::white, Qt::black);
    using R = ThemeColor::Role;
    // A plain rectangle reaches its corner; a rounded box and a capsule leave it clear.
    EXPECT_EQ(drawn({.fill = {R::primary}}, light).pixelColor(0, 0), QColor(Qt::black));
    EXPECT_EQ(drawn({.radius = 8, .fill = {R::primary}}, light).pixelColor(0, 0),
              QColor(Qt::white));
    // A capsule's radius is half its height: a point a 10 px radius would cover stays clear.
    const QImage capsule = drawn({.radius = 2, .capsule = true, .fill = {R::primary}}, light);
    EXPECT_EQ(capsule.pixelColor(3, 3), QColor(Qt::white));
    EXPECT_EQ(capsule.pixelColor(30, 1), QColor(Qt::black));
    // The outline's colour shows on the edge, not in the middle, either way of filling.
    for (const bool toEdge : {false, true}) {
        const QImage box = drawn(
            {.radius = 6, .fill = {R::white}, .stroke = {R::accent}, .fillsToEdge = toEdge}, light);
        EXPECT_GT(box.pixelColor(30, 0).red(), 150) << toEdge;
        EXPECT_LT(box.pixelColor(30, 0).green(), 150) << toEdge;
        EXPECT_EQ(box.pixelColor(30, 15), QColor(Qt::white)) << toEdge;
    }
}

TEST(RoundedBox, IsNamedAndKeepsItsLook) {
    RoundedBox box(QStringLiteral("Search"), {.radius = 4});
    EXPECT_EQ(box.accessibleName(), "Search");
    RoundedBox::Look look = box.look();
    look.fill = {ThemeColor::Role::primary, 0.2};
    box.setLook(look);
    EXPECT_EQ(box.look().fill.opacity, 0.2);
}

TEST(RoundedBox, ControlsPaintTheBoxAsItDrawsItselfWhereverTheyAsk) {
    const QPalette light = paletteWith(Qt::white, Qt::black);
    const QPalette dark = paletteWith(QColor(30, 30, 30), Qt::white);
    using R = ThemeColor::Role;
    const RoundedBox::Look looks[] = {
        {.fill = {R::primary, 0.3}},
        {.radius = 9, .fill = {R::accent, 0.14}, .stroke = {R::accent, 0.32}},
        {.capsule = true, .fill = {R::primary, 0.1}, .stroke = {R::primary, 0.2}},
        {.radius = 11, .fill = {R::primary, 0.4}, .stroke = {R::white, 0.5}, .fillsToEdge = true},
        {.radius = 6, .fill = {R::black, 0.5}, .darkFill = ThemeColor{R::white, 0.5}},
        {.radius = 12, .stroke = {R::accent}},
    };
    for (const QPalette& palette : {light, dark}) {
        for (const RoundedBox::Look& look : looks) {
            const QImage box = drawn(look, palette);
            EXPECT_EQ(painted(look, palette, {}), box) << look.radius;
            // Painted further in, the same pixels move with it.
            EXPECT_EQ(painted(look, palette, {7, 4}).copy(7, 4, 60, 30), box) << look.radius;
        }
    }
}

TEST(RoundedBox, PaintingLeavesTheControlsPainterAsItWas) {
    QImage image(40, 20, QImage::Format_ARGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    const QPen pen(Qt::green, 3);
    painter.setPen(pen);
    painter.setBrush(Qt::blue);
    painter.setOpacity(0.5);
    RoundedBox::paint(
        painter, QRectF(0, 0, 40, 20),
        {.radius = 5, .fill = {ThemeColor::Role::primary}, .stroke = {ThemeColor::Role::accent}},
        paletteWith(Qt::white, Qt::black));
    EXPECT_EQ(painter.pen(), pen);
    EXPECT_EQ(painter.brush(), QBrush(Qt::blue));
    EXPECT_EQ(painter.opacity(), 0.5);
    EXPECT_FALSE(painter.testRenderHint(QPainter::Antialiasing));
    painter.end();
    // Drawn at the painter's opacity: the black fill is half grey.
    EXPECT_NEAR(image.pixelColor(20, 10).red(), 127, 2);
}
