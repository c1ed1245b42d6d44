#pragma once

#include <QByteArray>
#include <QString>

// Replaces a file whole or not at all. The bytes go to a new owner-only file beside it; only
// when every byte is known to be on the disk (written without a buffer, flushed, its size
// read back, closed without an error) does it take the file's name. A full disk or a quota
// leaves the old file as it was, and errno tells why. A symbolic link stays: the file at the end of
// its chain is the one replaced, by a new file in that file's folder; a link to nowhere is no file
// yet and gets one where it points. The new file is named `.<file>.nivelo-save-` and six letters
// or digits, a name only these writes make, and is locked from before its name can be seen until
// it has the file's name.
namespace atomicFile {

bool write(const QString& path, const QByteArray& bytes);

// Removes the new files that writes of `path` left when their process died midway (a crash, a
// kill): only files of the writes' own name, beside the file at the end of the path's links, that
// no running write holds. Files of any other name stay, the user's copies beside the file
// whatever they are called. For a process that alone writes the file.
void removeLeftovers(const QString& path);

}  // namespace atomicFile
