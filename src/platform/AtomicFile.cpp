#include "platform/AtomicFile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <cerrno>
#include <climits>
#include <optional>

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

// The file a write replaces: the end of the path's chain of symbolic links, so that a linked
// file (dotfiles kept in a repository) is written where it lives and the link stays. A link to
// nowhere names a file not made yet. None for a loop or a link that cannot be read.
std::optional<QByteArray> linkEnd(QByteArray path) {
    // The kernel's own limit on links followed in one lookup.
    constexpr int kMaxLinks = 40;
    for (int followed = 0; followed <= kMaxLinks; ++followed) {
        struct stat info = {};
        if (::lstat(path.constData(), &info) != 0) {
            return errno == ENOENT ? std::optional(path) : std::nullopt;
        }
        if (!S_ISLNK(info.st_mode)) {
            return path;
        }
        QByteArray to(PATH_MAX, Qt::Uninitialized);
        const ssize_t size = ::readlink(path.constData(), to.data(), size_t(to.size()));
        if (size <= 0) {
            return std::nullopt;
        }
        if (size >= to.size()) {
            errno = ENAMETOOLONG;
            return std::nullopt;
        }
        to.truncate(size);
        // A relative link is relative to its own folder.
        const qsizetype folderEnd = path.lastIndexOf('/');
        path = to.startsWith('/') || folderEnd < 0 ? to : path.left(folderEnd + 1) + to;
    }
    errno = ELOOP;
    return std::nullopt;
}

// The name mkostemp() gives a new file: the file's name, a dot and six letters or digits.
constexpr qsizetype kNewSuffix = 6;

QByteArray newFilePattern(const QByteArray& target) {
    return target + '.' + QByteArray(kNewSuffix, 'X');
}

bool isNewFileName(const QString& name, const QString& target) {
    if (name.size() != target.size() + 1 + kNewSuffix || !name.startsWith(target + '.')) {
        return false;
    }
    for (const QChar c : name.right(kNewSuffix)) {
        if (c.unicode() > 127 || !c.isLetterOrNumber()) {
            return false;
        }
    }
    return true;
}

}  // namespace

bool atomicFile::write(const QString& path, const QByteArray& bytes) {
    // Made and renamed in the linked file's folder, so the replacement stays whole.
    const std::optional<QByteArray> end = linkEnd(QFile::encodeName(path));
    if (!end) {
        return false;
    }
    const QByteArray& target = *end;
    QByteArray temporary = newFilePattern(target);
    errno = 0;
    // Created 0600.
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    // Locked until the rename, so that no start of another process takes it for a leftover; on
    // a descriptor of its own, as the close below must still tell a failed write.
    const int held = ::fcntl(fd, F_DUPFD_CLOEXEC, 0);
    if (held >= 0) {
        ::flock(held, LOCK_EX);
    }
    const auto release = qScopeGuard([held] {
        const int error = errno;
        if (held >= 0) {
            ::close(held);
        }
        errno = error;
    });
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

void atomicFile::removeLeftovers(const QString& path) {
    const std::optional<QByteArray> end = linkEnd(QFile::encodeName(path));
    if (!end) {
        return;
    }
    const QFileInfo target(QFile::decodeName(*end));
    const QDir folder = target.absoluteDir();
    for (const QString& name : folder.entryList(QDir::Files | QDir::Hidden | QDir::System)) {
        if (!isNewFileName(name, target.fileName())) {
            continue;
        }
        const QByteArray file = QFile::encodeName(folder.filePath(name));
        // A link of that name is not ours to follow.
        const int fd = ::open(file.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) {
            continue;
        }
        struct stat info = {};
        if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_uid == ::geteuid() &&
            ::flock(fd, LOCK_EX | LOCK_NB) == 0) {
            ::unlink(file.constData());
        }
        ::close(fd);
    }
}
