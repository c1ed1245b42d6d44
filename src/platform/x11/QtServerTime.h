#pragma once

// Qt takes the clipboard with the time of the last X event it handled. Another client that
// took it since, with a later time, makes the server ignore that request, and our write or
// restore would be lost; on a busy machine this happens right after a copy we asked for.
namespace qtServerTime {

// Brings Qt's time up to the server's present one (one round trip).
void catchUp();

}  // namespace qtServerTime
