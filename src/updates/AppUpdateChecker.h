#pragma once

#include <QCoro/QCoroTask>

#include "core/UiLanguage.h"
#include "updates/AppUpdateSnapshot.h"

// Asks whether a newer build exists: what the update manager needs of its client.
class AppUpdateChecker {
public:
    virtual ~AppUpdateChecker() = default;

    // One check; the language picks the locale asked for and the snapshot's texts. Failures
    // are thrown as NiveloError subclasses.
    virtual QCoro::Task<AppUpdateSnapshot> check(UiLanguage language) = 0;
};
