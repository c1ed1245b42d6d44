#include "core/NiveloPromptLibrary.h"

#include "core/StyleMerge.h"

#include <QHash>
#include <QRegularExpression>
#include <QTextBoundaryFinder>

#include "base/Text.h"
#include "core/QuickAction.h"

namespace {

const QString kNotAssigned = QStringLiteral("Not assigned");

QString paragraphs(std::initializer_list<const char*> parts) {
    QStringList out;
    for (const char* p : parts) {
        out << QString::fromUtf8(p);
    }
    return out.join(QStringLiteral("\n\n"));
}

PromptStyle builtIn(const char* id, const char* name, const char* hotkey, QString prompt) {
    return PromptStyle{QString::fromUtf8(id), QString::fromUtf8(name), std::move(prompt),
                       QString::fromUtf8(hotkey), true};
}

QList<PromptStyle> makeDefaultStyles() {
    const char* proofreader = "You are Nivelo Proofreader.";
    const char* correctOnly =
        "Correct only spelling, grammar, punctuation, capitalization, and spacing.";
    const char* doNotChange =
        "Do not change meaning, context, word order, style, tone, slang, profanity, emojis, "
        "links, names, numbers, or formatting.";
    const char* returnOnly = "Return only the corrected text.";
    auto one = [](const char* p) { return QString::fromUtf8(p); };
    return {
        builtIn("original", "Fix", "Alt+1",
                paragraphs({proofreader, correctOnly, doNotChange, returnOnly})),
        builtIn("friendly", "Дружелюбно", "Alt+2",
                one("Do a real friendly rewrite, not proofreading. Fix mistakes, keep the "
                    "meaning, change wording noticeably, add warmth and 2-4 fitting emojis.")),
        builtIn("emoji", "Смайлики", "Alt+E",
                paragraphs({proofreader, correctOnly, doNotChange,
                            "You must add at least one relevant emoji based on the context and "
                            "meaning of the text.",
                            returnOnly})),
        builtIn("polite", "Polite", "Alt+3",
                one("Do a real polite rewrite, not proofreading. Fix mistakes, keep the meaning, "
                    "make it softer, respectful, and clearly reworded. Add 1-2 subtle emojis if "
                    "suitable.")),
        builtIn("professional", "Профессионально", "Alt+4",
                one("Do a real professional rewrite, not proofreading. Fix mistakes, keep the "
                    "meaning, make it polished, confident, concise, and respectful. No emojis.")),
        builtIn("short", "Кратко", "Not assigned",
                one("Rewrite much shorter and clearer. Fix mistakes, keep the core meaning, "
                    "remove filler, repetition, and weak wording. No emojis.")),
        builtIn("detailed", "Подробно", "Not assigned",
                one("Expand into a clearer fuller message. Fix mistakes, keep the meaning, add "
                    "helpful natural detail without inventing facts.")),
        builtIn("humor", "С юмором", "Not assigned",
                one("Do a real humorous rewrite, not proofreading. Fix mistakes, keep the "
                    "meaning, make it light, witty, natural, and playful.")),
        builtIn("flirt", "Флирт", "Not assigned",
                one("Do a real flirty rewrite, not proofreading. Fix mistakes, keep the meaning, "
                    "make it playful, charming, warm, and a little teasing. Not explicit.")),
        builtIn("romantic", "Романтично", "Not assigned",
                one("Do a real romantic rewrite, not proofreading. Fix mistakes, keep the "
                    "meaning, make it tender, affectionate, emotionally warm, and natural.")),
        builtIn("sexy", "Сексуально", "Not assigned",
                one("Do a real sensual rewrite, not proofreading. Fix mistakes, keep the "
                    "meaning, make it confident, attractive, suggestive, and tasteful. Do not "
                    "be explicit.")),
        builtIn("formal", "Официально", "Not assigned",
                one("Do a real formal rewrite, not proofreading. Fix mistakes, keep the meaning, "
                    "make it official, precise, respectful, and polished.")),
        builtIn("casual", "Неформально", "Alt+5",
                one("Do a real casual rewrite, not proofreading. Fix mistakes, keep the meaning, "
                    "make it relaxed, simple, conversational, and easy to send. Add emojis only "
                    "if suitable.")),
        builtIn("support", "Поддержка", "Not assigned",
                one("Do a real supportive rewrite, not proofreading. Fix mistakes, keep the "
                    "meaning, make it calm, empathetic, reassuring, and human.")),
        builtIn("expert", "Эксперт", "Not assigned",
                one("Do a real expert rewrite, not proofreading. Fix mistakes, keep the meaning, "
                    "make it confident, precise, structured, and authoritative.")),
        builtIn("social", "Social Media", "Alt+6",
                one("Do a real social media rewrite, not proofreading. Fix mistakes, keep the "
                    "meaning, make it catchy, emotional, modern, and engaging. Add 4-8 suitable "
                    "emojis.")),
        builtIn("translate", "Перевод", "Alt+T",
                one("Переведи текст на выбранный язык. Сохрани смысл, тон и форматирование. "
                    "Верни только перевод.")),
    };
}

// Opening words of prompts that earlier builds shipped as built-ins.
const QHash<QString, QString>& oldBuiltInStylePromptMarkers() {
    static const QHash<QString, QString> markers = {
        {"original", "Correct only clear mistakes"},
        {"friendly", "Rewrite clearly in a warm, friendly"},
        {"emoji", "Add context-appropriate emojis to the text"},
        {"polite", "Rewrite clearly in a polite"},
        {"professional", "Rewrite clearly in a professional business"},
        {"short", "Rewrite briefly and clearly"},
        {"detailed", "Rewrite clearly with useful detail"},
        {"humor", "Rewrite clearly with light appropriate humor"},
        {"flirt", "Rewrite clearly in a playful flirty"},
        {"romantic", "Rewrite clearly in a warm romantic"},
        {"sexy", "Rewrite clearly in a sensual confident"},
        {"formal", "Rewrite clearly in a formal respectful"},
        {"casual", "Rewrite clearly in a simple, relaxed"},
        {"support", "Rewrite clearly in a supportive calm"},
        {"expert", "Rewrite clearly like an expert"},
        {"social", "Rewrite clearly for social media"},
    };
    return markers;
}

bool startsWithAny(const QString& text, std::initializer_list<const char*> prefixes) {
    for (const char* p : prefixes) {
        if (text.startsWith(QString::fromUtf8(p))) {
            return true;
        }
    }
    return false;
}

bool isOutdatedPrompt(const QString& id, const QString& prompt) {
    const auto marker = oldBuiltInStylePromptMarkers().constFind(id);
    if (marker != oldBuiltInStylePromptMarkers().constEnd() && prompt.startsWith(*marker)) {
        return true;
    }
    if (id == QLatin1String("original")) {
        return startsWithAny(
            prompt, {"Strictly proofread", "Correct only clear mistakes",
                     "Proofread only. Fix clear", "Fix only obvious typos", "Fix obvious typos"});
    }
    if (id == QLatin1String("emoji")) {
        return startsWithAny(
                   prompt,
                   {"Add context-appropriate emojis", "Insert only fitting emojis into",
                    "Only insert fitting emojis", "Fix only obvious typos", "Fix obvious typos"}) ||
               prompt.contains(QLatin1String("Add fitting emojis")) ||
               prompt.contains(QLatin1String("Add appropriate emojis"));
    }
    return false;
}

}  // namespace

const QList<PromptStyle>& NiveloPromptLibrary::defaultStyles() {
    static const QList<PromptStyle> styles = makeDefaultStyles();
    return styles;
}

const QSet<QString>& NiveloPromptLibrary::builtInStyleIds() {
    static const QSet<QString> ids = style_merge::idsOf(defaultStyles());
    return ids;
}

const QStringList& NiveloPromptLibrary::languages() {
    static const QStringList names = {
        "English",
        "Russian",
        "Spanish",
        "French",
        "German",
        "Italian",
        "Portuguese",
        "Dutch",
        "Polish",
        "Ukrainian",
        "Turkish",
        "Arabic",
        "Hebrew",
        "Persian",
        "Hindi",
        "Bengali",
        "Urdu",
        "Punjabi",
        "Tamil",
        "Telugu",
        "Marathi",
        "Gujarati",
        "Kannada",
        "Malayalam",
        "Chinese (Simplified)",
        "Chinese (Traditional)",
        "Japanese",
        "Korean",
        "Thai",
        "Vietnamese",
        "Indonesian",
        "Malay",
        "Filipino",
        "Burmese",
        "Khmer",
        "Lao",
        "Mongolian",
        "Greek",
        "Czech",
        "Slovak",
        "Hungarian",
        "Romanian",
        "Bulgarian",
        "Serbian",
        "Croatian",
        "Bosnian",
        "Slovenian",
        "Macedonian",
        "Albanian",
        "Lithuanian",
        "Latvian",
        "Estonian",
        "Finnish",
        "Swedish",
        "Norwegian",
        "Danish",
        "Icelandic",
        "Irish",
        "Welsh",
        "Catalan",
        "Basque",
        "Galician",
        "Maltese",
        "Georgian",
        "Armenian",
        "Azerbaijani",
        "Kazakh",
        "Uzbek",
        "Kyrgyz",
        "Tajik",
        "Turkmen",
        "Belarusian",
        "Swahili",
        "Amharic",
        "Hausa",
        "Yoruba",
        "Igbo",
        "Zulu",
        "Xhosa",
        "Afrikaans",
        "Somali",
        "Nepali",
        "Sinhala",
        "Pashto",
        "Kurdish",
        "Sundanese",
        "Javanese",
        "Cebuano",
        "Haitian Creole",
        "Latin",
        "Esperanto",
        "Luxembourgish",
        "Frisian",
        "Hawaiian",
        "Maori",
        "Samoan",
        "Yiddish",
        "Tibetan",
        "Bhojpuri",
        "Odia",
    };
    return names;
}

QList<PromptStyle> NiveloPromptLibrary::mergeSavedStyles(const QList<PromptStyle>& saved) {
    using style_merge::orElse;
    return style_merge::withBuiltIns(
        saved, defaultStyles(), [](const PromptStyle& b, const PromptStyle& s) {
            PromptStyle merged;
            merged.id = b.id;
            if (isOutdatedPrompt(b.id, s.prompt)) {
                merged.name = b.name;
                merged.prompt = b.prompt;
            } else {
                merged.name = orElse(s.name, b.name);
                merged.prompt = orElse(s.prompt, b.prompt);
            }
            // The emoji style's hot key is fixed.
            merged.hotkey = b.id == QLatin1String("emoji") ? b.hotkey : orElse(s.hotkey, b.hotkey);
            merged.autoReplace = s.autoReplace;
            return merged;
        });
}

std::optional<PromptStyle> NiveloPromptLibrary::style(const QString& id,
                                                      const QList<PromptStyle>& styles) {
    for (const auto& s : styles) {
        if (s.id == id) {
            return s;
        }
    }
    for (const auto& s : defaultStyles()) {
        if (s.id == id) {
            return s;
        }
    }
    return std::nullopt;
}

BackendAction NiveloPromptLibrary::backendAction(const QuickAction& action,
                                                 const PromptStyle& style) {
    if (action.styleId() == QStringLiteral("translate") || style.id == QLatin1String("translate")) {
        return BackendAction::translate;
    }
    if (style.id == QLatin1String("emoji")) {
        return BackendAction::emoji;
    }
    if (style.id == QLatin1String("original")) {
        return BackendAction::fix;
    }
    return BackendAction::rewrite;
}

namespace {

// Code-unit offset just after the first `count` grapheme clusters, or -1 when the text has
// no more than `count` of them.
qsizetype offsetAfterGraphemes(QStringView text, int count) {
    // The boundary finder analyses all of the text it is given, so give it a prefix that grows
    // only when the clusters are long: analysing the whole remaining text for every piece
    // would make splitting quadratic. A boundary before the prefix's end is one of the text.
    qsizetype span = qsizetype(count) * 2 + 16;
    for (;;) {
        const bool whole = span >= text.size();
        const qsizetype length = whole ? text.size() : span;
        QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text.data(), length);
        int seen = 0;
        qsizetype position = 0;
        while (seen < count) {
            position = finder.toNextBoundary();
            if (position == -1) {
                break;
            }
            ++seen;
        }
        if (seen == count && (whole || position < length)) {
            return position < text.size() ? position : -1;
        }
        if (whole) {
            return -1;
        }
        span *= 2;
    }
}

// Counts of the white space (as trimmed() sees it) at the start and at the end of a text.
qsizetype leadingSpace(QStringView text) {
    qsizetype n = 0;
    while (n < text.size() && text[n].isSpace()) {
        ++n;
    }
    return n;
}

qsizetype trailingSpace(QStringView text) {
    qsizetype n = 0;
    while (n < text.size() && text[text.size() - 1 - n].isSpace()) {
        ++n;
    }
    return n;
}

}  // namespace

QStringList splitTextForBackend(const QString& text, int maxChars) {
    return cutTextForBackend(text, maxChars).pieces;
}

BackendTextPieces cutTextForBackend(const QString& text, int maxChars) {
    if (maxChars <= 0 || text::graphemeCount(text) <= maxChars) {
        return {{text}, {}};
    }
    BackendTextPieces out;
    // White space taken out since the last piece; before the first piece it is dropped.
    QString gap;
    const auto add = [&](QStringView piece) {
        if (!out.pieces.isEmpty()) {
            out.gaps.append(gap);
        }
        out.pieces.append(piece.toString());
        gap.clear();
    };
    // Views into text, not copies, keep the cost linear in the length of the text.
    QStringView remaining(text);
    for (;;) {
        const qsizetype windowEnd = offsetAfterGraphemes(remaining, maxChars);
        if (windowEnd < 0) {
            break;
        }
        const QStringView window = remaining.left(windowEnd);
        qsizetype cut = window.lastIndexOf(QLatin1String("\n\n"));
        if (cut < 0) {
            cut = window.lastIndexOf(QLatin1Char('\n'));
        }
        if (cut < 0) {
            const qsizetype sentence = window.lastIndexOf(QLatin1String(". "));
            // Just after the period, so it stays with the sentence it ends.
            cut = sentence < 0 ? windowEnd : sentence + 2;
        }
        const QStringView before = remaining.left(cut);
        const qsizetype lead = leadingSpace(before);
        if (lead < before.size()) {
            const qsizetype trail = trailingSpace(before);
            add(before.mid(lead, before.size() - lead - trail));
            gap = before.right(trail).toString();
        } else if (!out.pieces.isEmpty()) {
            gap += before;
        }
        const QStringView after = remaining.mid(cut);
        const qsizetype afterLead = leadingSpace(after);
        if (!out.pieces.isEmpty()) {
            gap += after.left(afterLead);
        }
        remaining = after.mid(afterLead);
        remaining = remaining.left(remaining.size() - trailingSpace(remaining));
    }
    if (!remaining.isEmpty()) {
        add(remaining);
    }
    return out;
}

QString joinBackendAnswers(const QStringList& answers, const QStringList& gaps) {
    QString joined;
    for (qsizetype i = 0; i < answers.size(); ++i) {
        joined += answers[i];
        if (i + 1 < answers.size()) {
            joined += gaps.value(i);
        }
    }
    return joined;
}

QString normalizeTranslationCompare(const QString& text) {
    static const QRegularExpression whiteSpace(QStringLiteral("\\s+"),
                                               QRegularExpression::UseUnicodePropertiesOption);
    QString out = text;
    out.replace(whiteSpace, QStringLiteral(" "));
    for (const QChar quote : {QChar(0x201C), QChar(0x201D), QChar(0x00AB), QChar('"')}) {
        out.remove(quote);
    }
    return text::trimmed(out).toLower();
}
