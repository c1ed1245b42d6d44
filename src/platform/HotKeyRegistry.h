#pragma once

#include <QtGlobal>
#include <functional>

// A global hot key's identity: a four-character signature and a number.
struct HotKeyId {
    quint32 signature = 0;
    quint32 id = 0;

    friend bool operator==(const HotKeyId&, const HotKeyId&) = default;
};

// Builds a four-character code ("NVLH") the way hot-key signatures are written.
constexpr quint32 fourCharCode(const char (&code)[5]) {
    return (quint32(quint8(code[0])) << 24) | (quint32(quint8(code[1])) << 16) |
           (quint32(quint8(code[2])) << 8) | quint32(quint8(code[3]));
}

// Modifier bits of a hot key; a mask is their sum.
namespace HotKeyModifier {
constexpr quint32 Command = 256;  // Super
constexpr quint32 Shift = 512;
constexpr quint32 Option = 2048;  // Alt
constexpr quint32 Control = 4096;
}  // namespace HotKeyModifier

// System-wide hot keys that fire whatever application is in front. Key codes are the
// platform-neutral numbers of the hot-key texts (A = 0, S = 1, ..., Space = 49); the
// implementation maps them to physical keys, so a hot key is the same key in every layout.
class HotKeyRegistry {
public:
    using PressHandler = std::function<void(HotKeyId)>;

    virtual ~HotKeyRegistry() = default;

    // Installs the one handler that receives every press of a registered hot key, on the
    // main thread. Returns 0, or a non-zero status when the system refuses.
    virtual int installHandler(PressHandler handler) = 0;
    virtual void removeHandler() = 0;

    // Returns 0, or a non-zero status when the system refuses (for example because another
    // client holds the same keys).
    virtual int registerHotKey(HotKeyId id, quint16 keyCode, quint32 modifiers) = 0;
    virtual void unregisterHotKey(HotKeyId id) = 0;
};
