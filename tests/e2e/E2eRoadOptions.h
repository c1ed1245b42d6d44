#pragma once

#include "support/NiveloRoad.h"

// What every end-to-end road starts from: the nivelo and the test editor of this build.
inline NiveloRoad::Options e2eRoadOptions() {
    NiveloRoad::Options options;
    options.niveloBinary = NIVELO_BINARY;
    options.testEditor = NIVELO_TEST_EDITOR;
    return options;
}

// The same with the accessibility bus on and Select All off, as the roads that read a
// selection through accessibility start.
inline NiveloRoad::Options e2eAccessibleRoadOptions() {
    NiveloRoad::Options options = e2eRoadOptions();
    options.accessibilityBus = true;
    options.defaults = {{"nivelo.autoSelectAllBeforeAction", "false"}};
    return options;
}
