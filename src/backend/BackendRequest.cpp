#include "backend/BackendRequest.h"

#include <QHash>

#include "base/Text.h"

namespace {

const QString kModel = QStringLiteral("gpt-4.1-mini");
const QString kChatReply = QStringLiteral("chat_reply");

}  // namespace

QString backendWireAction(BackendAction action, const PromptStyle& style) {
    switch (action) {
        case BackendAction::fix:
            return QStringLiteral("fix");
        case BackendAction::rewrite:
            return style.id == QLatin1String("original") ? QStringLiteral("improve")
                                                         : QStringLiteral("style_rewrite");
        case BackendAction::emoji:
            return QStringLiteral("emoji");
        case BackendAction::translate:
            return QStringLiteral("translate");
        case BackendAction::assistant:
            return QStringLiteral("assistant");
        case BackendAction::reply:
            return kChatReply;
    }
    return QStringLiteral("fix");
}

QString serverWritingStyle(const PromptStyle& style) {
    static const QHash<QString, QString> names = {
        {"friendly", "Friendly"}, {"emoji", "Emoji"},
        {"polite", "Polite"},     {"professional", "Professional"},
        {"short", "Short"},       {"detailed", "Detailed"},
        {"humor", "Humor"},       {"flirt", "Flirt"},
        {"romantic", "Romantic"}, {"sexy", "Sexy"},
        {"formal", "Formal"},     {"casual", "Casual"},
        {"support", "Support"},   {"expert", "Expert"},
        {"social", "Social"},
    };
    const auto it = names.constFind(style.id);
    return it != names.constEnd() ? *it : text::trimmed(style.name);
}

BackendRequest BackendRequest::make(const QString& text, const BackendRequestArguments& arguments) {
    const QString wire = backendWireAction(arguments.action, arguments.style);
    const bool namesStyle = wire == QLatin1String("style_rewrite") ||
                            wire == QLatin1String("emoji") || wire == kChatReply ||
                            arguments.style.id == QLatin1String("emoji");
    const QString writingStyle = namesStyle ? serverWritingStyle(arguments.style) : QString();
    const bool isReply = arguments.action == BackendAction::reply;

    BackendRequest request;
    request.action = wire;
    request.model = kModel;
    request.preferredModel = kModel;
    request.fallbackModel = kModel;
    request.text = text;
    request.sourceText = text;
    request.targetLanguage = arguments.targetLanguage;
    request.keyboardLanguage = arguments.keyboardLanguage;
    request.writingStyle = writingStyle;
    request.styleId = writingStyle;
    request.userInstruction = arguments.userInstruction;
    request.replyTo = isReply ? arguments.replyTo : QString();
    request.assistantSessionId = arguments.assistantSessionId;
    request.assistantKeepContext = arguments.assistantKeepContext;
    request.keepContext = arguments.assistantKeepContext;
    request.mode = isReply ? kChatReply : wire;
    request.task = isReply ? QStringLiteral("write_chat_reply") : wire;
    request.rewriteMode = request.mode;
    request.replyMode = kChatReply;
    request.forceRewrite = arguments.forceRewrite;
    request.styleIntensity = arguments.styleIntensity;
    return request;
}

Json BackendRequest::toJson() const {
    using json::str;
    Json object = Json::object();
    object["action"] = str(action);
    object["model"] = str(model);
    object["preferredModel"] = str(preferredModel);
    object["fallbackModel"] = str(fallbackModel);
    object["text"] = str(text);
    object["sourceText"] = str(sourceText);
    object["targetLanguage"] = str(targetLanguage);
    object["keyboardLanguage"] = str(keyboardLanguage);
    object["writingStyle"] = str(writingStyle);
    object["styleId"] = str(styleId);
    object["gender"] = str(gender);
    object["voiceGender"] = str(voiceGender);
    object["userInstruction"] = str(userInstruction);
    object["replyTo"] = str(replyTo);
    object["assistantSessionId"] = str(assistantSessionId);
    object["assistantKeepContext"] = assistantKeepContext;
    object["keepContext"] = keepContext;
    object["mode"] = str(mode);
    object["task"] = str(task);
    object["rewriteMode"] = str(rewriteMode);
    object["replyMode"] = str(replyMode);
    if (forceRewrite) {
        object["forceRewrite"] = *forceRewrite;
    }
    if (styleIntensity) {
        object["styleIntensity"] = str(*styleIntensity);
    }
    return object;
}

QByteArray BackendRequest::encoded() const {
    return json::write(toJson());
}
