#pragma once

#include <QObject>
#include <QString>
#include <memory>
#include <optional>

class Clock;
class QLocalServer;
class QLocalSocket;
class QLockFile;

// One instance per data folder, whatever the display or session: a lock file inside the
// folder says who runs, and a local socket lets a later launch ask the running instance to
// show its main window.
class SingleInstance : public QObject {
    Q_OBJECT
public:
    struct Paths {
        QString lock;
        QString socket;
    };
    // The longest path a local socket can listen on.
    static constexpr int kMaxSocketPath = 107;
    // Both in the data folder; a socket path too long for a local socket goes to the runtime
    // folder instead, under a name made from the data folder's path.
    static Paths pathsFor(const QString& dataDir, const QString& runtimeDir);
    // For the data folder of this process.
    static Paths standardPaths();

    explicit SingleInstance(Paths paths, QObject* parent = nullptr);
    ~SingleInstance() override;

    const Paths& paths() const { return paths_; }

    // Takes the lock; false while another live instance holds it. A lock left by a process
    // that is gone is taken over.
    bool acquire();
    // After a failed acquire: whether another instance holds the lock (rather than the lock
    // file being impossible to write).
    bool isHeldElsewhere() const;
    // Starts answering later launches; needs the lock.
    bool listen();

Q_SIGNALS:
    void showRequested();

private:
    void serve(QLocalSocket* socket);

    Paths paths_;
    std::unique_ptr<QLockFile> lock_;
    QLocalServer* server_ = nullptr;
};

// A later launch's side: asks the running instance to show its main window, retrying while
// that instance is still starting up, and reports once it has answered or time ran out.
class InstanceHandOver : public QObject {
    Q_OBJECT
public:
    static constexpr qint64 kRetryMs = 50;
    static constexpr qint64 kTimeoutMs = 5000;

    InstanceHandOver(QString socketPath, Clock& clock, QObject* parent = nullptr);

    void start();

Q_SIGNALS:
    void finished(bool answered);

private:
    void attempt();
    void retryOrGiveUp();

    QString socketPath_;
    Clock& clock_;
    qint64 deadline_ = 0;
    QLocalSocket* socket_ = nullptr;
    bool done_ = false;
};
