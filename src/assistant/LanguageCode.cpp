#include "assistant/LanguageCode.h"

#include <QHash>
#include <QLocale>

namespace {

// Lower-cased English language names to their ISO codes, the first code of a name winning.
const QHash<QString, QString>& codesByName() {
    static const QHash<QString, QString> codes = [] {
        // Names of the list that Qt's locale data spells otherwise ("Bangla", "Haitian",
        // "Western Frisian"); without these they would take another language's code.
        QHash<QString, QString> map{{QStringLiteral("bengali"), QStringLiteral("bn")},
                                    {QStringLiteral("haitian creole"), QStringLiteral("ht")},
                                    {QStringLiteral("frisian"), QStringLiteral("fy")}};
        for (int value = QLocale::AnyLanguage + 1; value <= QLocale::LastLanguage; ++value) {
            const auto language = static_cast<QLocale::Language>(value);
            const QString name = QLocale::languageToString(language).toLower();
            QString code = QLocale::languageToCode(language, QLocale::ISO639Part1);
            if (code.isEmpty()) {
                code = QLocale::languageToCode(language);
            }
            if (!name.isEmpty() && code.size() >= 2 && !map.contains(name)) {
                map.insert(name, code);
            }
        }
        return map;
    }();
    return codes;
}

}  // namespace

QString languageCode(const QString& languageName) {
    if (languageName == QLatin1String("Chinese (Simplified)") ||
        languageName == QLatin1String("Chinese (Traditional)")) {
        return QStringLiteral("ZH");
    }
    if (languageName == QLatin1String("Filipino")) {
        return QStringLiteral("TL");
    }
    const auto found = codesByName().constFind(languageName.toLower());
    const QString code = found != codesByName().cend() ? *found : languageName;
    return code.left(2).toUpper();
}
