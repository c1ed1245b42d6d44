#pragma once

// The keeping process, `nivelo --keep-clipboard`, started by X11ClipboardKeeper with its
// socket as standard input. Until nivelo ends it only reads what to hold, with no display
// connection. Told to take the clipboard now, it takes it from nivelo; at nivelo's end (end of
// file) it takes the clipboard with what it holds once nivelo's owner window has let go. Either
// way never while another client owns it. It then serves that content until another client takes
// the clipboard, and exits.
class X11ClipboardKeeperProcess {
public:
    // The process's main(): builds its own application object when it serves.
    static int run(int argc, char** argv);
};
