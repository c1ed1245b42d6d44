#include "app/StoreLeftovers.h"

#include <QDir>

#include "clipboard/ClipboardHistoryService.h"
#include "clipboard/ClipboardNotesService.h"
#include "platform/AtomicFile.h"

void removeStoreLeftovers(const QString& dataFolder, const QString& settingsFile) {
    const QDir data(dataFolder);
    for (const QString& file :
         {settingsFile, data.filePath(ClipboardHistoryService::kStoreFileName),
          data.filePath(ClipboardNotesService::kFileName),
          data.filePath(ClipboardNotesService::kBackupFileName)}) {
        atomicFile::removeLeftovers(file);
    }
}
