#pragma once

#include <QClipboard>

class QMimeData;

// Qt takes a selection with the time of the last X event it handled. Another client that
// took it since, with a later time, makes the server ignore that request, and our write or
// restore would be lost; on a busy machine this happens right after a copy we asked for.
namespace qtServerTime {

// Brings Qt's time up to the server's present one (one round trip). The time is learnt on a
// connection of our own, from a property change on a window nobody else watches: a time
// announced to every client (a root window property) lets a late copy take the selection
// with that very time, and Qt then ignores the notice that it lost it.
// Does nothing while a ServerGrab lives.
void catchUp();

// Every write of ours to a selection goes through here: Qt's clipboard for `mode` takes `data`
// (nothing clears it) with Qt's time caught up first.
void setSelection(QClipboard::Mode mode, QMimeData* data);

// Holds the server for our Qt connection (nothing another client asks is done meanwhile),
// with Qt's time caught up first: under the grab the private connection would not be heard.
class ServerGrab {
public:
    ServerGrab();
    ~ServerGrab();
    ServerGrab(const ServerGrab&) = delete;
    ServerGrab& operator=(const ServerGrab&) = delete;
};

}  // namespace qtServerTime
