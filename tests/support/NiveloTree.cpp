#include "support/NiveloTree.h"

#include <QProcessEnvironment>

#include "support/XSession.h"

#include <atspi/atspi.h>

namespace {
QRect extents(AtspiAccessible* node) {
    AtspiComponent* component = atspi_accessible_get_component_iface(node);
    if (!component) {
        return {};
    }
    AtspiRect* r = atspi_component_get_extents(component, ATSPI_COORD_TYPE_SCREEN, nullptr);
    QRect rect;
    if (r) {
        rect = QRect(r->x, r->y, r->width, r->height);
        g_free(r);
    }
    g_object_unref(component);
    return rect;
}

template <typename Visit>
bool walk(AtspiAccessible* node, Visit& visit, int depth) {
    if (depth > 40) {
        return false;
    }
    AtspiStateSet* states = atspi_accessible_get_state_set(node);
    const bool showing = states && atspi_state_set_contains(states, ATSPI_STATE_SHOWING);
    if (states) {
        g_object_unref(states);
    }
    if (depth > 1 && !showing) {
        return false;
    }
    if (visit(node)) {
        return true;
    }
    const int children = atspi_accessible_get_child_count(node, nullptr);
    for (int i = 0; i < children; ++i) {
        AtspiAccessible* child = atspi_accessible_get_child_at_index(node, i, nullptr);
        if (!child) {
            continue;
        }
        const bool done = walk(child, visit, depth + 1);
        g_object_unref(child);
        if (done) {
            return true;
        }
    }
    return false;
}

template <typename Visit>
void forEachShowing(qint64 pid, Visit visit) {
    AtspiAccessible* desktop = atspi_get_desktop(0);
    const int apps = atspi_accessible_get_child_count(desktop, nullptr);
    for (int i = 0; i < apps; ++i) {
        AtspiAccessible* app = atspi_accessible_get_child_at_index(desktop, i, nullptr);
        if (!app) {
            continue;
        }
        const bool ours = atspi_accessible_get_process_id(app, nullptr) == guint(pid);
        const bool done = ours && walk(app, visit, 0);
        g_object_unref(app);
        if (done) {
            break;
        }
    }
    g_object_unref(desktop);
}
}  // namespace

NiveloTree::NiveloTree(const XSession& session, qint64 pid) : pid_(pid) {
    const QProcessEnvironment env = session.environment();
    qputenv("DISPLAY", env.value("DISPLAY").toLocal8Bit());
    qputenv("DBUS_SESSION_BUS_ADDRESS", env.value("DBUS_SESSION_BUS_ADDRESS").toLocal8Bit());
    atspi_init();
}

std::optional<QRect> NiveloTree::find(const QString& name) const {
    std::optional<QRect> found;
    forEachShowing(pid_, [&](AtspiAccessible* node) {
        gchar* raw = atspi_accessible_get_name(node, nullptr);
        const bool match = raw && QString::fromUtf8(raw) == name;
        g_free(raw);
        if (match) {
            found = extents(node);
        }
        return match;
    });
    return found;
}

void clickAt(const XSession& session, const QRect& rect) {
    session.xdotool({"mousemove", QString::number(rect.center().x()),
                     QString::number(rect.center().y()), "click", "1"});
}
