#include <algorithm>
#include <cctype>
#include <stdexcept>

#include "CaptureFixture.h"
#include "capture/PasteboardLender.h"

namespace {

using Road = PasteboardLoan::Road;
enum class Leaves { atTheEnd, byAnException, cancelled };
enum class After { users, text, newer };

const QString kText = QStringLiteral("pasted");

// What a transaction did with the pasteboard before it left, and what must follow.
struct LoanCase {
    const char* name;
    Road road;
    std::function<void(CaptureTest&, PasteboardLoan&)> use;
    Leaves leaves;
    After after;
    bool historyTold, watching;
};

void PrintTo(const LoanCase& c, std::ostream* os) {
    *os << c.name;
}

void copies(CaptureTest& t, PasteboardLoan& loan) {
    t.desktop.pasteboard.clear();
    loan.copyGoesTo(t.editor.pid);
    t.desktop.pasteboard.putText(QStringLiteral("Hello"), t.editor.pid);
}
void writes(CaptureTest&, PasteboardLoan& loan) {
    loan.writeText(kText);
}
void pastes(CaptureTest& t, PasteboardLoan& loan) {
    writes(t, loan);
    loan.pasteSent();
}

// clang-format off
const LoanCase kCases[] = {
    {"read", Road::read, copies, Leaves::atTheEnd, After::users, true, true},
    {"read, failed", Road::read, copies, Leaves::byAnException, After::users, true, true},
    {"read, cancelled", Road::read, copies, Leaves::cancelled, After::users, true, true},
    {"paste", Road::paste, pastes, Leaves::atTheEnd, After::users, true, false},
    {"paste, failed before writing", Road::paste, [](auto&, auto&) {}, Leaves::byAnException, After::users, true, false},
    {"paste, cancelled before Paste", Road::paste, writes, Leaves::cancelled, After::users, true, false},
    {"paste, failed after Paste", Road::paste, pastes, Leaves::byAnException, After::users, true, false},
    {"paste, Paste not sent", Road::paste, [](auto& t, auto& loan) { writes(t, loan); loan.leaveTextInPlace(); },
     Leaves::byAnException, After::text, false, false},
    {"paste, newer copy", Road::paste, [](auto& t, auto& loan) { pastes(t, loan); t.desktop.pasteboard.putText(QStringLiteral("newer")); },
     Leaves::byAnException, After::newer, true, false},
};
// clang-format on

class PasteboardLoanTest : public CaptureTest, public ::testing::WithParamInterface<LoanCase> {
public:
    PasteboardLender lender{
        {desktop.clock, desktop.pasteboard, capture, desktop.workspace.ownProcessIdentifier()}};
    QStringList steps;

    // A transaction that borrows the pasteboard, uses it, runs 50 ms and leaves.
    QCoro::Task<> transaction(Road road, std::function<void(PasteboardLoan&)> use, Leaves leaves) {
        PasteboardLoan loan = co_await lender.lend(road);
        steps.append(QStringLiteral("lent"));
        loan.onGiveBack([this] { steps.append(QStringLiteral("given back")); });
        use(loan);
        if (leaves == Leaves::cancelled) {
            token.cancel();
        }
        co_await desktop.clock.sleep(50, token);
        if (leaves != Leaves::atTheEnd) {
            throw std::runtime_error("left");
        }
        co_await loan.end(token);
    }
};

}  // namespace

// However the transaction leaves, the pasteboard comes back the way its road asks, clipboard
// history is told once (unless a Paste that could not be sent left the text), and a read is
// followed by the watch for late copies.
TEST_P(PasteboardLoanTest, GivesThePasteboardBackHoweverTheTransactionLeaves) {
    const LoanCase& c = GetParam();
    auto outcome = startTask(transaction(
        c.road, [&](PasteboardLoan& loan) { c.use(*this, loan); }, c.leaves));
    runToEnd(outcome);
    EXPECT_EQ(outcome->error != nullptr, c.leaves != Leaves::atTheEnd);
    switch (c.after) {
        case After::users:
            EXPECT_EQ(desktop.pasteboard.content(), userContent);
            break;
        case After::text:
            EXPECT_EQ(desktop.pasteboard.plainText(), kText);
            break;
        case After::newer:
            EXPECT_EQ(desktop.pasteboard.plainText(), QStringLiteral("newer"));
            break;
    }
    EXPECT_EQ(capture.count(true), c.historyTold ? 1 : 0);
    EXPECT_EQ(lender.restoreGuard().isRunning(), c.watching);
    EXPECT_EQ(steps, QStringList({"lent", "given back"}));
    EXPECT_FALSE(lender.lentWithin(0));
}

INSTANTIATE_TEST_SUITE_P(Roads, PasteboardLoanTest, ::testing::ValuesIn(kCases),
                         [](const auto& info) {
                             std::string name = info.param.name;
                             std::replace_if(
                                 name.begin(), name.end(), [](char ch) { return !isalnum(ch); },
                                 '_');
                             return name;
                         });

using PasteboardLoanEdgeTest = PasteboardLoanTest;

// A paste that fails after Paste went out, while the target is still fetching the text: the
// user's content comes back once the target took it, and the next transaction waits till then.
TEST_F(PasteboardLoanEdgeTest, AFailureAfterPasteStillWaitsForTheFetch) {
    desktop.pasteboard.setServesLater(true);
    auto failed = startTask(transaction(
        Road::paste, [&](PasteboardLoan& loan) { pastes(*this, loan); }, Leaves::byAnException));
    auto next = startTask(transaction(
        Road::read, [](PasteboardLoan&) {}, Leaves::atTheEnd));
    desktop.clock.advance(400);
    EXPECT_TRUE(failed->done && failed->error);
    EXPECT_EQ(desktop.pasteboard.plainText(), kText);
    EXPECT_EQ(steps, QStringList{"lent"});
    EXPECT_TRUE(lender.lentWithin(0));

    desktop.pasteboard.serveText();
    desktop.clock.advance(5);
    EXPECT_EQ(desktop.pasteboard.content(), userContent);
    EXPECT_EQ(steps, QStringList({"lent", "given back", "lent"}));
    runToEnd(next);
    EXPECT_EQ(capture.count(true), 2);
}

// A paste cancelled after Paste gives the pasteboard back at once, fetched or not; at the app's
// exit the loan out comes back at once and its transaction gives nothing back a second time.
TEST_F(PasteboardLoanEdgeTest, ACancelOrTheExitGivesBackAtOnce) {
    for (bool exit : {false, true}) {
        SCOPED_TRACE(exit ? "exit" : "cancel");
        userContent = putUserContent(desktop.pasteboard);
        capture.calls.clear();
        token = CancelToken();
        desktop.pasteboard.setServesLater(true);
        auto outcome = startTask(transaction(
            Road::paste, [&](PasteboardLoan& loan) { pastes(*this, loan); }, Leaves::atTheEnd));
        desktop.clock.advance(100);
        EXPECT_EQ(desktop.pasteboard.plainText(), kText);
        if (exit) {
            lender.recallNow();
        } else {
            token.cancel();
        }
        EXPECT_EQ(desktop.pasteboard.content(), userContent);
        EXPECT_EQ(capture.count(true), 1);
        runToEnd(outcome);
        EXPECT_EQ(desktop.pasteboard.content(), userContent);
        EXPECT_EQ(capture.count(true), 1);
    }
}

namespace {
// The keyboard fails with an exception of no known kind when asked for the held modifiers,
// which every transaction does right before its shortcut.
class FailingKeyEvents : public KeyEvents {
public:
    explicit FailingKeyEvents(KeyEvents& keys) : keys_(keys) {}
    bool canPostEvents() const override { return keys_.canPostEvents(); }
    bool postKey(quint16 keyCode, KeyModifiers modifiers, bool down) override {
        return keys_.postKey(keyCode, modifiers, down);
    }
    KeyModifiers heldModifiers() const override { throw std::runtime_error("keyboard gone"); }

private:
    KeyEvents& keys_;
};
}  // namespace

// A read, a paste and a reply paste that fail unexpectedly once they hold the pasteboard, a
// paste and a reply after they wrote their text: each gives the user's content back, tells
// clipboard history once and lets go of the reply editor.
TEST_F(PasteboardLoanEdgeTest, AnUnexpectedFailureGivesTheUsersPasteboardBack) {
    FailingKeyEvents keys(desktop.keys);
    PasteboardService failing({desktop.clock, desktop.pasteboard, keys, desktop.workspace,
                               desktop.accessibility, focus, capture});
    editor.setText(QStringLiteral("Hi"), 2, 0);
    const std::function<QCoro::Task<>()> transactions[] = {
        [&]() -> QCoro::Task<> { co_await failing.readSelectedTextTransient(false, true, {}); },
        [&] { return failing.pasteTransient(QStringLiteral("pasted"), std::nullopt, {}); },
        [&] { return failing.pasteAIReply(QStringLiteral(" there"), editor.pid); }};
    for (const auto& transaction : transactions) {
        SCOPED_TRACE(&transaction - transactions);
        capture.calls.clear();
        auto outcome = startTask(transaction());
        runToEnd(outcome);
        EXPECT_EQ(outcome->errorDescription(), QStringLiteral("keyboard gone"));
        EXPECT_EQ(desktop.pasteboard.content(), userContent);
        EXPECT_EQ(capture.count(true), 1);
        EXPECT_EQ(focus.restoringProcessIdentifier(), std::nullopt);
        EXPECT_EQ(focus.replyEditor(), nullptr);
        EXPECT_EQ(editor.pasteCount, 0);
        desktop.clock.advance(ClipboardRestoreGuard::kGuardMs);
        EXPECT_FALSE(history.isCaptureSuppressed());
    }
}
