#include "platform/x11/X11InputSources.h"

#include <xkbcommon/xkbcommon.h>

#include "platform/x11/X11Connection.h"
#include "platform/x11/X11KeyMap.h"

#include "platform/x11/Xlib.h"

namespace {
const QString kIdPrefix = QStringLiteral("xkb.layout.");

// _XKB_RULES_NAMES on the root window: rules, model, layouts, variants, options, each
// NUL-terminated.
QList<QByteArray> rulesNames(Display* display) {
    Atom property = XInternAtom(display, "_XKB_RULES_NAMES", False);
    Atom type = 0;
    int format = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    QList<QByteArray> parts;
    if (XGetWindowProperty(display, DefaultRootWindow(display), property, 0, 1024, False, XA_STRING,
                           &type, &format, &count, &after, &data) == Success &&
        data) {
        parts = QByteArray(reinterpret_cast<const char*>(data), int(count)).split('\0');
        XFree(data);
    }
    return parts;
}

QStringList groupNames(Display* display) {
    QStringList names;
    XkbDescPtr desc = XkbAllocKeyboard();
    if (!desc) {
        return names;
    }
    if (XkbGetNames(display, XkbGroupNamesMask, desc) == Success && desc->names) {
        for (int group = 0; group < XkbNumKbdGroups; ++group) {
            const Atom atom = desc->names->groups[group];
            if (atom == 0) {
                break;
            }
            char* name = XGetAtomName(display, atom);
            names.append(name ? QString::fromUtf8(name) : QString());
            if (name) {
                XFree(name);
            }
        }
    }
    XkbFreeKeyboard(desc, 0, True);
    return names;
}

int lockedGroup(Display* display) {
    XkbStateRec state;
    if (XkbGetState(display, XkbUseCoreKbd, &state) != Success) {
        return -1;
    }
    return state.locked_group;
}
}  // namespace

X11InputSources::X11InputSources(std::shared_ptr<X11Connection> connection)
    : connection_(std::move(connection)), keyMap_(connection_->keyMap()) {}

QStringList X11InputSources::layoutIds() const {
    QStringList ids;
    Display* display = connection_->display();
    if (!display) {
        return ids;
    }
    const QList<QByteArray> parts = rulesNames(display);
    const QList<QByteArray> layouts = parts.value(2).split(',');
    const QList<QByteArray> variants = parts.value(3).split(',');
    for (int i = 0; i < layouts.size() && i < XkbNumKbdGroups; ++i) {
        const QString layout = QString::fromLatin1(layouts[i]).trimmed();
        if (layout.isEmpty()) {
            continue;
        }
        const QString variant = QString::fromLatin1(variants.value(i)).trimmed();
        ids.append(kIdPrefix + layout + (variant.isEmpty() ? QString() : ':' + variant));
    }
    return ids;
}

int X11InputSources::groupOf(const QString& id) const {
    return int(layoutIds().indexOf(id));
}

QList<InputSource> X11InputSources::enabledSources() const {
    QList<InputSource> sources;
    Display* display = connection_->display();
    if (!display) {
        return sources;
    }
    const QStringList ids = layoutIds();
    const QStringList names = groupNames(display);
    for (int group = 0; group < ids.size(); ++group) {
        QString name = names.value(group);
        if (name.isEmpty()) {
            name = ids[group].mid(kIdPrefix.size());
        }
        sources.append(InputSource{ids[group], name});
    }
    return sources;
}

std::optional<InputSource> X11InputSources::currentSource() const {
    Display* display = connection_->display();
    if (!display) {
        return std::nullopt;
    }
    const int group = lockedGroup(display);
    const QList<InputSource> sources = enabledSources();
    if (group < 0 || group >= sources.size()) {
        return std::nullopt;
    }
    return sources[group];
}

int X11InputSources::select(const QString& id) {
    Display* display = connection_->display();
    const int group = groupOf(id);
    if (!display || group < 0) {
        return kUnknownSource;
    }
    if (!XkbLockGroup(display, XkbUseCoreKbd, unsigned(group))) {
        return kServerRefused;
    }
    XSync(display, False);
    return 0;
}

bool X11InputSources::hasKeyMap(const QString& id) const {
    return groupOf(id) >= 0;
}

QString X11InputSources::translateKey(const QString& id, quint16 keyCode, bool shift) const {
    Display* display = connection_->display();
    const int group = groupOf(id);
    if (!display || group < 0) {
        return {};
    }
    const auto xKey = keyMap_.xKeyCode(keyCode);
    if (!xKey) {
        return {};
    }
    const KeySym sym = XkbKeycodeToKeysym(display, XKeyCode(*xKey), group, shift ? 1 : 0);
    if (sym == NoSymbol) {
        return {};
    }
    char buffer[16] = {};
    const int size = xkb_keysym_to_utf8(xkb_keysym_t(sym), buffer, sizeof buffer);
    if (size <= 1) {
        return {};
    }
    const QString text = QString::fromUtf8(buffer, size - 1);
    // Control characters (Tab, Return, Escape) are not text a layout types.
    if (text.size() == 1 && text[0].category() == QChar::Other_Control) {
        return {};
    }
    return text;
}
