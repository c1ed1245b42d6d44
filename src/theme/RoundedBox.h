#pragma once

#include <QWidget>
#include <optional>

#include "theme/ThemeColor.h"

class QPainter;

// The painted box other controls lie on: a rounded rectangle or capsule with a fill and an
// optional 1 px outline. Its layout, if any, sets the padding.
class RoundedBox : public QWidget {
    Q_OBJECT
public:
    struct Look {
        // Zero, and not a capsule: a plain rectangle, however thin.
        double radius = 0;
        // Half the height, whatever the radius says.
        bool capsule = false;
        ThemeColor fill;
        ThemeColor stroke;
        // The fill in a dark palette, when it differs.
        std::optional<ThemeColor> darkFill;
        // Cards fill up to their edge and draw the outline half a pixel inside it; panel boxes
        // fill and outline one path half a pixel inside.
        bool fillsToEdge = false;
        bool operator==(const Look&) const = default;
    };

    // A capsule in the text colour, as under a text-size control or a search field; no
    // outline at a zero stroke opacity.
    static Look textCapsule(double fillOpacity, double strokeOpacity);

    // Paints a box of this look as a RoundedBox filling bounds would, and leaves the painter's
    // state as it was: for controls that paint themselves, such as a row lit while hovered.
    static void paint(QPainter& painter, const QRectF& bounds, const Look& look,
                      const QPalette& palette);

    // name: what the box holds, for assistive tools.
    RoundedBox(const QString& name, const Look& look, QWidget* parent = nullptr);

    const Look& look() const { return look_; }
    void setLook(const Look& look);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Look look_;
};
