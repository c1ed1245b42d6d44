#pragma once

#include <QString>

class Pasteboard;

// Keeps the clipboard alive after we exit. X11 clipboard content lives in its owner: when we
// own it (a restored clipboard is ours) and quit, it would be gone. A clipboard manager takes
// it over through Qt's SAVE_TARGETS hand-over as the application object goes; without one, a
// small process of our own binary keeps serving it until another client copies something.
namespace X11ClipboardKeeper {

// The command-line switch of the serving mode: `nivelo --serve-clipboard FILE`.
inline constexpr char kServeSwitch[] = "--serve-clipboard";

// At exit, before the application object goes. Starts `program --serve-clipboard FILE` when
// we own the clipboard and no clipboard manager runs, and waits (at most `waitMs`) until it
// owns the clipboard. True when somebody keeps the content.
bool handOver(const Pasteboard& pasteboard, const QString& program, int waitMs = 3000);

// The serving mode: takes the clipboard with the content saved in `file` (and deletes the
// file), serves it until another client takes the clipboard, then returns 0. Builds its own
// application object.
int serve(int argc, char** argv, const QString& file);

// Whether a clipboard manager runs on the display.
bool managerRuns();

}  // namespace X11ClipboardKeeper
