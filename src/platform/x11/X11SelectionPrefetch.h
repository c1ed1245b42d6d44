#pragma once

#include <QByteArray>
#include <QObject>
#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <utility>

#include "platform/x11/X11ConnectionLoss.h"
#include "platform/x11/X11SelectionReader.h"

// Reads another owner's content on a thread and connection of its own, so that no owner (a
// large copy in hundreds of pieces, a hung or hostile program) ever holds up the GUI thread.
// One read at a time, each within the reader's limits; a read asked for a newer content stops
// the one under way, and the destructor stops it too. Results come back on the thread of
// `context`, and can be waited for, briefly, with wait().
class X11SelectionPrefetch {
public:
    struct Result {
        qint64 generation = 0;
        // Every format's bytes were asked for, not only the text.
        bool content = false;
        quint32 owner = 0;
        // None when the owner gave no list of formats: then nothing else was asked.
        std::optional<QList<QByteArray>> targets;
        X11SelectionReader::Text text;
        // Format and bytes: every kept format for a content read, else the markers offered.
        QList<std::pair<QString, QByteArray>> values;
        // A content read gave every format that yields data: the owner answered throughout and
        // nothing went over the limits.
        bool whole = false;
    };
    using Delivery = std::function<void(Result)>;

    struct Options {
        // Small targets read with the text when the owner offers them.
        QList<QByteArray> markers;
        // The formats a content read keeps.
        std::function<bool(const QString&)> keeps;
        X11SelectionReader::Limits limits;
    };

    X11SelectionPrefetch(QByteArray displayName, QByteArray selection, QObject* context,
                         Delivery delivery, Options options);
    // Stops a read under way: returns within a few milliseconds.
    ~X11SelectionPrefetch();
    // Ends the thread now, a read under way included; nothing is read after it.
    void stop();
    X11SelectionPrefetch(const X11SelectionPrefetch&) = delete;
    X11SelectionPrefetch& operator=(const X11SelectionPrefetch&) = delete;

    // Reads the present content aside, tagged with `generation`: its text, or with `content`
    // every format.
    void request(qint64 generation, bool content);
    // The read of `generation` once it ended, waiting at most `ms`; none when it has not.
    std::optional<Result> wait(qint64 generation, bool content, int ms);
    // Lets go of the ended read of `generation` (with `content`, of every format) once the
    // caller holds it: the bytes of a large content are not kept here as well until the next.
    void forget(qint64 generation, bool content);

private:
    struct Job {
        qint64 generation = 0;
        bool content = false;
    };
    void run();
    Result readOne(X11SelectionReader& reader, const Job& job);

    QByteArray displayName_;
    QByteArray selection_;
    QObject* context_;
    Delivery delivery_;
    Options options_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable finishedChanged_;
    std::optional<Job> wanted_;
    std::optional<Result> finished_;
    std::atomic<bool> stopping_ = false;
    std::atomic<qint64> newest_ = -1;
    std::thread thread_;
    X11ConnectionLoss::ThreadStop threadStop_{[this] { stop(); }};
};
