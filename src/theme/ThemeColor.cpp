#include "theme/ThemeColor.h"

#include "theme/NiveloTheme.h"

QColor ThemeColor::resolve(const QPalette& palette) const {
    QColor base;
    switch (role) {
        case Role::primary:
            base = palette.color(QPalette::WindowText);
            break;
        case Role::secondary:
            // The floating surface's palette carries the secondary label colour there.
            base = palette.color(QPalette::PlaceholderText);
            break;
        case Role::accent:
            base = palette.color(QPalette::Highlight);
            break;
        case Role::white:
            base = Qt::white;
            break;
        case Role::black:
            base = Qt::black;
            break;
        case Role::clear:
            return Qt::transparent;
    }
    return NiveloTheme::withOpacity(base, opacity);
}
