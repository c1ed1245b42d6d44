#pragma once

#include <QMap>
#include <QObject>
#include <QVariant>

#include "platform/Defaults.h"

// Defaults in an INI file, in QSettings' IniFormat. Data is written as QByteArray so it reads
// back as data; everything else reads back as text. The file is read once; every write
// replaces it whole or not at all (QSettings reports success when a full disk cut its write
// short). A write that did not reach the disk is tried again at the next change, and when
// the defaults go away.
class IniDefaults : public Defaults {
public:
    explicit IniDefaults(QString filePath);
    ~IniDefaults() override;

    // $XDG_CONFIG_HOME/ai.nivelo.native/defaults.ini
    static QString standardPath();

    QVariant object(const QString& key) const override { return values_.value(key); }
    // A change is written on the next event-loop turn, or at the next sync().
    void set(const QString& key, const QVariant& value) override;
    void remove(const QString& key) override;
    // Writes the file when something changed since the last good write.
    void sync() override;

    QString filePath() const { return path_; }
    QStringList keys() const { return values_.keys(); }
    // Something is changed that the file does not hold yet.
    bool hasUnwrittenChanges() const { return unwritten_; }

private:
    void changed();

    QString path_;
    QMap<QString, QVariant> values_;
    bool unwritten_ = false;
    bool syncQueued_ = false;
    // Guards the queued sync: it never runs after the defaults are gone.
    QObject queueGuard_;
};
