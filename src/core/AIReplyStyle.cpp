#include "core/AIReplyStyle.h"

Json AIReplyStyle::toJson() const {
    Json object = Json::object();
    object["id"] = json::str(id);
    object["name"] = json::str(name);
    object["prompt"] = json::str(prompt);
    object["hotkey"] = json::str(hotkey);
    return object;
}

std::optional<AIReplyStyle> AIReplyStyle::fromJson(const Json& object) {
    auto id = json::requiredString(object, "id");
    auto name = json::requiredString(object, "name");
    auto prompt = json::requiredString(object, "prompt");
    auto hotkey = json::requiredString(object, "hotkey");
    if (!id || !name || !prompt || !hotkey) {
        return std::nullopt;
    }
    return AIReplyStyle{*id, *name, *prompt, *hotkey};
}
