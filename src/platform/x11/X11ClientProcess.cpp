#include "platform/x11/X11ClientProcess.h"

#include <X11/Xlib.h>
#include <X11/extensions/XRes.h>

qint64 x11ClientProcess(Display* display, unsigned long window) {
    int event = 0;
    int error = 0;
    if (!display || !XResQueryExtension(display, &event, &error)) {
        return 0;
    }
    XResClientIdSpec query{window, XRES_CLIENT_ID_PID_MASK};
    long count = 0;
    XResClientIdValue* ids = nullptr;
    if (XResQueryClientIds(display, 1, &query, &count, &ids) != Success) {
        return 0;
    }
    qint64 pid = 0;
    for (long i = 0; i < count && pid <= 0; ++i) {
        pid = XResGetClientPid(&ids[i]);
    }
    XResClientIdsDestroy(count, ids);
    return pid > 0 ? pid : 0;
}
