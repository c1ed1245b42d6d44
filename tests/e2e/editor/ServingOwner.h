#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QTimer>
#include <deque>
#include <utility>

#include "OwnerConnection.h"

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
    void event(const xcb_generic_event_t& event);
    void answerNext();
    void answer(const xcb_selection_request_event_t& request);
    void sendPiece();

    Options options_;
    OwnerConnection owner_;
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
