#pragma once

#include <QObject>
#include <QString>
#include <QTimer>
#include <optional>

#include "OwnerConnection.h"

// Owns CLIPBOARD on a connection of its own and answers requests as a broken program does:
// never, with a refusal, without a list of targets, with a list of the wrong type or of
// 20,000 unknown atoms, with a text in INCR pieces that come every 1.5 s without end, or by
// going away in the middle of its pieces. Counts the requests it gets in a file.
class BrokenOwner : public QObject {
public:
    enum class Mode { silent, refuse, noTargets, stringTargets, hugeTargets, slowPieces, vanish };
    static std::optional<Mode> modeNamed(const QString& name);

    BrokenOwner(Mode mode, QString countPath, QObject* parent = nullptr);
    ~BrokenOwner() override;

    // Takes the clipboard now.
    void take();

private:
    void event(const xcb_generic_event_t& event);
    void answer(const xcb_selection_request_event_t& request);
    void sendPiece();

    Mode mode_;
    QString countPath_;
    OwnerConnection owner_;
    int requests_ = 0;
    // The transfer in pieces under way.
    xcb_window_t requestor_ = 0;
    xcb_atom_t property_ = 0;
    int pieces_ = 0;
    QTimer pieceTimer_;
};
