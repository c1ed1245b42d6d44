#pragma once

#include <QObject>

// Whether the app presents itself as a regular application (taskbar entry and menu) or as an
// accessory that lives in the tray only. The window manager keeps a minimised window's
// taskbar entry whatever this says, so on this desktop the policy is recorded, not enforced.
enum class ActivationPolicy { Regular, Accessory };

class DockPresence : public QObject {
    Q_OBJECT
public:
    // The process-wide presence, like the application's own activation policy.
    static DockPresence& shared();

    ActivationPolicy policy() const { return policy_; }
    void setPolicy(ActivationPolicy policy);

Q_SIGNALS:
    void policyChanged(ActivationPolicy policy);

private:
    ActivationPolicy policy_ = ActivationPolicy::Regular;
};
