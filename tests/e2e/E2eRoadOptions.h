#pragma once

#include "support/NiveloRoad.h"

// What every end-to-end road starts from: the nivelo and the test editor of this build.
inline NiveloRoad::Options e2eRoadOptions() {
    NiveloRoad::Options options;
    options.niveloBinary = NIVELO_BINARY;
    options.testEditor = NIVELO_TEST_EDITOR;
    return options;
}
