#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "core/NativeSettingsStore.h"
#include "platform/IniDefaults.h"

// A limit edited in the file far beyond its range loads as the nearest end of the range.
TEST(SettingsRange, AnOversizedClipboardLimitLoadsAsTheTopAndAnUndersizedOneAsTheBottom) {
    QTemporaryDir dir;
    IniDefaults defaults(dir.filePath(QStringLiteral("defaults.ini")));
    NativeSettingsStore store(defaults);
    for (const auto& [stored, expected] :
         std::vector<std::pair<const char*, int>>{{"99999999999999999999", 1000},
                                                  {"1e20", 1000},
                                                  {"-1e20", 1},
                                                  {"-99999999999999999999", 1}}) {
        defaults.setString(QStringLiteral("nivelo.clipboardLimit"), QString::fromLatin1(stored));
        EXPECT_EQ(store.load().clipboardLimit, expected) << stored;
    }
}
