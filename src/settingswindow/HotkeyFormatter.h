#pragma once

#include <QString>
#include <optional>

class KeyMap;
class QKeyEvent;

// The hot-key texts the recorder stores ("Command+Alt+K", modifiers in a fixed order, then
// the key) and the form in which a stored one is shown ("⌘ ⌥ K").
namespace HotkeyFormatter {

inline constexpr char16_t notAssigned[] = u"Not assigned";

// What a press means to the recorder before any name is looked for.
enum class Command { none, cancel, clear };
// Escape cancels and Backspace or Delete clear, whatever the modifiers; decided by the key's
// symbol, so a remapped or keypad key does the same.
Command command(const QKeyEvent& event);

// The hot-key text of a press; none when the key has no name or no modifier is held. The
// physical key decides the name through `keys`, so the layout and Shift do not change it.
std::optional<QString> capture(const QKeyEvent& event, KeyMap* keys);

// The shown form of a stored text: "Not assigned" for none, else the parts as symbols joined
// by spaces.
QString display(const QString& hotkey);

}  // namespace HotkeyFormatter
