#pragma once

#include <QCoro/QCoroTask>
#include <QString>
#include <functional>
#include <memory>
#include <optional>

#include "base/AsyncMutex.h"
#include "capture/PasteboardSnapshot.h"
#include "platform/CancelToken.h"

class PasteboardLender;

// The user's pasteboard, lent to one transaction (PasteboardLender::lend). The transaction
// tells the loan what it does with the pasteboard; the end gives the pasteboard back the way
// the loan's road asks, and so does the destructor when the transaction leaves by an exception:
//   PasteboardLoan loan = co_await lender.lend(PasteboardLoan::Road::paste);
//   loan.writeText(text); ... loan.pasteSent(); ...
//   co_await loan.end(token);
class PasteboardLoan {
public:
    enum class Road {
        // A selection read: the pasteboard always comes back, and the watch for late answers
        // to the Copy follows.
        read,
        // A paste: it comes back once the target took the text, and only while it still holds
        // that text; someone who copied meanwhile keeps their content.
        paste,
    };

    // How long clipboard history stays off for a transaction's own writes, renewed by a long
    // one.
    static constexpr double kSuppressSeconds = 3.5;

    PasteboardLoan(PasteboardLoan&& other) noexcept;
    PasteboardLoan& operator=(PasteboardLoan&&) = delete;
    ~PasteboardLoan();

    // Read: the application the Copy goes to, the owner of a late answer to it.
    void copyGoesTo(std::optional<qint64> processIdentifier);
    // Read: what the Copy gave, blank when nothing.
    void copyGave(QString text);
    // Paste: replaces the pasteboard's content by the text.
    void writeText(const QString& text);
    // Paste: the Paste shortcut went out now.
    void pasteSent();
    // Paste: the Paste shortcut could not be sent. The text stays on the pasteboard, then the
    // only copy of the result, and history capture comes back when its suppression runs out.
    void leaveTextInPlace();
    // A step of the transaction's own that runs when the pasteboard is given back, however
    // the loan ends (before clipboard history is told).
    void onGiveBack(std::function<void()> step);

    // Gives the pasteboard back. A paste first waits until the target took its text, unless
    // `token` is cancelled. True when a paste's target fetched the text.
    QCoro::Task<bool> end(CancelToken token = {});

private:
    friend class PasteboardLender;
    struct State;
    explicit PasteboardLoan(std::unique_ptr<State> state);

    // The rest of an end that must wait for the target's fetch, run after the transaction
    // left. The state holds the lender's turn until then.
    static QCoro::Task<> giveBackLater(std::unique_ptr<State> state);
    static QCoro::Task<bool> waitUntilTaken(State& state, CancelToken token);
    static QCoro::Task<> readWhatItHolds(State& state);
    static void giveBack(State& state);

    std::unique_ptr<State> state_;
};

struct PasteboardLoan::State {
    State(PasteboardLender& lender, AsyncMutex::Guard turn, Road road, PasteboardSnapshot snapshot);
    ~State();
    State(const State&) = delete;
    State& operator=(const State&) = delete;

    // Declared first, released last: the next transaction starts once this one is over.
    AsyncMutex::Guard turn;
    PasteboardLender& lender;
    Road road;
    PasteboardSnapshot snapshot;
    std::optional<qint64> copyTarget;
    QString copied;
    std::optional<QString> written;
    std::optional<qint64> pastedAtMs;
    bool leftInPlace = false;
    std::function<void()> onGiveBack;
    bool givenBack = false;
};
