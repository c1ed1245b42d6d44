#pragma once

#include <functional>
#include <map>
#include <memory>

// A shared flag that tells a pause or a task that it has been superseded. Copies share one
// state; cancel() runs the registered callbacks once, synchronously.
class CancelToken {
public:
    CancelToken();

    void cancel();
    bool isCancelled() const;

    // Runs fn when the token is cancelled (at once when it already is). Returns an id for
    // removeOnCancel.
    int onCancel(std::function<void()> fn);
    void removeOnCancel(int id);

private:
    struct State {
        bool cancelled = false;
        int nextId = 1;
        std::map<int, std::function<void()>> callbacks;
    };
    std::shared_ptr<State> state_;
};
