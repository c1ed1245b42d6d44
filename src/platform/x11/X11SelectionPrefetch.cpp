#include "platform/x11/X11SelectionPrefetch.h"

#include <QMetaObject>
#include <chrono>

X11SelectionPrefetch::X11SelectionPrefetch(QByteArray displayName, QByteArray selection,
                                           QObject* context, Delivery delivery, Options options)
    : displayName_(std::move(displayName)),
      selection_(std::move(selection)),
      context_(context),
      delivery_(std::move(delivery)),
      options_(std::move(options)),
      thread_([this] { run(); }) {}

X11SelectionPrefetch::~X11SelectionPrefetch() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_one();
    thread_.join();
}

void X11SelectionPrefetch::request(qint64 generation, bool content) {
    {
        std::lock_guard lock(mutex_);
        if (wanted_ && wanted_->generation == generation) {
            content = content || wanted_->content;
        }
        wanted_ = Job{generation, content};
        newest_ = generation;
    }
    wake_.notify_one();
}

std::optional<X11SelectionPrefetch::Result> X11SelectionPrefetch::wait(qint64 generation,
                                                                       bool content, int ms) {
    std::unique_lock lock(mutex_);
    const bool ended = finishedChanged_.wait_for(lock, std::chrono::milliseconds(ms), [&] {
        return finished_ && finished_->generation == generation && (finished_->content || !content);
    });
    return ended ? finished_ : std::nullopt;
}

void X11SelectionPrefetch::run() {
    // The reader and its connection belong to this thread alone.
    X11SelectionReader reader(displayName_);
    while (true) {
        Job job;
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [this] { return stopping_ || wanted_.has_value(); });
            if (stopping_) {
                return;
            }
            job = *wanted_;
            wanted_.reset();
        }
        X11SelectionReader::Limits limits = options_.limits;
        limits.stop = [this, generation = job.generation] {
            return stopping_ || newest_ != generation;
        };
        reader.begin(std::move(limits));
        Result result = readOne(reader, job);
        {
            std::lock_guard lock(mutex_);
            finished_ = result;
        }
        finishedChanged_.notify_all();
        QMetaObject::invokeMethod(
            context_,
            [delivery = delivery_, result = std::move(result)]() mutable {
                delivery(std::move(result));
            },
            Qt::QueuedConnection);
    }
}

X11SelectionPrefetch::Result X11SelectionPrefetch::readOne(X11SelectionReader& reader,
                                                           const Job& job) {
    Result result;
    result.generation = job.generation;
    result.content = job.content;
    result.owner = reader.owner(selection_);
    if (result.owner == 0) {
        result.targets = QList<QByteArray>();
        return result;
    }
    result.targets = reader.targets(selection_);
    if (!result.targets) {
        result.text.answered = false;
        return result;
    }
    const QList<QByteArray>& targets = *result.targets;
    result.text = reader.text(selection_, targets);
    if (!job.content) {
        for (const QByteArray& marker : options_.markers) {
            if (targets.contains(marker)) {
                if (const auto bytes =
                        reader.data(selection_, QString::fromLatin1(marker), targets)) {
                    result.values.append({QString::fromLatin1(marker), *bytes});
                }
            }
        }
        return result;
    }
    for (const QString& format : X11SelectionReader::formatsOf(targets)) {
        if (options_.keeps && !options_.keeps(format)) {
            continue;
        }
        if (format == QLatin1String("text/plain") && result.text.text &&
            !targets.contains("text/plain")) {
            result.values.append({format, result.text.text->toUtf8()});
        } else if (const auto bytes = reader.data(selection_, format, targets)) {
            result.values.append({format, *bytes});
        }
    }
    // A content cut short by the limits is no content: it would be given back in part.
    if (reader.exhausted()) {
        result.values.clear();
        result.text = {std::nullopt, false};
    }
    return result;
}
