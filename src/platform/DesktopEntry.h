#pragma once

#include <QString>
#include <optional>

// The main group of a freedesktop.org desktop entry (*.desktop): what the desktop's menus and
// window matching know about an application.
struct DesktopEntry {
    // The file name without ".desktop": the application's identifier.
    QString id;
    QString path;
    QString type;
    // The untranslated Name; empty when the entry has none.
    QString name;
    // An icon theme name or an absolute path; empty when the entry has none.
    QString icon;

    // None when the file cannot be read, is not named *.desktop or has no [Desktop Entry] group.
    static std::optional<DesktopEntry> read(const QString& path);
    // From the text of an entry; `path` names it.
    static std::optional<DesktopEntry> parse(const QString& path, const QString& text);
};
