#pragma once

#include <QCoro/QCoroTask>
#include <QString>
#include <QStringList>
#include <memory>

#include "backend/NativeActionRequest.h"
#include "core/PermissionOffers.h"
#include "core/PermissionState.h"
#include "platform/PermissionSettingsTarget.h"

class NativeActionService;
class PermissionService;

// The process-wide entry to the work that leaves the interface: the AI text actions and the
// permission service.
class NiveloCore {
public:
    NiveloCore(std::unique_ptr<NativeActionService> actions, PermissionService& permissions);
    // With the process-wide permission service, taken when it is first needed.
    explicit NiveloCore(std::unique_ptr<NativeActionService> actions);
    ~NiveloCore();

    // Made on first use with a backend client for the AI endpoint of the configured origin,
    // over the services of the running process's Platform.
    static NiveloCore& shared();

    // The result text of the action; throws what the action service throws.
    QCoro::Task<QString> run(NativeActionRequest request);

    PermissionState permissionSnapshot();
    void openPermissionSettings(PermissionSettingsTarget target);
    bool canRequestPermissions();
    PermissionOffers permissionOffers();
    PermissionState requestPermissions();
    // The reset's report lines; throws what the permission service throws.
    QCoro::Task<QStringList> resetNiveloPermissions();

private:
    PermissionService& permissions();

    std::unique_ptr<NativeActionService> actions_;
    PermissionService* permissions_ = nullptr;
};
