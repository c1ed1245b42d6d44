#pragma once

#include "base/NiveloError.h"

enum class NiveloCoreErrorKind { actionNotPortedYet };

// An action the core does not run itself (other parts of the app handle it), or a style
// action whose style is missing.
class NiveloCoreError : public NiveloEnumError<NiveloCoreErrorKind> {
public:
    static NiveloCoreError actionNotPortedYet(const QString& name) {
        return NiveloCoreError(NiveloCoreErrorKind::actionNotPortedYet,
                               QStringLiteral("This native action is not ported yet: ") + name,
                               name);
    }
    // The action named in the description.
    const QString& name() const { return name_; }

private:
    NiveloCoreError(NiveloCoreErrorKind kind, QString description, QString name)
        : NiveloEnumError(kind, std::move(description)), name_(std::move(name)) {}
    QString name_;
};
