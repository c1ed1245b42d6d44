#include "base/Json.h"

#include <QStringList>

QByteArray json::write(const Json& value) {
    const std::string out = value.dump(-1, ' ', false, Json::error_handler_t::replace);
    return QByteArray(out.data(), static_cast<qsizetype>(out.size()));
}

std::optional<Json> json::parse(const QByteArray& bytes) {
    Json value = Json::parse(bytes.constBegin(), bytes.constEnd(), nullptr, false);
    if (value.is_discarded()) {
        return std::nullopt;
    }
    return value;
}

std::optional<QString> json::requiredString(const Json& object, const char* key) {
    if (!object.is_object()) {
        return std::nullopt;
    }
    const auto it = object.find(key);
    if (it == object.end() || !it->is_string()) {
        return std::nullopt;
    }
    return qstr(it->get<std::string>());
}

std::optional<bool> json::requiredBool(const Json& object, const char* key) {
    if (!object.is_object()) {
        return std::nullopt;
    }
    const auto it = object.find(key);
    if (it == object.end() || !it->is_boolean()) {
        return std::nullopt;
    }
    return it->get<bool>();
}

std::optional<qint64> json::requiredInt(const Json& object, const char* key) {
    if (!object.is_object()) {
        return std::nullopt;
    }
    const auto it = object.find(key);
    if (it == object.end() || !it->is_number_integer()) {
        return std::nullopt;
    }
    return it->get<qint64>();
}

std::optional<QString> json::optionalString(const Json& object, const char* key) {
    return requiredString(object, key);
}

std::optional<QStringList> json::decodeStringList(const QByteArray& bytes) {
    return decodeList<QString>(bytes, [](const Json& e) -> std::optional<QString> {
        if (!e.is_string()) {
            return std::nullopt;
        }
        return qstr(e.get<std::string>());
    });
}

QByteArray json::encodeStringList(const QStringList& list) {
    return encodeList(list, [](const QString& s) { return Json(str(s)); });
}
