#include "app/DockPresence.h"

DockPresence& DockPresence::shared() {
    static DockPresence presence;
    return presence;
}

void DockPresence::setPolicy(ActivationPolicy policy) {
    policy_ = policy;
    Q_EMIT policyChanged(policy);
}
