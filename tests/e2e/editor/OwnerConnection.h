#pragma once

#include <QByteArray>
#include <QObject>
#include <functional>

#include <xcb/xcb.h>

class QSocketNotifier;

// A test program's own connection that owns CLIPBOARD through an input-only window, as a
// program does: every event it gets goes to `onEvent`, and it is flushed after each batch.
class OwnerConnection : public QObject {
public:
    using EventHandler = std::function<void(const xcb_generic_event_t&)>;

    explicit OwnerConnection(EventHandler onEvent, QObject* parent = nullptr);
    ~OwnerConnection() override;

    xcb_connection_t* get() const { return connection_; }
    xcb_atom_t atom(const QByteArray& name);
    // Takes the clipboard now.
    void take();
    // Answers a request: with its property, or refused.
    void notify(const xcb_selection_request_event_t& request, bool given);

private:
    void readEvents();

    EventHandler onEvent_;
    xcb_connection_t* connection_ = nullptr;
    xcb_window_t window_ = 0;
    QSocketNotifier* notifier_ = nullptr;
};
