#pragma once

#include <QObject>
#include <QPointer>
#include <QTimer>
#include <memory>
#include <optional>

class Pasteboard;
class QMimeData;
class X11Connection;
class X11SelectionPrefetch;

// PRIMARY, where an X terminal keeps the text it has highlighted. A terminal without clipboard
// keys is read from it and pastes from it (Shift+Insert), so a paste lends PRIMARY for a moment
// and gives the previous content back afterwards.
class X11PrimarySelection : public QObject {
    Q_OBJECT
public:
    explicit X11PrimarySelection(std::shared_ptr<X11Connection> connection);
    ~X11PrimarySelection() override;

    // Copies PRIMARY's text into `clipboard` when a window of the same top-level window as
    // `window` owns it; nothing when another client (or nobody) does: then that window has
    // nothing selected. The text is read aside and written once it came, like a Copy the
    // window answers a moment later, unless the clipboard changed meanwhile.
    void copyOwnedByWindowOf(unsigned long window, Pasteboard& clipboard);

    // Whether a lend must wait for PRIMARY's present content, another owner's, to be read so
    // that it can be given back; the first call starts that read.
    bool lendPending();
    // Puts `text` into PRIMARY until a client has fetched it, or at most `holdMs`; then
    // PRIMARY gets its previous content back, unless someone else took it meanwhile. That
    // content is what the read lendPending() waited for gave, or else what another owner gave
    // within a frame.
    void lend(const QString& text, int holdMs = 2000);
    bool isLent() const { return !lent_.isNull(); }

private:
    void giveBack();
    // PRIMARY's owner window now, as the server says.
    quint32 owner() const;

    std::shared_ptr<X11Connection> connection_;
    // Another client's PRIMARY, read aside with the server's time.
    std::unique_ptr<X11SelectionPrefetch> reader_;
    qint64 reads_ = 0;
    // The copy waiting for its read: the clipboard it goes to, as that clipboard was then.
    struct Copy {
        qint64 read = 0;
        quint32 owner = 0;
        Pasteboard* clipboard = nullptr;
        qint64 clipboardChange = 0;
    };
    Copy copy_;
    // The read of another owner's content before a lend, and what it gave once it ended.
    qint64 saveRead_ = 0;
    std::unique_ptr<QMimeData> beforeLend_;
    quint32 beforeLendOwner_ = 0;
    QPointer<QMimeData> lent_;
    // PRIMARY's content before the first lend; empty when it had none.
    std::unique_ptr<QMimeData> saved_;
    QTimer holdTimer_;
};
