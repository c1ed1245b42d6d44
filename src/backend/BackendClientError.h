#pragma once

#include "base/NiveloError.h"

enum class BackendClientErrorKind { server, invalidURL, emptyInput, emptyResult };

// A failure of the backend client; server carries the backend's (or our) message.
class BackendClientError : public NiveloEnumError<BackendClientErrorKind> {
public:
    static BackendClientError server(QString message) {
        return {BackendClientErrorKind::server, std::move(message)};
    }
    static BackendClientError invalidURL() {
        return {BackendClientErrorKind::invalidURL, QStringLiteral("Backend URL is invalid.")};
    }
    static BackendClientError emptyInput() {
        return {BackendClientErrorKind::emptyInput, QStringLiteral("No text to process.")};
    }
    static BackendClientError emptyResult() {
        return {BackendClientErrorKind::emptyResult,
                QStringLiteral("AI returned an empty result.")};
    }

private:
    BackendClientError(BackendClientErrorKind kind, QString description)
        : NiveloEnumError(kind, std::move(description)) {}
};
