#pragma once

#include <QByteArray>
#include <functional>
#include <memory>

class X11Connection;

// Follows who owns one selection through XFixes selection events: a read costs nothing and
// asks the X server nothing. The count goes up whenever the owner changes, goes away or
// closes.
class X11SelectionWatch {
public:
    X11SelectionWatch(std::shared_ptr<X11Connection> connection, const QByteArray& selection);
    ~X11SelectionWatch();
    X11SelectionWatch(const X11SelectionWatch&) = delete;
    X11SelectionWatch& operator=(const X11SelectionWatch&) = delete;

    // The system tray's selection on the default screen (_NET_SYSTEM_TRAY_Sn).
    static QByteArray systemTraySelection(const X11Connection& connection);

    // False without the XFixes extension: then the count never moves.
    bool isWatching() const { return eventBase_ >= 0; }
    qint64 changeCount() const { return changeCount_; }
    bool hasOwner() const { return hasOwner_; }

    // Called after every change counted, as the event is read.
    void onChange(std::function<void()> changed) { changed_ = std::move(changed); }

private:
    std::shared_ptr<X11Connection> connection_;
    unsigned long selection_ = 0;
    int eventBase_ = -1;
    int listener_ = 0;
    qint64 changeCount_ = 0;
    bool hasOwner_ = false;
    std::function<void()> changed_;
};
