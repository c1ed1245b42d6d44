#pragma once

#include <QAbstractNativeEventFilter>
#include <QElapsedTimer>
#include <QHash>
#include <QList>
#include <memory>

class X11Connection;

// Follows other clients fetching the CLIPBOARD we own, from their requests to Qt until they
// have taken the data: a requestor takes a property by deleting it, and a large text comes in
// pieces (INCR), each written by Qt and taken in turn, the last one empty. The requests are
// seen on Qt's connection; the requestors' properties through our own. Only the fetches of the
// client with the keyboard focus count: a paste target fetches right after its paste key, while
// a clipboard manager fetches every new content at once and would end a wait for the target
// before it took anything.
class X11SelectionFetches : public QAbstractNativeEventFilter {
public:
    explicit X11SelectionFetches(std::shared_ptr<X11Connection> connection);
    ~X11SelectionFetches() override;

    // Forgets the fetches of earlier content: a new write starts now.
    void restart();

    // Whether the focused client asked for a text target since the restart.
    bool served() const { return served_; }
    // Text fetches not yet taken in full. A fetch counts as taken once its property was taken
    // and Qt wrote no further piece for a moment.
    int underway();
    // Grows with every request and every piece written or taken.
    quint64 steps() const { return steps_; }

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

private:
    struct Fetch {
        unsigned long requestor = 0;
        unsigned long property = 0;
        bool written = false;
        bool taken = false;
        qint64 takenAtMs = 0;
    };
    void onRequest(unsigned long requestor, unsigned long selection, unsigned long target,
                   unsigned long property);
    void onXEvent(void* event);
    bool isTextTarget(unsigned long target);
    bool fromFocusedClient(unsigned long requestor);
    void follow(unsigned long requestor, bool on);
    void drop(int index);

    std::shared_ptr<X11Connection> connection_;
    int listener_ = 0;
    unsigned long clipboardAtom_ = 0;
    QHash<unsigned long, bool> textTargets_;
    QList<Fetch> fetches_;
    bool served_ = false;
    quint64 steps_ = 0;
    QElapsedTimer clock_;
};
