#include "assistant/AssistantColor.h"

#include "theme/NiveloTheme.h"

QColor assistantSecondaryColor(const QPalette& palette) {
    // The floating surface's palette carries the secondary label colour there.
    return palette.color(QPalette::PlaceholderText);
}

QColor AssistantColor::resolve(const QPalette& palette) const {
    QColor base;
    switch (role) {
        case Role::primary:
            base = palette.color(QPalette::WindowText);
            break;
        case Role::secondary:
            base = assistantSecondaryColor(palette);
            break;
        case Role::accent:
            base = palette.color(QPalette::Highlight);
            break;
        case Role::white:
            base = Qt::white;
            break;
        case Role::clear:
            return Qt::transparent;
    }
    return NiveloTheme::withOpacity(base, opacity);
}
