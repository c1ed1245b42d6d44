#pragma once

#include <QMap>
#include <QObject>
#include <QVariant>
#include <memory>

#include "platform/Defaults.h"

class SaveReport;
class SaveWorker;

// Defaults in an INI file, in QSettings' IniFormat. Data is written as QByteArray so it reads
// back as data; everything else reads back as text. The file is read once; every write
// replaces it whole or not at all (QSettings reports success when a full disk cut its write
// short), encoded and written on a thread of its own from a snapshot of the values. A write
// that did not reach the disk is told to the report, and tried again when the report says
// another store wrote, at the next change, and when the defaults go away.
class IniDefaults : public Defaults {
public:
    explicit IniDefaults(QString filePath, SaveReport* report = nullptr);
    ~IniDefaults() override;

    // $XDG_CONFIG_HOME/ai.nivelo.native/defaults.ini
    static QString standardPath();

    // Data set to be encoded later is encoded here, at once.
    QVariant object(const QString& key) const override;
    // A change is written after the next event-loop turn, off this thread, or at the next
    // sync().
    void set(const QString& key, const QVariant& value) override;
    void remove(const QString& key) override;
    void setDataLater(const QString& key, std::function<QByteArray()> encode) override;
    // Writes the file when something changed since the last good write, and returns once it
    // is written or failed.
    void sync() override;
    // Returns once the write under way, if any, has ended.
    void waitForWrite();

    QString filePath() const { return path_; }
    QStringList keys() const;
    // Something is changed that the file does not hold yet.
    bool hasUnwrittenChanges() const override { return written_ != generation_; }

private:
    struct Outcome;

    void changed();
    void startWrite();
    void takeOutcome();

    QString path_;
    SaveReport* report_;
    QMap<QString, QVariant> values_;
    QMap<QString, std::function<QByteArray()>> later_;
    // Each change counts one up; the last good write's count.
    quint64 generation_ = 0;
    quint64 written_ = 0;
    quint64 submitted_ = 0;
    bool syncQueued_ = false;
    std::shared_ptr<Outcome> outcome_;
    // Guards the queued calls: none runs after the defaults are gone.
    QObject queueGuard_;
    // Last: its thread ends before anything it reports to.
    std::unique_ptr<SaveWorker> worker_;
};
