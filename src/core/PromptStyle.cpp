#include "core/PromptStyle.h"

Json PromptStyle::toJson() const {
    Json object = Json::object();
    object["id"] = json::str(id);
    object["name"] = json::str(name);
    object["prompt"] = json::str(prompt);
    object["hotkey"] = json::str(hotkey);
    object["autoReplace"] = autoReplace;
    return object;
}

std::optional<PromptStyle> PromptStyle::fromJson(const Json& object) {
    auto id = json::requiredString(object, "id");
    auto name = json::requiredString(object, "name");
    auto prompt = json::requiredString(object, "prompt");
    auto hotkey = json::requiredString(object, "hotkey");
    auto autoReplace = json::requiredBool(object, "autoReplace");
    if (!id || !name || !prompt || !hotkey || !autoReplace) {
        return std::nullopt;
    }
    return PromptStyle{*id, *name, *prompt, *hotkey, *autoReplace};
}
