#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

#include "base/Json.h"
#include "core/BackendAction.h"
#include "core/PromptStyle.h"

// What a caller of the backend client asks for besides the text. Callers name only the fields
// they set (designated initializers); every field has its initializer so the rest read as
// "not asked for".
struct BackendRequestArguments {
    BackendAction action = BackendAction::fix;
    PromptStyle style{};
    QString targetLanguage{};
    QString assistantSessionId{};
    bool assistantKeepContext = false;
    QString userInstruction{};
    QString replyTo{};
    QString keyboardLanguage{};
    std::optional<bool> forceRewrite{};
    std::optional<QString> styleIntensity{};
};

// The JSON body of one request to the AI endpoint. The members are the wire keys, in wire
// order.
struct BackendRequest {
    QString action;
    QString model;
    QString preferredModel;
    QString fallbackModel;
    QString text;
    QString sourceText;
    QString targetLanguage;
    QString keyboardLanguage;
    QString writingStyle;
    QString styleId;
    QString gender;
    QString voiceGender;
    QString userInstruction;
    QString replyTo;
    QString assistantSessionId;
    bool assistantKeepContext = false;
    bool keepContext = false;
    QString mode;
    QString task;
    QString rewriteMode;
    QString replyMode;
    std::optional<bool> forceRewrite;
    std::optional<QString> styleIntensity;

    // text: one piece, already trimmed.
    static BackendRequest make(const QString& text, const BackendRequestArguments& arguments);

    // Keys in wire order; forceRewrite and styleIntensity only when given.
    Json toJson() const;
    QByteArray encoded() const;
};

// The wire name of an action; a rewrite in the style "original" is "improve".
QString backendWireAction(BackendAction action, const PromptStyle& style);
// The backend's name for a style: fixed for the built-ins that have one, else the trimmed name.
QString serverWritingStyle(const PromptStyle& style);
