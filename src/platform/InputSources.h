#pragma once

#include <QList>
#include <QString>
#include <QtGlobal>
#include <optional>

// One enabled keyboard layout.
struct InputSource {
    QString id;    // stable identifier, e.g. "xkb.layout.ru"
    QString name;  // the name shown to the user, e.g. "Russian"

    friend bool operator==(const InputSource&, const InputSource&) = default;
};

// The keyboard layouts the user has enabled, and key translation within them.
class InputSources {
public:
    virtual ~InputSources() = default;

    // The enabled keyboard layouts in the system's order (empty when the system gives none).
    virtual QList<InputSource> enabledSources() const = 0;
    // The layout in use now; none when the system does not say.
    virtual std::optional<InputSource> currentSource() const = 0;
    // Makes the layout with this id current. Returns 0, or a non-zero status on failure.
    virtual int select(const QString& id) = 0;

    // Whether key translation data is available for the layout.
    virtual bool hasKeyMap(const QString& id) const = 0;
    // The text the key types in the layout, with or without Shift; empty when it types
    // nothing. Key codes are the platform-neutral numbers (A = 0, S = 1, ..., Space = 49).
    virtual QString translateKey(const QString& id, quint16 keyCode, bool shift) const = 0;
};
