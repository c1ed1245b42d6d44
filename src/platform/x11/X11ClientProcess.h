#pragma once

#include <QtGlobal>

typedef struct _XDisplay Display;

// The process of the client that made `window`, from the X Resource extension: for windows
// without _NET_WM_PID (Xt programs, older toolkits) and for selection owners. 0 when the
// server cannot tell (a remote client, no extension).
qint64 x11ClientProcess(Display* display, unsigned long window);
