#pragma once

#include "base/NiveloError.h"

enum class AppUpdateClientErrorKind { server, invalidURL };

// A failure of the update client; server carries the update server's (or our) message.
class AppUpdateClientError : public NiveloEnumError<AppUpdateClientErrorKind> {
public:
    static AppUpdateClientError server(QString message) {
        return {AppUpdateClientErrorKind::server, std::move(message)};
    }
    static AppUpdateClientError invalidURL() {
        return {AppUpdateClientErrorKind::invalidURL, QStringLiteral("Update URL is invalid.")};
    }

private:
    AppUpdateClientError(AppUpdateClientErrorKind kind, QString description)
        : NiveloEnumError(kind, std::move(description)) {}
};
