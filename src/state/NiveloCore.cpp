#include "state/NiveloCore.h"

#include "backend/BackendClient.h"
#include "backend/BackendEndpoint.h"
#include "backend/NativeActionService.h"
#include "capture/PermissionService.h"

NiveloCore::NiveloCore(std::unique_ptr<NativeActionService> actions, PermissionService& permissions)
    : actions_(std::move(actions)), permissions_(&permissions) {}

NiveloCore::NiveloCore(std::unique_ptr<NativeActionService> actions)
    : actions_(std::move(actions)) {}

NiveloCore::~NiveloCore() = default;

NiveloCore& NiveloCore::shared() {
    static NiveloCore core(std::make_unique<NativeActionService>(std::make_unique<BackendClient>(
                               BackendEndpoint::aiURL(), QString())),
                           PermissionService::shared());
    return core;
}

QCoro::Task<QString> NiveloCore::run(NativeActionRequest request) {
    QString result = co_await actions_->run(std::move(request));
    co_return result;
}

PermissionService& NiveloCore::permissions() {
    if (!permissions_) {
        permissions_ = &PermissionService::shared();
    }
    return *permissions_;
}

PermissionState NiveloCore::permissionSnapshot() {
    return permissions().snapshot();
}

void NiveloCore::openPermissionSettings(PermissionSettingsTarget target) {
    permissions().openSettings(target);
}

bool NiveloCore::canRequestPermissions() {
    return permissions().canRequestPermissions();
}

PermissionOffers NiveloCore::permissionOffers() {
    PermissionService& service = permissions();
    return {service.canRequestPermissions(), service.canResetPermissions(),
            service.hasSettings(PermissionSettingsTarget::accessibility),
            service.hasSettings(PermissionSettingsTarget::inputMonitoring)};
}

PermissionState NiveloCore::requestPermissions() {
    return permissions().requestPermissions();
}

QCoro::Task<QStringList> NiveloCore::resetNiveloPermissions() {
    QStringList lines = co_await permissions().resetNiveloPermissions();
    co_return lines;
}
