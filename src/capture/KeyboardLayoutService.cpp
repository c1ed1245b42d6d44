#include "capture/KeyboardLayoutService.h"

#include <QRegularExpression>
#include <QTextBoundaryFinder>

#include "base/Text.h"
#include "core/NiveloSettings.h"

namespace {

// The words of a layout's name and id ("English (US)" -> english, us).
QStringList tokens(const QString& lowered) {
    static const QRegularExpression separators(QStringLiteral("[^\\p{L}\\p{N}]+"));
    return lowered.split(separators, Qt::SkipEmptyParts);
}

// Short codes such as "us" or "ru" count only as a word of their own: "Russian" and
// "Belarusian" contain "us" and "ru" without being those layouts.
bool hasWord(const QString& lowered, const QString& word) {
    return tokens(lowered).contains(word);
}

bool containsAny(const QString& s, std::initializer_list<const char*> parts) {
    for (const char* part : parts) {
        if (s.contains(QString::fromUtf8(part))) {
            return true;
        }
    }
    return false;
}

QString joinedKey(const InputSource& s) {
    return text::trimmed(s.name + u' ' + s.id).toLower();
}

KeyboardLayoutService::CharMap rowMap(const QString& from, const QString& to) {
    KeyboardLayoutService::CharMap map;
    for (qsizetype i = 0; i < from.size(); ++i) {
        map.insert(from[i], i < to.size() ? to[i] : from[i]);
    }
    return map;
}

// Each user-perceived character; only single-unit ones can be keys of a map.
QStringList graphemes(const QString& text) {
    QStringList out;
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    qsizetype start = 0;
    while (finder.toNextBoundary() != -1) {
        const qsizetype end = finder.position();
        out << text.mid(start, end - start);
        start = end;
    }
    return out;
}

}  // namespace

KeyboardLayoutError KeyboardLayoutError::layoutNotFound(const QString& name) {
    return {KeyboardLayoutErrorKind::layoutNotFound, "Keyboard layout not found: " + name};
}

KeyboardLayoutError KeyboardLayoutError::switchFailed(const QString& name, int status) {
    return {KeyboardLayoutErrorKind::switchFailed,
            "Could not switch keyboard layout to " + name + ": " + QString::number(status)};
}

KeyboardLayoutService::KeyboardLayoutService(InputSources& sources) : sources_(sources) {}

const QString& KeyboardLayoutService::latinRow() {
    static const QString row =
        QStringLiteral("`qwertyuiop[]asdfghjkl;'zxcvbnm,./~QWERTYUIOP{}ASDFGHJKL:\"ZXCVBNM<>?");
    return row;
}

const QString& KeyboardLayoutService::russianRow() {
    static const QString row =
        QStringLiteral("ёйцукенгшщзхъфывапролджэячсмитьбю.ЁЙЦУКЕНГШЩЗХЪФЫВАПРОЛДЖЭЯЧСМИТЬБЮ,");
    return row;
}

const QString& KeyboardLayoutService::ukrainianRow() {
    static const QString row =
        QStringLiteral("'йцукенгшщзхїфівапролджєячсмитьбю./ЙЦУКЕНГШЩЗХЇФІВАПРОЛДЖЄЯЧСМИТЬБЮ,");
    return row;
}

bool KeyboardLayoutService::isLatin(const InputSource& source) {
    const QString key = (source.name + u' ' + source.id).toLower();
    return containsAny(key, {"abc", "u.s.", "roman", "latin"}) ||
           hasWord(key, QStringLiteral("us"));
}

std::optional<InputSource> KeyboardLayoutService::findSource(const QString& name,
                                                             const QList<InputSource>& sources) {
    const QString wanted = text::trimmed(name).toLower();
    if (wanted.isEmpty()) {
        return std::nullopt;  // a blank name would otherwise be "part" of every layout
    }
    const auto first = [&](auto&& pred) -> std::optional<InputSource> {
        for (const InputSource& s : sources) {
            if (pred(s)) {
                return s;
            }
        }
        return std::nullopt;
    };
    const auto lowered = [](const QString& s) { return text::trimmed(s).toLower(); };

    if (auto exact = first([&](const InputSource& s) {
            return lowered(s.name) == wanted || lowered(s.id) == wanted;
        })) {
        return exact;
    }
    if (auto part = first([&](const InputSource& s) {
            return lowered(s.name).contains(wanted) || lowered(s.id).contains(wanted);
        })) {
        return part;
    }
    if (containsAny(wanted, {"рус", "russian"}) || hasWord(wanted, QStringLiteral("ru"))) {
        if (auto ru = first([&](const InputSource& s) {
                const QString key = joinedKey(s);
                return containsAny(key, {"рус", "russian", ".ru"});
            })) {
            return ru;
        }
    }
    if (containsAny(wanted, {"укра", "ukrain"}) || hasWord(wanted, QStringLiteral("ua"))) {
        if (auto ua = first([&](const InputSource& s) {
                const QString key = joinedKey(s);
                return containsAny(key, {"укра", "ukrain", ".ua"});
            })) {
            return ua;
        }
    }
    if (containsAny(wanted, {"abc", "latin", "u.s"}) || hasWord(wanted, QStringLiteral("us"))) {
        return first(&KeyboardLayoutService::isLatin);
    }
    return std::nullopt;
}

QList<InputSource> KeyboardLayoutService::inputSources() const {
    QList<InputSource> out;
    for (const InputSource& s : sources_.enabledSources()) {
        if (!s.name.isEmpty() && !s.id.isEmpty()) {
            out << s;
        }
    }
    return out;
}

std::optional<QChar> KeyboardLayoutService::translatedCharacter(const QString& id, quint16 keyCode,
                                                                bool shift) const {
    const QString typed = sources_.translateKey(id, keyCode, shift);
    if (typed.size() != 1 || typed[0].isSurrogate()) {
        return std::nullopt;
    }
    return typed[0];
}

std::optional<std::pair<KeyboardLayoutService::CharMap, KeyboardLayoutService::CharMap>>
KeyboardLayoutService::makeMaps(const InputSource& latin, const InputSource& native) const {
    if (!sources_.hasKeyMap(latin.id) || !sources_.hasKeyMap(native.id)) {
        return std::nullopt;
    }
    // Each key is translated once per layout; both directions come from the same pairs.
    CharMap latinToNative;
    CharMap nativeToLatin;
    for (quint16 key = 0; key < 128; ++key) {
        for (const bool shift : {false, true}) {
            const auto a = translatedCharacter(latin.id, key, shift);
            const auto b = translatedCharacter(native.id, key, shift);
            if (a && b && *a != *b) {
                latinToNative.insert(*a, *b);
                nativeToLatin.insert(*b, *a);
            }
        }
    }
    if (latinToNative.isEmpty()) {
        return std::nullopt;
    }
    return std::pair{std::move(latinToNative), std::move(nativeToLatin)};
}

KeyboardLayoutFixResult KeyboardLayoutService::convert(const QString& text,
                                                       const CharMap& latinToNative,
                                                       const CharMap& nativeToLatin,
                                                       const QString& latinName,
                                                       const QString& nativeName) {
    const QStringList chars = graphemes(text);
    int latinCount = 0;
    int nativeCount = 0;
    for (const QString& c : chars) {
        if (c.size() == 1) {
            latinCount += latinToNative.contains(c[0]) ? 1 : 0;
            nativeCount += nativeToLatin.contains(c[0]) ? 1 : 0;
        }
    }
    const bool toLatin = latinCount < nativeCount;
    const CharMap& map = toLatin ? nativeToLatin : latinToNative;
    QString out;
    out.reserve(text.size());
    for (const QString& c : chars) {
        if (c.size() == 1) {
            out += map.value(c[0], c[0]);
        } else {
            out += c;
        }
    }
    return {out, toLatin, toLatin ? latinName : nativeName};
}

KeyboardLayoutFixResult KeyboardLayoutService::fix(const QString& text,
                                                   const NiveloSettings& settings) {
    return fix(text, settings.layoutLatinSource, settings.layoutNativeSource);
}

KeyboardLayoutFixResult KeyboardLayoutService::fix(const QString& text, const QString& latinSource,
                                                   const QString& nativeSource) {
    const QString latinName = latinSource.isEmpty() ? defaultLatinName : latinSource;
    const QString nativeName = nativeSource.isEmpty() ? defaultNativeName : nativeSource;

    const QList<InputSource> sources = inputSources();
    std::optional<InputSource> latin = findSource(latinName, sources);
    if (!latin) {
        for (const InputSource& s : sources) {
            if (isLatin(s)) {
                latin = s;
                break;
            }
        }
    }
    std::optional<InputSource> native = findSource(nativeName, sources);
    if (!native) {
        for (const InputSource& s : sources) {
            if (!isLatin(s)) {
                native = s;
                break;
            }
        }
    }

    if (latin && native) {
        if (!cachedMaps_ || cachedMaps_->latinID != latin->id ||
            cachedMaps_->nativeID != native->id) {
            if (auto maps = makeMaps(*latin, *native)) {
                cachedMaps_ = CachedMaps{latin->id, native->id, std::move(maps->first),
                                         std::move(maps->second)};
            }
        }
        if (cachedMaps_ && cachedMaps_->latinID == latin->id &&
            cachedMaps_->nativeID == native->id) {
            KeyboardLayoutFixResult result =
                convert(text, cachedMaps_->latinToNative, cachedMaps_->nativeToLatin, latin->name,
                        native->name);
            if (result.text != text) {
                return result;
            }
        }
    }

    const QString native_ = text::trimmed(nativeName).toLower();
    const QString& nativeRow =
        containsAny(native_, {"ukrain", "укра"}) ? ukrainianRow() : russianRow();
    return convert(text, rowMap(latinRow(), nativeRow), rowMap(nativeRow, latinRow()), latinName,
                   nativeName);
}

std::optional<QString> KeyboardLayoutService::currentLayoutName() const {
    const auto current = sources_.currentSource();
    if (!current || current->name.isEmpty()) {
        return std::nullopt;
    }
    return current->name;
}

void KeyboardLayoutService::switchLayout(const QString& name) {
    const auto source = findSource(name, inputSources());
    if (!source) {
        throw KeyboardLayoutError::layoutNotFound(name);
    }
    int status = 0;
    for (int attempt = 0; attempt < 3; ++attempt) {
        status = sources_.select(source->id);
        if (status == 0) {
            return;
        }
    }
    throw KeyboardLayoutError::switchFailed(name, status);
}

KeyboardLayoutSuggestion KeyboardLayoutService::suggestion() const {
    const QList<InputSource> sources = inputSources();
    if (sources.isEmpty()) {
        return {defaultLatinName,
                defaultNativeName,
                {defaultLatinName, QStringLiteral("U.S."), defaultNativeName,
                 QStringLiteral("Russian")}};
    }
    KeyboardLayoutSuggestion s{defaultLatinName, defaultNativeName, {}};
    bool haveLatin = false;
    bool haveNative = false;
    for (const InputSource& source : sources) {
        s.availableLayoutNames << source.name;
        if (isLatin(source) && !haveLatin) {
            s.latinLayoutName = source.name;
            haveLatin = true;
        } else if (!isLatin(source) && !haveNative) {
            s.nativeLayoutName = source.name;
            haveNative = true;
        }
    }
    return s;
}
