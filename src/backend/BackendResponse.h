#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

#include "base/NiveloError.h"

// The JSON answer of the AI endpoint. Other keys are ignored.
struct BackendResponse {
    std::optional<QString> result;
    std::optional<QString> error;

    // None when the body is not a JSON object, or result or error holds something other than
    // text or null.
    static std::optional<BackendResponse> decode(const QByteArray& body);
};

// A successful answer whose body is not a BackendResponse.
class BackendResponseDecodingError : public NiveloError {
public:
    BackendResponseDecodingError()
        : NiveloError(QStringLiteral("The server's answer could not be read.")) {}
};
