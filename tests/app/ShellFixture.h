#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QPointer>
#include <QWidget>

#include "app/DockPresence.h"
#include "app/NiveloAppDelegate.h"
#include "platform/MemoryDefaults.h"
#include "platform/Platform.h"
#include "support/SimulatedWindowActivation.h"
#include "support/VirtualClock.h"

// Counts the emissions of one signal while it lives.
struct EmissionCounter : QObject {
    template <typename Obj, typename Signal>
    EmissionCounter(Obj* object, Signal signal) {
        connect(object, signal, this, [this] { ++emissions; });
    }
    int count() const { return emissions; }
    int emissions = 0;
};

// Defaults that count how often they were written out.
struct SyncCountingDefaults : MemoryDefaults {
    void sync() override { ++syncs; }
    int syncs = 0;
};

// A simulated platform installed as the process's, and a clean set of windows.
class ShellFixture : public ::testing::Test {
protected:
    void SetUp() override {
        // The offscreen platform has no tray; these tests are about a desktop with one.
        NiveloAppDelegate::setTrayProbe([] { return true; });
        platform_.clock = std::make_unique<VirtualClock>();
        platform_.defaults = std::make_unique<SyncCountingDefaults>();
        platform_.windowActivation = std::make_unique<SimulatedWindowActivation>();
        clock_ = static_cast<VirtualClock*>(platform_.clock.get());
        defaults_ = static_cast<SyncCountingDefaults*>(platform_.defaults.get());
        activation_ = static_cast<SimulatedWindowActivation*>(platform_.windowActivation.get());
        Platform::setCurrent(&platform_);
        DockPresence::shared().setPolicy(ActivationPolicy::Regular);
    }
    void TearDown() override {
        VirtualClock::flushEvents();
        QList<QPointer<QWidget>> windows;  // a dialog goes with its parent
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            windows.append(widget);
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
