#pragma once

#include <QList>
#include <optional>

#include "platform/Pasteboard.h"

// One representation on the simulated pasteboard; none as data means the owner fails to
// provide it when asked.
struct SimulatedPasteboardValue {
    QString type;
    std::optional<QByteArray> data;
};
using SimulatedPasteboardItem = QList<SimulatedPasteboardValue>;

// The general pasteboard of the simulated desktop: items with typed data and a change count.
class SimulatedPasteboard : public Pasteboard {
public:
    static inline const QString kPlainTextType = QStringLiteral("text/plain");
    // The app's own process, the owner after its writes.
    static constexpr qint64 kOwnPid = 4242;

    qint64 changeCount() const override { return changeCount_; }
    int itemCount() const override { return static_cast<int>(items_.size()); }
    QStringList itemTypes(int index) const override;
    std::optional<QByteArray> itemData(int index, const QString& type) const override;
    QStringList types() const override;
    std::optional<QString> plainText() const override { return readPlainText().text; }
    PasteboardTextRead readPlainText() const override;
    void clear() override;
    void writeItems(const QList<PasteboardItem>& items) override;
    void setPlainText(const QString& text) override;
    bool lastWriteTextServed() const override { return textServed_; }
    std::optional<qint64> ownerProcessIdentifier() const override { return owner_; }

    // Like X11, where the paste target fetches the text later: after each write of ours the
    // text counts as not served until serveText() is called.
    void setServesLater(bool later) { servesLater_ = later; }
    // The paste target fetches what we wrote.
    void serveText() { textServed_ = true; }
    // The owner ignores the next `count` reads of the text, as a busy one can.
    void leaveTextReadsUnanswered(int count) { unanswered_ = count; }
    // The text is read aside and not there for the next `looks` asks of textPending().
    void readTextAside(int looks) { pendingLooks_ = looks; }
    bool textPending() override { return pendingLooks_ > 0 && pendingLooks_-- > 0; }
    // The owner of the present content stops answering: it cannot be read whole until the
    // next change.
    void stopAnswering() { stopped_ = true; }
    bool contentWhole() const override { return !stopped_; }

    // Another application (or the user) puts new content on the pasteboard in one change;
    // `owner` is its process (none: unknown).
    void putItems(QList<SimulatedPasteboardItem> items, std::optional<qint64> owner = {});
    void putText(const QString& text, std::optional<qint64> owner = {});

    // Every representation that yields data, item by item.
    QList<PasteboardItem> content() const;
    // How many clear / write calls the app made.
    int clearCount() const { return clears_; }
    int writeCount() const { return writes_; }

private:
    QList<SimulatedPasteboardItem> items_;
    qint64 changeCount_ = 1;
    std::optional<qint64> owner_;
    int clears_ = 0;
    int writes_ = 0;
    bool servesLater_ = false;
    bool textServed_ = true;
    mutable int unanswered_ = 0;
    int pendingLooks_ = 0;
    bool stopped_ = false;
};
