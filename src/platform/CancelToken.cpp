#include "platform/CancelToken.h"

CancelToken::CancelToken() : state_(std::make_shared<State>()) {}

void CancelToken::cancel() {
    if (state_->cancelled) {
        return;
    }
    state_->cancelled = true;
    // A callback may add or remove others; take them out first.
    auto callbacks = std::move(state_->callbacks);
    state_->callbacks.clear();
    for (auto& [id, fn] : callbacks) {
        fn();
    }
}

bool CancelToken::isCancelled() const {
    return state_->cancelled;
}

int CancelToken::onCancel(std::function<void()> fn) {
    if (state_->cancelled) {
        fn();
        return 0;
    }
    const int id = state_->nextId++;
    state_->callbacks.emplace(id, std::move(fn));
    return id;
}

void CancelToken::removeOnCancel(int id) {
    state_->callbacks.erase(id);
}
