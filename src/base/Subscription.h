#pragma once

#include <QObject>
#include <functional>
#include <memory>
#include <type_traits>

// A live subscription; dropping it disconnects and discards deliveries not yet made.
class Subscription {
public:
    Subscription() = default;
    explicit Subscription(std::unique_ptr<QObject> context) : context_(std::move(context)) {}
    Subscription(Subscription&&) noexcept = default;
    Subscription& operator=(Subscription&&) noexcept = default;

    bool isActive() const { return context_ != nullptr; }
    void reset() { context_.reset(); }

private:
    std::unique_ptr<QObject> context_;
};

// Delivers getter()'s current value, then the value of every emission of signal, each on the
// next event-loop turn.
template <typename Obj, typename Signal, typename Getter, typename Fn>
Subscription subscribe(Obj* object, Signal signal, Getter getter, Fn fn) {
    using Value = std::decay_t<std::invoke_result_t<Getter, Obj*>>;
    auto context = std::make_unique<QObject>();
    QObject* ctx = context.get();
    auto deliver = [ctx, fn = std::move(fn)](Value value) {
        QMetaObject::invokeMethod(
            ctx, [fn, value = std::move(value)] { fn(value); }, Qt::QueuedConnection);
    };
    deliver(std::invoke(getter, object));
    QObject::connect(object, signal, ctx, [deliver](const auto& value) { deliver(Value(value)); });
    return Subscription(std::move(context));
}
