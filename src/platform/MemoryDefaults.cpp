#include "platform/MemoryDefaults.h"

void MemoryDefaults::set(const QString& key, const QVariant& value) {
    ++writes_;
    if (!value.isValid()) {
        values_.remove(key);
        return;
    }
    values_.insert(key, value);
}
