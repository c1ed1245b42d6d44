#pragma once

#include <QString>
#include <QUuid>
#include <optional>

#include "base/Json.h"

// Selects a keyboard layout whenever a given application becomes active.
struct AppLayoutRule {
    QUuid id;
    QString bundleIdentifier;
    QString appName;
    QString appPath;
    QString layoutName;
    bool isEnabled = true;

    bool operator==(const AppLayoutRule&) const = default;

    // Keys in the stored order; the id as its 36-character text without braces.
    Json toJson() const;
    // None unless every key is present with its type and the id is a well-formed UUID.
    static std::optional<AppLayoutRule> fromJson(const Json& object);
};
