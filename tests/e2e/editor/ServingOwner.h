#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QTimer>
#include <deque>
#include <utility>

#include <xcb/xcb.h>

class QSocketNotifier;

// Owns CLIPBOARD on a connection of its own and serves typed bytes as a busy program does:
// large values in pieces (INCR, as GTK sends them), every request answered `lateMs` late, and
// after `answers` requests no answer at all (a program that stopped answering mid-way).
class ServingOwner : public QObject {
public:
    struct Options {
        QList<std::pair<QByteArray, QByteArray>> values;
        int lateMs = 0;
        // Requests answered before it goes silent; negative: all of them.
        int answers = -1;
    };

    explicit ServingOwner(Options options, QObject* parent = nullptr);
    ~ServingOwner() override;

    // Takes the clipboard now.
    void take();

private:
    void readEvents();
    void answerNext();
    void answer(const xcb_selection_request_event_t& request);
    void notify(const xcb_selection_request_event_t& request, bool given);
    void sendPiece();
    xcb_atom_t atom(const QByteArray& name);

    Options options_;
    xcb_connection_t* connection_ = nullptr;
    xcb_window_t window_ = 0;
    QSocketNotifier* notifier_ = nullptr;
    std::deque<xcb_selection_request_event_t> waiting_;
    QTimer late_;
    int answered_ = 0;
    // The transfer in pieces under way.
    xcb_window_t requestor_ = 0;
    xcb_atom_t property_ = 0;
    xcb_atom_t type_ = 0;
    QByteArray sending_;
    qsizetype sent_ = 0;
};
