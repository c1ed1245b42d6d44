#include "platform/x11/X11SelectionPrefetch.h"

#include <QHash>
#include <QMetaObject>
#include <QStringList>
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
    stop();
}

void X11SelectionPrefetch::stop() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_one();
    if (thread_.joinable()) {
        thread_.join();
    }
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

void X11SelectionPrefetch::forget(qint64 generation, bool content) {
    std::lock_guard lock(mutex_);
    if (finished_ && finished_->generation == generation && finished_->content == content) {
        finished_.reset();
    }
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
        result.whole = true;
        return result;
    }
    result.targets = reader.targets(selection_);
    if (!result.targets) {
        result.text.answered = false;
        return result;
    }
    const QList<QByteArray>& targets = *result.targets;
    if (!job.content) {
        result.text = reader.text(selection_, targets);
        for (const QByteArray& marker : options_.markers) {
            if (targets.contains(marker)) {
                if (const auto bytes =
                        reader.data(selection_, QString::fromLatin1(marker), targets)) {
                    result.values.append({QString::fromLatin1(marker), *bytes});
                }
            }
        }
        result.whole = !reader.exhausted();
        return result;
    }
    // Every target is asked once; the text is what its text targets gave.
    QHash<QByteArray, std::optional<X11SelectionReader::Value>> read;
    QStringList formats;
    for (const QString& format : X11SelectionReader::formatsOf(targets)) {
        if (options_.keeps && !options_.keeps(format)) {
            continue;
        }
        formats.append(format);
        const QByteArray target = format.toLatin1();
        if (targets.contains(target)) {
            read.insert(target, reader.read(selection_, target));
        }
        if (reader.exhausted()) {
            break;
        }
    }
    result.text = X11SelectionReader::textOf(
        targets, [&](const QByteArray& target) { return read.value(target); });
    for (const QString& format : formats) {
        const auto value = read.value(format.toLatin1());
        if (value && !value->data.isEmpty()) {
            result.values.append({format, value->data});
        } else if (!value && format == QLatin1String("text/plain") && result.text.text &&
                   !targets.contains("text/plain")) {
            result.values.append({format, result.text.text->toUtf8()});
        }
    }
    // A content cut short is not the content: given back, the rest would be lost.
    result.whole = !reader.exhausted();
    if (!result.whole) {
        result.values.clear();
        result.text = {std::nullopt, false};
    }
    return result;
}
