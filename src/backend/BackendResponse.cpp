#include "backend/BackendResponse.h"

#include "base/Json.h"

namespace {

// Absent and null read as none; any other type fails the whole answer.
bool readOptionalText(const Json& object, const char* key, std::optional<QString>& out) {
    const auto it = object.find(key);
    if (it == object.end() || it->is_null()) {
        out.reset();
        return true;
    }
    if (!it->is_string()) {
        return false;
    }
    out = json::qstr(it->get<std::string>());
    return true;
}

}  // namespace

std::optional<BackendResponse> BackendResponse::decode(const QByteArray& body) {
    const std::optional<Json> parsed = json::parse(body);
    if (!parsed || !parsed->is_object()) {
        return std::nullopt;
    }
    BackendResponse response;
    if (!readOptionalText(*parsed, "result", response.result) ||
        !readOptionalText(*parsed, "error", response.error)) {
        return std::nullopt;
    }
    return response;
}
