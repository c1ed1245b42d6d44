#pragma once

#include "base/NiveloError.h"

// Raised by an operation whose pause was cancelled through its token.
class CancelledError : public NiveloError {
public:
    CancelledError() : NiveloError(QStringLiteral("The operation was cancelled.")) {}
};
