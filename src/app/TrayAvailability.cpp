#include "app/TrayAvailability.h"

#include <QSystemTrayIcon>
#include <memory>
#include <optional>

#include "platform/x11/X11SelectionWatch.h"

std::function<bool()> trayAvailability(const X11SelectionWatch& watch, std::function<bool()> ask) {
    if (!ask) {
        ask = [] { return QSystemTrayIcon::isSystemTrayAvailable(); };
    }
    struct Known {
        std::optional<qint64> count;
        bool available = false;
    };
    auto known = std::make_shared<Known>();
    return [&watch, ask = std::move(ask), known] {
        if (!watch.isWatching() || known->count != watch.changeCount()) {
            known->count = watch.changeCount();
            known->available = ask();
        }
        return known->available;
    };
}
