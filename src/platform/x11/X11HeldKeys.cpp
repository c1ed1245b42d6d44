#include "platform/x11/X11HeldKeys.h"

#include "platform/x11/X11ConnectionLoss.h"

#include "platform/x11/Xlib.h"

namespace {
// A few rounds settle a user who let go while we pressed; the user's keys are not that quick.
constexpr int kSettleRounds = 4;

bool isDown(const char keymap[32], unsigned code) {
    return (keymap[code / 8] >> (code % 8)) & 1;
}
}  // namespace

X11HeldKeys::X11HeldKeys(Display* sender) : sender_(sender) {
    if (!sender_) {
        return;
    }
    watch_ = XOpenDisplay(DisplayString(sender_));
    if (watch_) {
        // A break ends only this watch, never the process from here.
        X11ConnectionLoss::adopt(watch_, &broken_);
    }
    int event = 0;
    int error = 0;
    int opcode = 0;
    int major = 2;
    int minor = 2;
    if (watch_ && XQueryExtension(watch_, "XInputExtension", &opcode, &event, &error) &&
        XIQueryVersion(watch_, &major, &minor) == Success) {
        xinputOpcode_ = opcode;
    }
}

X11HeldKeys::~X11HeldKeys() {
    if (watch_) {
        X11ConnectionLoss::release(watch_);
        if (!broken_) {
            XCloseDisplay(watch_);
        }
    }
}

void X11HeldKeys::select(bool on) {
    unsigned char bits[XIMaskLen(XI_LASTEVENT)] = {};
    if (on) {
        XISetMask(bits, XI_RawKeyPress);
        XISetMask(bits, XI_RawKeyRelease);
    }
    XIEventMask mask{XIAllMasterDevices, int(sizeof bits), bits};
    XISelectEvents(watch_, DefaultRootWindow(watch_), &mask, 1);
    XSync(watch_, False);
}

void X11HeldKeys::send(unsigned key, bool down) {
    XTestFakeKeyEvent(sender_, key, down, CurrentTime);
    Count& count = counts_[key];
    (down ? count.pressesSent : count.releasesSent) += 1;
}

void X11HeldKeys::letGo(const QList<unsigned>& keys, const char keymap[32]) {
    // A key held again for the user and let go of since stays down on the XTest keyboard alone,
    // where the next XTest press of it would count as a repeat and be dropped.
    for (auto it = heldForUser_.begin(); it != heldForUser_.end();) {
        if (!isDown(keymap, *it)) {
            XTestFakeKeyEvent(sender_, *it, False, CurrentTime);
            it = heldForUser_.erase(it);
        } else {
            ++it;
        }
    }
    keys_.clear();
    counts_.clear();
    if (keys.isEmpty() || xinputOpcode_ < 0) {
        // Without the count a key pressed again could stay down: let go, as before.
        for (unsigned key : keys) {
            XTestFakeKeyEvent(sender_, key, False, CurrentTime);
        }
        return;
    }
    select(true);
    keys_ = keys;
    for (unsigned key : keys_) {
        heldForUser_.remove(key);
        send(key, false);
    }
}

void X11HeldKeys::pressAgain() {
    for (unsigned key : keys_) {
        send(key, true);
    }
}

void X11HeldKeys::readRawEvents() {
    while (XPending(watch_) > 0) {
        XEvent event;
        XNextEvent(watch_, &event);
        if (event.type != GenericEvent || event.xcookie.extension != xinputOpcode_ ||
            !XGetEventData(watch_, &event.xcookie)) {
            continue;
        }
        const auto* raw = static_cast<const XIRawEvent*>(event.xcookie.data);
        const auto it = counts_.find(unsigned(raw->detail));
        if (it != counts_.end()) {
            (event.xcookie.evtype == XI_RawKeyPress ? it->pressesSeen : it->releasesSeen) += 1;
        }
        XFreeEventData(watch_, &event.xcookie);
    }
}

QList<unsigned> X11HeldKeys::settle() {
    if (keys_.isEmpty()) {
        return {};
    }
    QList<unsigned> held;
    for (int round = 0; round < kSettleRounds; ++round) {
        // Our events are in the server's count once the sender's requests are done; the keymap
        // read on the watch comes after every raw event counted before it.
        XSync(sender_, False);
        char keymap[32] = {};
        XQueryKeymap(watch_, keymap);
        readRawEvents();
        held.clear();
        bool sent = false;
        for (unsigned key : keys_) {
            const Count& count = counts_[key];
            // The user held the key when we let go of it.
            const bool userHolds =
                count.pressesSeen - count.pressesSent >= count.releasesSeen - count.releasesSent;
            const bool ourPressLast = count.pressesSent == count.releasesSent;
            if (userHolds && !isDown(keymap, key)) {
                send(key, true);
                sent = true;
            } else if (!userHolds && isDown(keymap, key) && ourPressLast) {
                send(key, false);
                sent = true;
            }
            if (userHolds) {
                held.append(key);
            }
        }
        if (!sent) {
            break;
        }
    }
    XFlush(sender_);
    select(false);
    // Whatever came after the keymap was read is not ours to count.
    readRawEvents();
    for (unsigned key : held) {
        heldForUser_.insert(key);
    }
    keys_.clear();
    counts_.clear();
    return held;
}
