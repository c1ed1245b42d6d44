#include "platform/x11/X11ConnectionLoss.h"

#include <QCoreApplication>
#include <QString>
#include <QThread>
#include <map>
#include <mutex>
#include <set>

#include "platform/x11/Xlib.h"

namespace X11ConnectionLoss {
namespace {

std::mutex g_mutex;
std::map<Display*, std::atomic<bool>*> g_adopted;
std::set<ThreadStop*> g_stops;
XIOErrorHandler g_previousHandler = nullptr;
QtMessageHandler g_previousMessages = nullptr;
std::function<void()> g_end;
bool g_installed = false;
bool g_ended = false;

bool onGuiThread() {
    return QCoreApplication::instance() &&
           QThread::currentThread() == QCoreApplication::instance()->thread();
}

void endOnce() {
    if (!onGuiThread() || g_ended) {
        return;
    }
    g_ended = true;
    // The threads first: whatever the end does, Qt's exit may follow at any moment.
    stopThreads();
    if (g_end) {
        g_end();
    }
}

std::atomic<bool>* adoptedFlag(Display* display) {
    std::lock_guard lock(g_mutex);
    const auto it = g_adopted.find(display);
    return it == g_adopted.end() ? nullptr : it->second;
}

int onIoError(Display* display) {
    if (std::atomic<bool>* broken = adoptedFlag(display)) {
        *broken = true;
        return 0;
    }
    // Qt's own Xlib connection: Qt's handler says so and exits.
    endOnce();
    return g_previousHandler ? g_previousHandler(display) : 0;
}

void onIoErrorExit(Display* display, void*) {
    if (std::atomic<bool>* broken = adoptedFlag(display)) {
        *broken = true;
    }
}

// Qt says this right before it exits for a broken connection of its own.
void onMessage(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (type == QtWarningMsg && message.startsWith(QLatin1String("The X11 connection broke"))) {
        endOnce();
    }
    if (g_previousMessages) {
        g_previousMessages(type, context, message);
    }
}

}  // namespace

void install(std::function<void()> end) {
    g_end = std::move(end);
    if (!g_installed) {
        g_installed = true;
        g_previousHandler = XSetIOErrorHandler(onIoError);
        g_previousMessages = qInstallMessageHandler(onMessage);
    }
}

void adopt(Display* display, std::atomic<bool>* broken) {
    {
        std::lock_guard lock(g_mutex);
        g_adopted[display] = broken;
    }
    XSetIOErrorExitHandler(display, onIoErrorExit, nullptr);
}

void release(Display* display) {
    std::lock_guard lock(g_mutex);
    g_adopted.erase(display);
}

ThreadStop::ThreadStop(std::function<void()> stop) : stop_(std::move(stop)) {
    std::lock_guard lock(g_mutex);
    g_stops.insert(this);
}

ThreadStop::~ThreadStop() {
    std::lock_guard lock(g_mutex);
    g_stops.erase(this);
}

void stopThreads() {
    std::set<ThreadStop*> stops;
    {
        std::lock_guard lock(g_mutex);
        stops = g_stops;
    }
    for (ThreadStop* stop : stops) {
        stop->stop_();
    }
}

}  // namespace X11ConnectionLoss
