#pragma once

#include <QObject>
#include <functional>
#include <map>

#include "platform/ActiveWindowWatch.h"

// The active window's changes, told when a test says so.
class SimulatedActiveWindowWatch : public ActiveWindowWatch {
public:
    Subscription follow(std::function<void()> changed) override {
        const int id = next_++;
        followers_[id] = std::move(changed);
        auto context = std::make_unique<QObject>();
        QObject::connect(context.get(), &QObject::destroyed, [this, id] { followers_.erase(id); });
        return Subscription(std::move(context));
    }

    int followers() const { return int(followers_.size()); }
    void change() {
        const auto followers = followers_;
        for (const auto& [id, follower] : followers) {
            follower();
        }
    }

private:
    std::map<int, std::function<void()>> followers_;
    int next_ = 1;
};
