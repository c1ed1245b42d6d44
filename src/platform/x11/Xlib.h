#pragma once

// Xlib and its extensions, included after every Qt and project header of a file. X.h's
// KeyCode type is renamed XKeyCode so that it does not clash with our KeyCode namespace.
#define KeyCode XKeyCode
#include <X11/XKBlib.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XInput2.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#undef KeyCode
