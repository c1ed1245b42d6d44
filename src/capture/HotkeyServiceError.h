#pragma once

#include "base/NiveloError.h"

enum class HotkeyServiceErrorKind { invalidHotkey, installFailed, registerFailed };

class HotkeyServiceError : public NiveloEnumError<HotkeyServiceErrorKind> {
public:
    static HotkeyServiceError invalidHotkey(const QString& text);
    static HotkeyServiceError installFailed(int status);
    static HotkeyServiceError registerFailed(const QString& text, int status);

private:
    using NiveloEnumError::NiveloEnumError;
};
