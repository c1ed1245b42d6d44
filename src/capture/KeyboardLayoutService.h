#pragma once

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

#include "base/NiveloError.h"
#include "platform/InputSources.h"

struct NiveloSettings;

// Text typed in the wrong layout, converted key by key.
struct KeyboardLayoutFixResult {
    QString text;
    bool convertedToLatin = false;
    // The layout the text now belongs to.
    QString targetLayoutName;

    friend bool operator==(const KeyboardLayoutFixResult&,
                           const KeyboardLayoutFixResult&) = default;
};

// A latin and a native layout to propose, and the names of the enabled layouts.
struct KeyboardLayoutSuggestion {
    QString latinLayoutName;
    QString nativeLayoutName;
    QStringList availableLayoutNames;

    friend bool operator==(const KeyboardLayoutSuggestion&,
                           const KeyboardLayoutSuggestion&) = default;
};

enum class KeyboardLayoutErrorKind { layoutNotFound, switchFailed };

class KeyboardLayoutError : public NiveloEnumError<KeyboardLayoutErrorKind> {
public:
    static KeyboardLayoutError layoutNotFound(const QString& name);
    static KeyboardLayoutError switchFailed(const QString& name, int status);

private:
    using NiveloEnumError::NiveloEnumError;
};

// The enabled keyboard layouts: names the current one, switches by a lenient name, proposes a
// latin/native pair, and fixes text typed in the wrong one (never through the AI backend).
// Each instance keeps its own cache of the character maps.
class KeyboardLayoutService {
public:
    static inline const QString defaultLatinName = QStringLiteral("ABC");
    static inline const QString defaultNativeName = QStringLiteral("Русская — ПК");

    explicit KeyboardLayoutService(InputSources& sources);

    // With the settings' latin and native layout names.
    KeyboardLayoutFixResult fix(const QString& text, const NiveloSettings& settings);
    // latinSource / nativeSource are layout names (empty: the defaults).
    KeyboardLayoutFixResult fix(const QString& text, const QString& latinSource,
                                const QString& nativeSource);

    std::optional<QString> currentLayoutName() const;
    // Throws KeyboardLayoutError.
    void switchLayout(const QString& name);
    KeyboardLayoutSuggestion suggestion() const;

    // Character rows typed by the same keys, position by position.
    static const QString& latinRow();
    static const QString& russianRow();
    static const QString& ukrainianRow();

    // Whether a layout's name and id mark it as a latin one.
    static bool isLatin(const InputSource& source);
    // The layout a user means by a name: exact name or id first, then a part of one, then
    // the language families (Russian, Ukrainian, latin). None for a blank name.
    static std::optional<InputSource> findSource(const QString& name,
                                                 const QList<InputSource>& sources);

    using CharMap = QHash<QChar, QChar>;
    static KeyboardLayoutFixResult convert(const QString& text, const CharMap& latinToNative,
                                           const CharMap& nativeToLatin, const QString& latinName,
                                           const QString& nativeName);

private:
    QList<InputSource> inputSources() const;
    // Latin-to-native and native-to-latin maps of the keys that type differently.
    std::optional<std::pair<CharMap, CharMap>> makeMaps(const InputSource& latin,
                                                        const InputSource& native) const;
    std::optional<QChar> translatedCharacter(const QString& id, quint16 keyCode, bool shift) const;

    struct CachedMaps {
        QString latinID;
        QString nativeID;
        CharMap latinToNative;
        CharMap nativeToLatin;
    };
    InputSources& sources_;
    std::optional<CachedMaps> cachedMaps_;
};
