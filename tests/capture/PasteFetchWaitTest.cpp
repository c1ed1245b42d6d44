#include "CaptureFixture.h"

namespace {
// The simulated pasteboard with a paste target whose fetch the test scripts: it asks for the
// text and then takes a step of its fetch every `stepEveryMs` (0: never), never finishing.
class FetchingPasteboard : public Pasteboard {
public:
    FetchingPasteboard(SimulatedPasteboard& inner, Clock& clock) : inner_(inner), clock_(clock) {}

    qint64 changeCount() const override { return inner_.changeCount(); }
    int itemCount() const override { return inner_.itemCount(); }
    QStringList itemTypes(int index) const override { return inner_.itemTypes(index); }
    std::optional<QByteArray> itemData(int index, const QString& type) const override {
        return inner_.itemData(index, type);
    }
    QStringList types() const override { return inner_.types(); }
    std::optional<QString> plainText() const override { return inner_.plainText(); }
    void clear() override { inner_.clear(); }
    void writeItems(const QList<PasteboardItem>& items) override { inner_.writeItems(items); }
    void setPlainText(const QString& text) override {
        inner_.setPlainText(text);
        writtenAtMs_ = clock_.nowMs();
    }
    PasteboardFetch lastWriteFetch() const override {
        const qint64 since = clock_.nowMs() - writtenAtMs_;
        const quint64 steps = stepEveryMs > 0 ? quint64(since / stepEveryMs) : 0;
        return {true, 1, steps};
    }

    qint64 stepEveryMs = 0;

private:
    SimulatedPasteboard& inner_;
    Clock& clock_;
    qint64 writtenAtMs_ = 0;
};
}  // namespace

class PasteFetchWaitTest : public CaptureTest {
protected:
    FetchingPasteboard fetching{desktop.pasteboard, desktop.clock};
    PasteboardService slowService{{desktop.clock, fetching, desktop.keys, desktop.workspace,
                                   desktop.accessibility, focus, capture}};

    // Pastes a text of that many characters with the fast timing (Paste at 0 ms, restore
    // planned 60 ms later) and returns when the user's pasteboard came back.
    qint64 restoreTimeFor(qsizetype characters) {
        const QString text(characters, QChar('x'));
        auto outcome = startTask(
            slowService.pasteTransient(text, std::nullopt, PasteboardTiming::fast(), token));
        const qint64 end = runToEnd(outcome);
        EXPECT_FALSE(outcome->error);
        EXPECT_EQ(desktop.pasteboard.plainText(), QStringLiteral("user text"));
        return end - desktop.keys.downTimes(KeyCode::V).value(0);
    }
};

// A target that keeps fetching holds the restore up to 1.3 s plus 2 ms per 1,000 characters
// after Paste (the Paste key-up goes 20 ms after its key-down); one that asked and then took
// no step for a second has stopped fetching.
TEST_F(PasteFetchWaitTest, TheRestoreWaitsForAFetchThatGoesOnUpToABoundThatGrowsWithTheSize) {
    struct Case {
        qint64 stepEveryMs;
        qsizetype characters;
        qint64 restoredAfterMs;
    };
    for (const Case& c : {Case{100, 10, 20 + 1300}, Case{100, 1000000, 20 + 3300},
                          Case{100, 5000000, 20 + 11300}, Case{0, 5000000, 20 + 1000}}) {
        fetching.stepEveryMs = c.stepEveryMs;
        desktop.keys.log.clear();
        EXPECT_EQ(restoreTimeFor(c.characters), c.restoredAfterMs) << c.characters;
    }
}
