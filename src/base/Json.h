#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <nlohmann/json.hpp>
#include <optional>

// Ordered JSON: key order is part of the wire and stored formats.
using Json = nlohmann::ordered_json;

namespace json {

inline std::string str(const QString& s) {
    return s.toStdString();
}
inline QString qstr(const std::string& s) {
    return QString::fromStdString(s);
}

// Compact UTF-8 bytes; invalid UTF-8 is replaced rather than thrown on.
QByteArray write(const Json& value);
// None when the bytes are not JSON.
std::optional<Json> parse(const QByteArray& bytes);

// Required fields of an object: none when the key is missing or holds another type.
std::optional<QString> requiredString(const Json& object, const char* key);
std::optional<bool> requiredBool(const Json& object, const char* key);
std::optional<qint64> requiredInt(const Json& object, const char* key);
// Optional text field: none when absent or null; a field of another type is none as well.
std::optional<QString> optionalString(const Json& object, const char* key);

// Decodes a JSON array all-or-nothing: none when the bytes are not an array or any element
// fails to decode.
template <typename T, typename DecodeElement>
std::optional<QList<T>> decodeList(const QByteArray& bytes, DecodeElement decodeElement) {
    const auto parsed = parse(bytes);
    if (!parsed || !parsed->is_array()) {
        return std::nullopt;
    }
    QList<T> out;
    out.reserve(static_cast<qsizetype>(parsed->size()));
    for (const auto& element : *parsed) {
        std::optional<T> item = decodeElement(element);
        if (!item) {
            return std::nullopt;
        }
        out.append(std::move(*item));
    }
    return out;
}

template <typename T, typename EncodeElement>
QByteArray encodeList(const QList<T>& list, EncodeElement encodeElement) {
    Json array = Json::array();
    for (const auto& item : list) {
        array.push_back(encodeElement(item));
    }
    return write(array);
}

// A JSON array of strings.
std::optional<QStringList> decodeStringList(const QByteArray& bytes);
QByteArray encodeStringList(const QStringList& list);

}  // namespace json
