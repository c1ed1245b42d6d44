#include <gtest/gtest.h>

#include <QUuid>

#include "backend/BackendEndpoint.h"
#include "platform/MemoryDefaults.h"
#include "support/QtPrinters.h"

// A stored identifier is kept only in the exact canonical form; anything else is replaced by
// a fresh one, which is stored.
TEST(DeviceId, OnlyTheExactCanonicalFormIsKept) {
    const QString uuid = QStringLiteral("0f8fad5b-d9cb-469f-a165-70867728950e");
    const std::vector<std::pair<QString, bool>> cases{
        {uuid, true},
        {uuid.toUpper(), true},
        {QStringLiteral("0F8FAD5B-d9cb-469F-a165-70867728950E"), true},
        {uuid + QStringLiteral("\r\nX-Injected: 1"), false},
        {uuid + QStringLiteral("0"), false},
        {uuid + QStringLiteral(" "), false},
        {QStringLiteral(" ") + uuid, false},
        {QStringLiteral("{") + uuid + QStringLiteral("}"), false},
        {QString(uuid).remove(u'-'), false},
        {QString(uuid).replace(0, 1, u'g'), false},
        {QStringLiteral("00000000-0000-0000-0000-000000000000"), false},
        {QString(), false},
    };
    for (const auto& [stored, kept] : cases) {
        MemoryDefaults defaults;
        defaults.setString(QStringLiteral("nivelo.deviceId"), stored);
        const QString sent = BackendEndpoint::installationId(defaults);
        EXPECT_EQ(defaults.stringValue(QStringLiteral("nivelo.deviceId")), sent);
        if (kept) {
            EXPECT_EQ(sent, stored);
        } else {
            EXPECT_NE(sent, stored) << stored.toStdString();
            EXPECT_EQ(sent.size(), 36);
            EXPECT_FALSE(QUuid::fromString(sent).isNull()) << sent.toStdString();
        }
    }
}
