#include "core/AppLayoutRule.h"

Json AppLayoutRule::toJson() const {
    Json object = Json::object();
    object["id"] = json::str(id.toString(QUuid::WithoutBraces).toUpper());
    object["bundleIdentifier"] = json::str(bundleIdentifier);
    object["appName"] = json::str(appName);
    object["appPath"] = json::str(appPath);
    object["layoutName"] = json::str(layoutName);
    object["isEnabled"] = isEnabled;
    return object;
}

std::optional<AppLayoutRule> AppLayoutRule::fromJson(const Json& object) {
    auto id = json::requiredString(object, "id");
    auto bundleIdentifier = json::requiredString(object, "bundleIdentifier");
    auto appName = json::requiredString(object, "appName");
    auto appPath = json::requiredString(object, "appPath");
    auto layoutName = json::requiredString(object, "layoutName");
    auto isEnabled = json::requiredBool(object, "isEnabled");
    if (!id || !bundleIdentifier || !appName || !appPath || !layoutName || !isEnabled) {
        return std::nullopt;
    }
    // QUuid would also take braces; the stored form has none.
    const QUuid uuid = id->size() == 36 ? QUuid::fromString(*id) : QUuid();
    if (uuid.isNull()) {
        return std::nullopt;
    }
    return AppLayoutRule{uuid, *bundleIdentifier, *appName, *appPath, *layoutName, *isEnabled};
}
