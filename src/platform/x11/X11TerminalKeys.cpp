#include "platform/x11/X11TerminalKeys.h"

namespace {
const TerminalKeys kShifted{TerminalShortcut{KeyCode::C, KeyModifier::Control | KeyModifier::Shift},
                            TerminalShortcut{KeyCode::V, KeyModifier::Control | KeyModifier::Shift},
                            false};
const TerminalKeys kPrimary{std::nullopt, TerminalShortcut{KeyCode::Insert, KeyModifier::Shift},
                            true};
}  // namespace

const QList<TerminalEntry>& terminalTable() {
    // Window classes as the terminals set them (instance or class part), lower case. Those
    // Debian ships, and a few common elsewhere. A terminal whose copy and paste keys are not
    // certain goes through PRIMARY: every X terminal selects into it and pastes it on
    // Shift+Insert.
    static const QList<TerminalEntry> table{
        // The xterm family and the rxvt line: no clipboard keys.
        {"xterm", kPrimary},
        {"uxterm", kPrimary},
        {"lxterm", kPrimary},
        {"koi8rxterm", kPrimary},
        {"xiterm", kPrimary},
        {"xgterm", kPrimary},
        {"kterm", kPrimary},
        {"urxvt", kPrimary},
        {"rxvt", kPrimary},
        {"rxvt-unicode", kPrimary},
        {"aterm", kPrimary},
        {"eterm", kPrimary},
        {"mlterm", kPrimary},
        {"pterm", kPrimary},
        // Started through the alternatives link, an unknown terminal still names itself so.
        {"x-terminal-emulator", kPrimary},
        // Control+Shift+C/V.
        {"gnome-terminal", kShifted},
        {"gnome-terminal-server", kShifted},
        {"kgx", kShifted},
        {"org.gnome.console", kShifted},
        {"konsole", kShifted},
        {"yakuake", kShifted},
        {"xfce4-terminal", kShifted},
        {"mate-terminal", kShifted},
        {"lxterminal", kShifted},
        {"qterminal", kShifted},
        {"tilix", kShifted},
        {"com.gexperts.tilix", kShifted},
        {"terminator", kShifted},
        {"terminology", kShifted},
        {"termit", kShifted},
        {"sakura", kShifted},
        {"alacritty", kShifted},
        {"kitty", kShifted},
        {"foot", kShifted},
        {"footclient", kShifted},
        {"zutty", kShifted},
        {"deepin-terminal", kShifted},
        {"cool-retro-term", kShifted},
        {"st", kShifted},
        {"st-256color", kShifted},
        {"stterm", kShifted},
        {"guake", kShifted},
        {"tilda", kShifted},
        {"roxterm", kShifted},
        {"wezterm", kShifted},
        {"org.wezfurlong.wezterm", kShifted},
        {"ghostty", kShifted},
        {"com.mitchellh.ghostty", kShifted},
        {"ptyxis", kShifted},
        {"org.gnome.ptyxis", kShifted},
    };
    return table;
}

std::optional<TerminalKeys> terminalKeysFor(const QStringList& windowClass) {
    // The class first: an instance name may be only the name the program was started under.
    for (auto part = windowClass.crbegin(); part != windowClass.crend(); ++part) {
        const QString name = part->toLower();
        for (const TerminalEntry& entry : terminalTable()) {
            if (entry.windowClass == name) {
                return entry.keys;
            }
        }
    }
    return std::nullopt;
}
