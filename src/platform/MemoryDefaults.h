#pragma once

#include <QMap>

#include "platform/Defaults.h"

// Defaults held in memory only: for tests, and for a process that must not touch the
// user's files.
class MemoryDefaults : public Defaults {
public:
    QVariant object(const QString& key) const override { return values_.value(key); }
    void set(const QString& key, const QVariant& value) override;
    void remove(const QString& key) override { values_.remove(key); }

    QStringList keys() const { return values_.keys(); }
    int writeCount() const { return writes_; }

private:
    QMap<QString, QVariant> values_;
    int writes_ = 0;
};
