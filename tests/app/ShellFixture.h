#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QPointer>
#include <QWidget>
#include <memory>

#include "app/DockPresence.h"
#include "platform/MemoryDefaults.h"
#include "platform/Platform.h"
#include "support/SimulatedWindowActivation.h"
#include "support/VirtualClock.h"

// Counts the emissions of one signal while it lives.
class EmissionCounter {
public:
    template <typename Obj, typename Signal>
    EmissionCounter(Obj* object, Signal signal)
        : connection_(QObject::connect(object, signal, [this] { ++count_; })) {}
    ~EmissionCounter() { QObject::disconnect(connection_); }
    int count() const { return count_; }

private:
    int count_ = 0;
    QMetaObject::Connection connection_;
};

// Defaults that count how often they were written out.
class SyncCountingDefaults : public MemoryDefaults {
public:
    void sync() override { ++syncs; }
    int syncs = 0;
};

// A simulated platform installed as the process's, and a clean set of windows.
class ShellFixture : public ::testing::Test {
protected:
    void SetUp() override {
        auto clock = std::make_unique<VirtualClock>();
        auto defaults = std::make_unique<SyncCountingDefaults>();
        auto activation = std::make_unique<SimulatedWindowActivation>();
        clock_ = clock.get();
        defaults_ = defaults.get();
        activation_ = activation.get();
        platform_.clock = std::move(clock);
        platform_.defaults = std::move(defaults);
        platform_.windowActivation = std::move(activation);
        Platform::setCurrent(&platform_);
        DockPresence::shared().setPolicy(ActivationPolicy::Regular);
    }

    void TearDown() override {
        VirtualClock::flushEvents();
        QList<QPointer<QWidget>> windows;
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (!widget->parentWidget()) {
                windows.append(widget);
            }
        }
        qDeleteAll(windows);
        Platform::setCurrent(nullptr);
    }

    ActivationPolicy policy() const { return DockPresence::shared().policy(); }

    Platform platform_;
    VirtualClock* clock_ = nullptr;
    SyncCountingDefaults* defaults_ = nullptr;
    SimulatedWindowActivation* activation_ = nullptr;
};
