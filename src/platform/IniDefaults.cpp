#include "platform/IniDefaults.h"

#include <QSettings>
#include <QTimer>
#include <cerrno>
#include <mutex>

#include "platform/AppPaths.h"
#include "platform/AtomicFile.h"
#include "platform/IniText.h"
#include "platform/SaveReport.h"
#include "platform/SaveWorker.h"

// What the writing thread found, for the GUI thread to take.
struct IniDefaults::Outcome {
    std::mutex mutex;
    // The generation last written or failed, and the failure's errno (0: written).
    quint64 generation = 0;
    int error = 0;
    bool fresh = false;
};

IniDefaults::IniDefaults(QString filePath, SaveReport* report)
    : path_(std::move(filePath)),
      report_(report),
      outcome_(std::make_shared<Outcome>()),
      worker_(std::make_unique<SaveWorker>()) {
    const QSettings file(path_, QSettings::IniFormat);
    for (const QString& key : file.allKeys()) {
        values_.insert(key, file.value(key));
    }
    if (report_) {
        QObject::connect(report_, &SaveReport::writeAgainDue, &queueGuard_, [this] {
            if (report_->isFailing(this)) {
                startWrite();
            }
        });
    }
}

IniDefaults::~IniDefaults() {
    sync();
}

QString IniDefaults::standardPath() {
    return AppPaths::configDir() + QStringLiteral("/defaults.ini");
}

QVariant IniDefaults::object(const QString& key) const {
    if (const auto encode = later_.find(key); encode != later_.end()) {
        return QVariant((*encode)());
    }
    return values_.value(key);
}

QStringList IniDefaults::keys() const {
    QStringList all = values_.keys();
    all += later_.keys();
    all.sort();
    return all;
}

void IniDefaults::set(const QString& key, const QVariant& value) {
    if (!value.isValid()) {
        remove(key);
        return;
    }
    later_.remove(key);
    values_.insert(key, value);
    changed();
}

void IniDefaults::remove(const QString& key) {
    later_.remove(key);
    values_.remove(key);
    changed();
}

void IniDefaults::setDataLater(const QString& key, std::function<QByteArray()> encode) {
    values_.remove(key);
    later_.insert(key, std::move(encode));
    changed();
}

void IniDefaults::changed() {
    ++generation_;
    if (syncQueued_) {
        return;
    }
    syncQueued_ = true;
    QTimer::singleShot(0, &queueGuard_, [this] {
        syncQueued_ = false;
        startWrite();
    });
}

void IniDefaults::startWrite() {
    if (!hasUnwrittenChanges() || submitted_ == generation_) {
        return;
    }
    submitted_ = generation_;
    // Copies share their data with the values: the snapshot costs no copy of the text.
    worker_->submit([path = path_, values = values_, later = later_, generation = generation_,
                     outcome = outcome_, guard = &queueGuard_, this]() mutable {
        for (auto it = later.cbegin(); it != later.cend(); ++it) {
            values.insert(it.key(), QVariant(it.value()()));
        }
        const bool written = atomicFile::write(path, iniText::encode(values));
        const int error = written ? 0 : errno;
        values.clear();
        {
            const std::lock_guard lock(outcome->mutex);
            outcome->generation = generation;
            outcome->error = error;
            outcome->fresh = true;
        }
        // The defaults wait for this thread before they go; a call still queued then is dropped
        // with the guard.
        QMetaObject::invokeMethod(
            guard, [this] { takeOutcome(); }, Qt::QueuedConnection);
    });
}

void IniDefaults::takeOutcome() {
    quint64 generation = 0;
    int error = 0;
    {
        const std::lock_guard lock(outcome_->mutex);
        if (!outcome_->fresh) {
            return;
        }
        outcome_->fresh = false;
        generation = outcome_->generation;
        error = outcome_->error;
    }
    if (error == 0) {
        written_ = std::max(written_, generation);
        if (report_) {
            report_->saved(this);
        }
        return;
    }
    // Due again at the next change or sync.
    submitted_ = written_;
    if (report_) {
        report_->failed(this, error);
    }
}

void IniDefaults::waitForWrite() {
    worker_->wait();
    takeOutcome();
}

void IniDefaults::sync() {
    waitForWrite();
    startWrite();
    waitForWrite();
}
