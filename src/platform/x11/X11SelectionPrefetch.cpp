#include "platform/x11/X11SelectionPrefetch.h"

#include <QMetaObject>
#include <QPointer>

X11SelectionPrefetch::X11SelectionPrefetch(QByteArray displayName, QByteArray selection,
                                           QObject* context, Delivery delivery)
    : displayName_(std::move(displayName)),
      selection_(std::move(selection)),
      context_(context),
      delivery_(std::move(delivery)),
      thread_([this] { run(); }) {}

X11SelectionPrefetch::~X11SelectionPrefetch() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_one();
    thread_.join();
}

void X11SelectionPrefetch::request(qint64 generation) {
    {
        std::lock_guard lock(mutex_);
        wanted_ = generation;
    }
    wake_.notify_one();
}

void X11SelectionPrefetch::run() {
    // The reader and its connection belong to this thread alone.
    X11SelectionReader reader(displayName_);
    while (true) {
        qint64 generation = 0;
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [this] { return stopping_ || wanted_.has_value(); });
            if (stopping_) {
                return;
            }
            generation = *wanted_;
            wanted_.reset();
        }
        Result result;
        result.generation = generation;
        result.owner = reader.owner(selection_);
        if (result.owner != 0) {
            result.targets = reader.targets(selection_);
            if (result.targets) {
                result.text = reader.text(selection_, *result.targets);
            } else {
                result.text.answered = false;
            }
        } else {
            result.targets = QList<QByteArray>();
        }
        QMetaObject::invokeMethod(
            context_,
            [delivery = delivery_, result = std::move(result)]() mutable {
                delivery(std::move(result));
            },
            Qt::QueuedConnection);
    }
}
