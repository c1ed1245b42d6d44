#include "capture/PermissionService.h"

#include <QStringDecoder>

#include "base/Text.h"
#include "platform/PermissionProbe.h"
#include "platform/Platform.h"
#include "platform/ProcessRunner.h"
#include "platform/Workspace.h"

const QStringList& PermissionService::niveloBundleIds() {
    static const QStringList ids = {
        QStringLiteral("ai.nivelo.native"),   QStringLiteral("ai.nivelo.desktop"),
        QStringLiteral("com.velda.nivelo"),   QStringLiteral("com.velda.nivelo.desktop"),
        QStringLiteral("com.nivelo.desktop"),
    };
    return ids;
}

PermissionService::PermissionService(PermissionProbe& probe, Workspace& workspace,
                                     ProcessRunner& processes)
    : probe_(probe), workspace_(workspace), processes_(processes) {}

PermissionService& PermissionService::shared() {
    static auto* instance = [] {
        Platform& platform = Platform::current();
        return new PermissionService(*platform.permissionProbe, *platform.workspace,
                                     *platform.processRunner);
    }();
    return *instance;
}

PermissionState PermissionService::snapshot() const {
    return {probe_.canPostSyntheticEvents(), probe_.canMonitorInput()};
}

void PermissionService::openSettings(PermissionSettingsTarget target) {
    if (const auto url = probe_.settingsUrl(target)) {
        workspace_.openUrl(*url);
    }
}

bool PermissionService::canRequestPermissions() const {
    return probe_.canRequest();
}

bool PermissionService::canResetPermissions() const {
    return probe_.canReset();
}

bool PermissionService::hasSettings(PermissionSettingsTarget target) const {
    return probe_.settingsUrl(target).has_value();
}

PermissionState PermissionService::requestPermissions() {
    return snapshot();
}

namespace {
QString reportLine(const QString& service, const QString& bundleId, const ProcessResult& result) {
    if (result.exitStatus == 0) {
        return QStringLiteral("reset %1 %2").arg(service, bundleId);
    }
    // Undecodable output counts as no message.
    auto decoder = QStringDecoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString message = decoder.decode(result.standardError);
    if (decoder.hasError()) {
        message.clear();
    }
    return QStringLiteral("skip %1 %2 %3").arg(service, bundleId, text::trimmed(message));
}
}  // namespace

QCoro::Task<QStringList> PermissionService::resetNiveloPermissions() {
    const auto guard = co_await resets_.lock();
    static const QStringList services = {QString::fromLatin1("Accessibility"),
                                         QString::fromLatin1("ListenEvent")};
    QStringList lines;
    for (const QString& service : services) {
        for (const QString& bundleId : niveloBundleIds()) {
            lines.append(co_await runResetTool(service, bundleId));
        }
    }
    co_return lines;
}

QCoro::Task<QString> PermissionService::runResetTool(QString service, QString bundleId) {
    QStringList arguments;
    arguments << QString::fromLatin1("reset") << service << bundleId;
    const ProcessResult result = co_await processes_.run(kResetTool, arguments);
    QString line = reportLine(service, bundleId, result);
    co_return line;
}
