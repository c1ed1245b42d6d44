#pragma once

#include <QColor>
#include <QPainterPath>
#include <QWidget>

#include "theme/NiveloTheme.h"

// A window background in one of the system's materials. X11 has no blur behind a window, so
// every material is a flat, opaque fill of the window's light or dark scheme; the blending
// mode and the state are kept so that callers state what they mean, and change nothing drawn.
class VisualEffectBackground : public QWidget {
    Q_OBJECT
public:
    enum class Material { underWindowBackground, sidebar };
    enum class BlendingMode { behindWindow, withinWindow };
    enum class State { followsWindowActiveState, active, inactive };

    VisualEffectBackground(Material material, BlendingMode blendingMode, State state,
                           QWidget* parent = nullptr);

    // Sets the three values again, in place: a shown background repaints, it is not rebuilt.
    void setEffect(Material material, BlendingMode blendingMode, State state);
    Material material() const { return material_; }
    BlendingMode blendingMode() const { return blendingMode_; }
    State state() const { return state_; }

    // The flat fill a material stands for in a scheme.
    static QColor materialColor(Material material, ColorScheme scheme);
    // The fill this background paints now: its material in its palette's scheme.
    QColor fill() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    // The area the material covers; the whole widget unless a subclass shapes it.
    virtual QPainterPath materialShape() const;
    // What a subclass lays over the material, inside the shape.
    virtual void paintOverMaterial(QPainter& painter);

private:
    Material material_;
    BlendingMode blendingMode_;
    State state_;
};
