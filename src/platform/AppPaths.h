#pragma once

#include <QString>

// Where the app keeps its files. Folders are created on first use.
namespace AppPaths {

inline constexpr const char* kBundleIdentifier = "ai.nivelo.native";

// $XDG_CONFIG_HOME/ai.nivelo.native
QString configDir();
// $XDG_DATA_HOME/ai.nivelo.native ("application support")
QString dataDir();
// $XDG_RUNTIME_DIR, else the temporary folder
QString runtimeDir();

}  // namespace AppPaths
