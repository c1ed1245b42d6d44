#pragma once

#include <QCoro/QCoroTask>
#include <QString>
#include <QStringList>

#include "base/AsyncMutex.h"
#include "core/PermissionState.h"
#include "platform/PermissionSettingsTarget.h"

class PermissionProbe;
class ProcessRunner;
class Workspace;

// Reports the two permissions the app needs, asks for them, opens the desktop's settings for
// them, and resets the permission records of the app's present and former identifiers.
class PermissionService {
public:
    // The identifiers whose records a reset removes, in the order they are reset.
    static const QStringList& niveloBundleIds();
    // The tool that removes a permission record.
    static inline const QString kResetTool = QStringLiteral("/usr/bin/tccutil");

    PermissionService(PermissionProbe& probe, Workspace& workspace, ProcessRunner& processes);

    // The process-wide instance over the current platform, created on first use.
    static PermissionService& shared();

    // Never prompts.
    PermissionState snapshot() const;
    // Opens nothing when the desktop has no settings for that target.
    void openSettings(PermissionSettingsTarget target);
    bool canRequestPermissions() const;
    bool canResetPermissions() const;
    // Whether openSettings() has a place to open for that target.
    bool hasSettings(PermissionSettingsTarget target) const;
    // The desktop has no prompt to show for either permission: a request checks again.
    PermissionState requestPermissions();
    // One report line per service and identifier ("reset ..." or "skip ..."). Throws
    // ProcessRunnerError when the tool cannot be launched; the lines gathered so far are
    // dropped then. Resets run one after the other.
    QCoro::Task<QStringList> resetNiveloPermissions();

private:
    QCoro::Task<QString> runResetTool(QString service, QString bundleId);

    PermissionProbe& probe_;
    Workspace& workspace_;
    ProcessRunner& processes_;
    AsyncMutex resets_;
};
