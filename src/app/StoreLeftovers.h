#pragma once

#include <QString>

// Removes what saves that a crash or a kill cut short left beside the stores' files: the
// settings file, the clipboard history, and the notes with their backup in the data folder.
// Only for the instance that holds the data folder's lock.
void removeStoreLeftovers(const QString& dataFolder, const QString& settingsFile);
