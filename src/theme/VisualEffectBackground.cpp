#include "theme/VisualEffectBackground.h"

#include <QPainter>

VisualEffectBackground::VisualEffectBackground(Material material, BlendingMode blendingMode,
                                               State state, QWidget* parent)
    : QWidget(parent), material_(material), blendingMode_(blendingMode), state_(state) {
    // Decoration only: assistive tools skip it, the pointer passes to what lies above.
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAccessibleName(QStringLiteral("Background"));
}

void VisualEffectBackground::setEffect(Material material, BlendingMode blendingMode, State state) {
    material_ = material;
    blendingMode_ = blendingMode;
    state_ = state;
    update();
}

QColor VisualEffectBackground::materialColor(Material material, ColorScheme scheme) {
    const bool dark = scheme == ColorScheme::dark;
    switch (material) {
        case Material::underWindowBackground:
            return dark ? QColor(30, 30, 33) : QColor(236, 236, 238);
        case Material::sidebar:
            return dark ? QColor(42, 42, 46) : QColor(226, 226, 230);
    }
    return dark ? QColor(30, 30, 33) : QColor(236, 236, 238);
}

QColor VisualEffectBackground::fill() const {
    const ColorScheme scheme = palette().color(QPalette::Window).lightness() < 128
                                   ? ColorScheme::dark
                                   : ColorScheme::light;
    return materialColor(material_, scheme);
}

QPainterPath VisualEffectBackground::materialShape() const {
    QPainterPath path;
    path.addRect(QRectF(rect()));
    return path;
}

void VisualEffectBackground::paintOverMaterial(QPainter&) {}

void VisualEffectBackground::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QPainterPath shape = materialShape();
    painter.setClipPath(shape);
    painter.fillPath(shape, fill());
    paintOverMaterial(painter);
}
