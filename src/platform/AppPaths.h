#pragma once

#include <QString>

// Where the app keeps its files. Folders are created on first use, owner-only: what the user
// copied and wrote is nobody else's to read.
namespace AppPaths {

inline constexpr const char* kBundleIdentifier = "ai.nivelo.native";

// $XDG_CONFIG_HOME/ai.nivelo.native
QString configDir();
// $XDG_DATA_HOME/ai.nivelo.native ("application support")
QString dataDir();
// $XDG_RUNTIME_DIR, else the user's own temporary folder
QString runtimeDir();

// Creates the folder with any missing parents and makes it 0700. The first time in a
// process it also takes group and other access from the files already in it (left by an
// older build). False when the folder cannot be made.
bool makePrivateFolder(const QString& path);

// A folder of the user's own in the system's temporary folder, for when the desktop names
// no location: created 0700 and used only when it is a real folder that the user owns; else
// a new one with a random name.
QString userTemporaryDir();

}  // namespace AppPaths
