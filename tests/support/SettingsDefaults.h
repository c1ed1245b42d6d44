#pragma once

#include "platform/MemoryDefaults.h"

// Counts whole saves of the settings record (each save writes every key, this one included).
class SettingsDefaults : public MemoryDefaults {
public:
    void set(const QString& key, const QVariant& value) override {
        if (key == QLatin1String("nivelo.theme")) {
            ++saves;
        }
        MemoryDefaults::set(key, value);
    }
    int saves = 0;
};
