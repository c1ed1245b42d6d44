#include "core/QuickAction.h"

#include <QHash>

#include "base/Text.h"
#include "core/NiveloPromptLibrary.h"

namespace {

const QString kStylePrefix = QStringLiteral("style:");

bool isFixedAction(const QString& id) {
    return id == QLatin1String("ai") || id == QLatin1String("translate") ||
           id == QLatin1String("clipboard") || id == QLatin1String("layout");
}

}  // namespace

QString QuickAction::normalize(const QString& raw) {
    const QString t = text::trimmed(raw);
    if (t.startsWith(kStylePrefix) || isFixedAction(t)) {
        return t;
    }
    if (t == QLatin1String("fix") || t == QLatin1String("original")) {
        return kStylePrefix + QStringLiteral("original");
    }
    if (NiveloPromptLibrary::builtInStyleIds().contains(t)) {
        return kStylePrefix + t;
    }
    return t;
}

const QStringList& QuickAction::defaultIds() {
    static const QStringList ids = {
        "ai",
        "translate",
        "style:original",
        "style:friendly",
        "style:emoji",
        "style:polite",
        "style:professional",
        "style:short",
        "style:detailed",
        "style:humor",
        "style:flirt",
        "style:romantic",
        "style:sexy",
        "style:formal",
        "style:casual",
        "style:support",
        "style:expert",
        "style:social",
        "clipboard",
        "layout",
    };
    return ids;
}

const QList<QuickAction>& QuickAction::defaultActions() {
    static const QList<QuickAction> actions = [] {
        QList<QuickAction> out;
        for (const QString& id : defaultIds()) {
            out.append(QuickAction{normalize(id)});
        }
        return out;
    }();
    return actions;
}

std::optional<QString> QuickAction::styleId() const {
    if (id == QLatin1String("translate")) {
        return id;
    }
    if (id.startsWith(kStylePrefix)) {
        return id.mid(kStylePrefix.size());
    }
    return std::nullopt;
}

QString QuickAction::title() const {
    if (id == QLatin1String("ai")) {
        return QStringLiteral("AI помощник");
    }
    if (id == QLatin1String("translate")) {
        return QStringLiteral("Перевод");
    }
    if (id == QLatin1String("clipboard")) {
        return QStringLiteral("Буфер");
    }
    if (id == QLatin1String("layout")) {
        return QStringLiteral("Раскладка");
    }
    if (const auto style = styleId()) {
        if (*style == QLatin1String("original")) {
            return QStringLiteral("Исправить");
        }
        for (const auto& builtIn : NiveloPromptLibrary::defaultStyles()) {
            if (builtIn.id == *style) {
                return builtIn.name;
            }
        }
    }
    return QStringLiteral("Действие");
}

QString QuickAction::symbolName() const {
    static const QHash<QString, QString> symbols = {
        {"ai", "bubble.left.and.bubble.right"},
        {"translate", "translate"},
        {"original", "wand.and.sparkles"},
        {"friendly", "face.smiling"},
        {"emoji", "sparkles"},
        {"professional", "briefcase"},
        {"short", "bolt"},
        {"detailed", "text.document"},
        {"humor", "theatermasks"},
        {"flirt", "heart.circle"},
        {"romantic", "heart"},
        {"sexy", "flame"},
        {"formal", "building.columns"},
        {"casual", "bubble.left.and.bubble.right"},
        {"support", "hands.sparkles"},
        {"expert", "graduationcap"},
        {"social", "megaphone"},
        {"clipboard", "clipboard"},
        {"layout", "keyboard"},
    };
    return symbols.value(styleId().value_or(id), QStringLiteral("sparkles"));
}
