#pragma once

typedef struct _XDisplay Display;

// A key bound to no symbol in any group or level: a key event of it types nothing and is no
// accelerator, in any application. Sent to a window that saw Alt go down, it stands for a key
// pressed with Alt held, so that Alt coming up is no tap that opens a Qt or KDE menu bar.
namespace x11HarmlessKey {

// The highest such key code of the display's keyboard, or 0 when every key is bound.
unsigned find(Display* display);

// Sends a press and a release of `keycode` with `state` to `window` as sent events (they go
// out at once, ahead of anything a keyboard freeze holds). The caller handles a window that
// went away meanwhile.
void send(Display* display, unsigned long window, unsigned keycode, unsigned state,
          unsigned long time);

}  // namespace x11HarmlessKey
