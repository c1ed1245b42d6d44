#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QVariant>
#include <functional>
#include <optional>

// The user defaults: a flat key/value store. Data (QByteArray) and text (QString) are kept
// apart. The typed readings behave alike whether a value was stored typed or read back as
// text from a file.
class Defaults {
public:
    virtual ~Defaults() = default;

    // The stored object, or an invalid QVariant when there is none.
    virtual QVariant object(const QString& key) const = 0;
    virtual void set(const QString& key, const QVariant& value) = 0;
    virtual void remove(const QString& key) = 0;
    // Data whose bytes `encode` makes: a store that writes off the GUI thread calls it there, so
    // it must use only an immutable snapshot of its own. Others encode at once.
    virtual void setDataLater(const QString& key, std::function<QByteArray()> encode) {
        set(key, QVariant(encode()));
    }
    // Writes pending changes to permanent storage.
    virtual void sync() {}
    // Something is changed that permanent storage does not hold: a write failed.
    virtual bool hasUnwrittenChanges() const { return false; }

    bool hasObject(const QString& key) const { return object(key).isValid(); }

    // Boolean reading: false when absent; numbers are true when non-zero; texts "true",
    // "yes" and non-zero numbers are true (any case).
    bool boolValue(const QString& key) const;
    // Integer reading: 0 when absent or not a number; texts are parsed, fractions truncated,
    // numbers beyond the 64-bit range give its nearest end.
    qint64 integerValue(const QString& key) const;
    // Fractional reading: 0 when absent, not a number, or not finite; flags read as 0 or 1.
    double doubleValue(const QString& key) const;
    // The stored text (numbers and flags as their text); none for data or when absent.
    std::optional<QString> stringValue(const QString& key) const;
    // The stored data; none for anything that is not data.
    std::optional<QByteArray> dataValue(const QString& key) const;
    // The stored date; none for anything that is not a valid date (a date written as text
    // included).
    std::optional<QDateTime> dateValue(const QString& key) const;

    void setBool(const QString& key, bool value) { set(key, QVariant(value)); }
    void setInteger(const QString& key, qint64 value) { set(key, QVariant(value)); }
    void setDouble(const QString& key, double value) { set(key, QVariant(value)); }
    void setString(const QString& key, const QString& value) { set(key, QVariant(value)); }
    void setData(const QString& key, const QByteArray& value) { set(key, QVariant(value)); }
    void setDate(const QString& key, const QDateTime& value) { set(key, QVariant(value)); }
};
