#include "platform/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QFile>
#include <cerrno>

namespace {

bool writeAll(int fd, const QByteArray& bytes) {
    const char* data = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, data, static_cast<size_t>(left));
        if (written < 0 && errno == EINTR) {
            continue;
        }
        // No progress is as bad as an error: a full disk may report either.
        if (written == 0) {
            errno = ENOSPC;
        }
        if (written <= 0) {
            return false;
        }
        data += written;
        left -= written;
    }
    return true;
}

bool holds(int fd, qsizetype size) {
    struct stat info = {};
    return ::fstat(fd, &info) == 0 && info.st_size == size;
}

}  // namespace

bool atomicFile::write(const QString& path, const QByteArray& bytes) {
    const QByteArray target = QFile::encodeName(path);
    QByteArray temporary = target + ".XXXXXX";
    errno = 0;
    // Created 0600.
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    // A network file system may report a failed write only at the flush or the close.
    bool whole = writeAll(fd, bytes) && ::fsync(fd) == 0 && holds(fd, bytes.size());
    whole = ::close(fd) == 0 && whole;
    if (whole && ::rename(temporary.constData(), target.constData()) == 0) {
        return true;
    }
    const int error = errno != 0 ? errno : EIO;
    ::unlink(temporary.constData());
    errno = error;
    return false;
}
