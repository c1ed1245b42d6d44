#pragma once

#include <QCoro/QCoroTask>
#include <exception>
#include <memory>
#include <optional>
#include <type_traits>
#include <variant>

#include "base/NiveloError.h"

// Starts a task and keeps its outcome, so a test can start it, advance the virtual clock and
// then look at the result.
template <typename T>
struct TaskOutcome {
    using Value = std::conditional_t<std::is_void_v<T>, std::monostate, T>;
    bool done = false;
    std::optional<Value> value;
    std::exception_ptr error;

    // The description of the error the task ended with, or "" when it did not fail.
    QString errorDescription() const {
        if (!error) {
            return {};
        }
        try {
            std::rethrow_exception(error);
        } catch (const std::exception& e) {
            return ::errorDescription(e);
        } catch (...) {
            return QStringLiteral("unknown error");
        }
    }
};

namespace detail {
template <typename T>
QCoro::Task<> drive(QCoro::Task<T> task, std::shared_ptr<TaskOutcome<T>> out) {
    try {
        if constexpr (std::is_void_v<T>) {
            co_await std::move(task);
            out->value = std::monostate{};
        } else {
            out->value = co_await std::move(task);
        }
    } catch (...) {
        out->error = std::current_exception();
    }
    out->done = true;
}
}  // namespace detail

template <typename T>
std::shared_ptr<TaskOutcome<T>> startTask(QCoro::Task<T> task) {
    auto out = std::make_shared<TaskOutcome<T>>();
    detail::drive(std::move(task), out);
    return out;
}
