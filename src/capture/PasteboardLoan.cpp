#include "capture/PasteboardLoan.h"

#include "base/Text.h"
#include "capture/PasteboardLender.h"
#include "clipboard/ClipboardCapture.h"
#include "platform/Clock.h"
#include "platform/Pasteboard.h"
#include "platform/PasteboardRead.h"

namespace {
// The restore waits for the paste target to fetch the text and take it in full, polling, at
// most this long after Paste, plus 2 ms per 1,000 characters: a large text is fetched in
// pieces, and replacing the clipboard meanwhile loses the paste.
constexpr qint64 kPasteServedPollMs = 5;
constexpr qint64 kPasteServedLimitMs = 1300;
constexpr qint64 kPasteWaitCharactersPerMs = 500;
// A target that took no step of its fetch for this long has stopped fetching.
constexpr qint64 kFetchQuietMs = 1000;

bool sameText(const QString& a, const QString& b) {
    return a.normalized(QString::NormalizationForm_C) == b.normalized(QString::NormalizationForm_C);
}
}  // namespace

PasteboardLoan::State::State(PasteboardLender& lender, AsyncMutex::Guard turn, Road road,
                             PasteboardSnapshot snapshot)
    : turn(std::move(turn)), lender(lender), road(road), snapshot(std::move(snapshot)) {
    lender.out_ = this;
}

PasteboardLoan::State::~State() {
    lender.out_ = nullptr;
    lender.lastReturnMs_ = lender.deps_.clock.nowMs();
}

PasteboardLoan::PasteboardLoan(std::unique_ptr<State> state) : state_(std::move(state)) {}

PasteboardLoan::PasteboardLoan(PasteboardLoan&& other) noexcept = default;

PasteboardLoan::~PasteboardLoan() {
    if (!state_ || state_->givenBack) {
        return;
    }
    // The transaction left by an exception. A target that was sent Paste may still be
    // fetching the text, and a new copy may still be being read: the rest of the end waits for
    // them, keeping the next transaction out.
    if ((state_->pastedAtMs || state_->lender.deps_.pasteboard.textPending()) &&
        !state_->leftInPlace) {
        giveBackLater(std::move(state_));
        return;
    }
    giveBack(*state_);
}

void PasteboardLoan::copyGoesTo(std::optional<qint64> processIdentifier) {
    state_->copyTarget = processIdentifier;
}

void PasteboardLoan::copyGave(QString text) {
    state_->copied = std::move(text);
}

void PasteboardLoan::writeText(const QString& text) {
    Pasteboard& pasteboard = state_->lender.deps_.pasteboard;
    pasteboard.clear();
    pasteboard.setPlainText(text);
    state_->written = text;
}

void PasteboardLoan::pasteSent() {
    state_->pastedAtMs = state_->lender.deps_.clock.nowMs();
}

void PasteboardLoan::leaveTextInPlace() {
    state_->leftInPlace = true;
}

void PasteboardLoan::onGiveBack(std::function<void()> step) {
    state_->onGiveBack = std::move(step);
}

QCoro::Task<bool> PasteboardLoan::end(CancelToken token) {
    State& state = *state_;
    if (state.pastedAtMs && !state.leftInPlace && !token.isCancelled()) {
        co_await waitUntilTaken(state, token);
    }
    const bool taken = state.pastedAtMs && state.lender.deps_.pasteboard.lastWriteFetch().served;
    QCoro::Task<> read = readWhatItHolds(state);
    co_await std::move(read);
    giveBack(state);
    co_return taken;
}

QCoro::Task<> PasteboardLoan::giveBackLater(std::unique_ptr<State> state) {
    if (state->pastedAtMs) {
        co_await waitUntilTaken(*state, {});
    }
    QCoro::Task<> read = readWhatItHolds(*state);
    co_await std::move(read);
    giveBack(*state);
}

QCoro::Task<> PasteboardLoan::readWhatItHolds(State& state) {
    // A paste gives the user's content back only while the pasteboard holds the text: a copy
    // someone made meanwhile that is still being read is not "something else".
    if (state.road == Road::paste) {
        const PasteboardLender::Dependencies& deps = state.lender.deps_;
        QCoro::Task<PasteboardTextRead> read =
            pasteboardRead::plainText(deps.pasteboard, deps.clock);
        co_await std::move(read);
    }
}

QCoro::Task<bool> PasteboardLoan::waitUntilTaken(State& state, CancelToken token) {
    // Where the target fetches the paste from us later (X11), restoring before it took the
    // text would paste the user's old content instead, or nothing.
    const PasteboardLender::Dependencies& deps = state.lender.deps_;
    const qint64 pastedAt = *state.pastedAtMs;
    const qsizetype size = state.written ? state.written->size() : 0;
    const qint64 limitMs = kPasteServedLimitMs + size / kPasteWaitCharactersPerMs;
    quint64 steps = 0;
    qint64 lastStepAt = pastedAt;
    while (true) {
        const PasteboardFetch fetch = deps.pasteboard.lastWriteFetch();
        const qint64 now = deps.clock.nowMs();
        if (fetch.steps != steps) {
            steps = fetch.steps;
            lastStepAt = now;
        }
        const bool taken = fetch.served && fetch.underway == 0;
        const bool stalled = fetch.served && now - lastStepAt >= kFetchQuietMs;
        const qint64 left = limitMs - (now - pastedAt);
        if (taken || stalled || left <= 0) {
            co_return true;
        }
        // A long wait keeps the text out of the clipboard history.
        deps.capture.suppressCapture(kSuppressSeconds);
        const bool polled = co_await deps.clock.sleep(qMin(left, kPasteServedPollMs), token);
        if (!polled) {
            co_return false;
        }
    }
}

void PasteboardLoan::giveBack(State& state) {
    if (state.givenBack) {
        // Recalled at the app's exit meanwhile.
        return;
    }
    state.givenBack = true;
    const PasteboardLender::Dependencies& deps = state.lender.deps_;
    bool restore = state.road == Road::read;
    if (state.road == Road::paste && state.written && !state.leftInPlace) {
        // Someone who wrote the pasteboard meanwhile keeps their content.
        const auto current = deps.pasteboard.plainText();
        restore = current && sameText(*current, *state.written);
    }
    if (restore) {
        state.snapshot.restore(deps.pasteboard);
    }
    if (state.onGiveBack) {
        state.onGiveBack();
    }
    if (!state.leftInPlace) {
        deps.capture.finishTransientPasteboardUse();
    }
    if (state.road == Road::read) {
        const bool gaveText = !text::trimmed(state.copied).isEmpty();
        state.lender.guard_.start(state.snapshot, state.copyTarget,
                                  gaveText ? state.copied : QString());
    }
}
