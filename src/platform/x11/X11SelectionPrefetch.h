#pragma once

#include <QByteArray>
#include <QObject>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>

#include "platform/x11/X11SelectionReader.h"

// Reads another owner's targets and text on a thread of its own, so that a large content (a
// 20 MB copy comes in hundreds of pieces) never holds up the GUI thread. One read at a time;
// a read asked for while one runs replaces any that waits. Results come back on the thread
// of `context`.
class X11SelectionPrefetch {
public:
    struct Result {
        qint64 generation = 0;
        quint32 owner = 0;
        std::optional<QList<QByteArray>> targets;
        X11SelectionReader::Text text;
    };
    using Delivery = std::function<void(Result)>;

    X11SelectionPrefetch(QByteArray displayName, QByteArray selection, QObject* context,
                         Delivery delivery);
    // Waits for a read under way: at most the reader's patience per piece.
    ~X11SelectionPrefetch();
    X11SelectionPrefetch(const X11SelectionPrefetch&) = delete;
    X11SelectionPrefetch& operator=(const X11SelectionPrefetch&) = delete;

    // Reads the present content aside, tagged with `generation`.
    void request(qint64 generation);

private:
    void run();

    QByteArray displayName_;
    QByteArray selection_;
    QObject* context_;
    Delivery delivery_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::optional<qint64> wanted_;
    bool stopping_ = false;
    std::thread thread_;
};
