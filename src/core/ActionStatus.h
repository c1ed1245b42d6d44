#pragma once

#include <QString>

// The one user-visible outcome channel: work in progress, success, failure or nothing.
class ActionStatus {
public:
    enum class Kind { running, done, failed, idle };

    ActionStatus() = default;
    static ActionStatus running(QString message) { return {Kind::running, std::move(message)}; }
    static ActionStatus done(QString message) { return {Kind::done, std::move(message)}; }
    static ActionStatus failed(QString message) { return {Kind::failed, std::move(message)}; }
    static ActionStatus idle() { return {}; }

    Kind kind() const { return kind_; }
    // Empty for idle.
    const QString& message() const { return message_; }
    bool isIdle() const { return kind_ == Kind::idle; }

    bool operator==(const ActionStatus&) const = default;

private:
    ActionStatus(Kind kind, QString message) : kind_(kind), message_(std::move(message)) {}

    Kind kind_ = Kind::idle;
    QString message_;
};
