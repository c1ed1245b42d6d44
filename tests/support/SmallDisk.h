#pragma once

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <unistd.h>
#include <QFile>
#include <QTemporaryDir>

// A small file system that fills up: a tmpfs of 1 MB mounted for the test where that is
// allowed, else a file-size limit put on the process that writes.
class SmallDisk {
public:
    static constexpr qint64 kPage = 4096;

    SmallDisk() {
        mounted_ = ::mount("nivelo-test", QFile::encodeName(dir_.path()).constData(), "tmpfs", 0,
                           "size=1m,mode=0700") == 0;
    }
    ~SmallDisk() {
        if (mounted_) {
            ::umount2(QFile::encodeName(dir_.path()).constData(), MNT_DETACH);
        }
    }
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;

    bool isMounted() const { return mounted_; }
    QString path(const QString& name) const { return dir_.filePath(name); }

    // Full but for one page: the next write of more than that fails part way.
    void fill(qint64 writer) {
        if (!mounted_) {
            // The soft limit only: without privileges a lowered hard limit stays down.
            rlimit limit{};
            ASSERT_EQ(::prlimit(static_cast<pid_t>(writer), RLIMIT_FSIZE, nullptr, &limit), 0);
            limit.rlim_cur = kPage;
            ASSERT_EQ(::prlimit(static_cast<pid_t>(writer), RLIMIT_FSIZE, &limit, nullptr), 0);
            return;
        }
        const int fd = ::open(QFile::encodeName(path("filler")).constData(),
                              O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        ASSERT_GE(fd, 0);
        const QByteArray page(kPage, 'f');
        qint64 size = 0;
        while (::write(fd, page.constData(), kPage) == kPage) {
            size += kPage;
        }
        ASSERT_EQ(::ftruncate(fd, size - kPage), 0);
        ::close(fd);
    }
    void makeRoom(qint64 writer) {
        if (!mounted_) {
            rlimit limit{};
            ASSERT_EQ(::prlimit(static_cast<pid_t>(writer), RLIMIT_FSIZE, nullptr, &limit), 0);
            limit.rlim_cur = limit.rlim_max;
            ASSERT_EQ(::prlimit(static_cast<pid_t>(writer), RLIMIT_FSIZE, &limit, nullptr), 0);
            return;
        }
        ASSERT_TRUE(QFile::remove(path("filler")));
    }

private:
    QTemporaryDir dir_;
    bool mounted_ = false;
};
