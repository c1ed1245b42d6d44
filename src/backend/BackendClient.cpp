#include "backend/BackendClient.h"

#include <QRegularExpression>
#include <QUrl>
#include <cassert>

#include "backend/BackendClientError.h"
#include "backend/BackendEndpoint.h"
#include "backend/BackendReplyCheck.h"
#include "backend/BackendResponse.h"
#include "base/Text.h"
#include "core/AIReplyStyleLibrary.h"
#include "core/NiveloPromptLibrary.h"
#include "platform/HttpTransport.h"
#include "platform/LanguageRecognizer.h"
#include "platform/Platform.h"

namespace {

constexpr qint64 kRequestTimeoutMs = 60'000;

std::optional<QUrl> endpointURL(const QString& apiURL) {
    const QUrl url(apiURL, QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || url.host().isEmpty() ||
        (scheme != QLatin1String("http") && scheme != QLatin1String("https"))) {
        return std::nullopt;
    }
    return url;
}

QString cleanedResult(QString result) {
    static const QRegularExpression dashes(QStringLiteral("[\u2014\u2013]"));
    result.replace(dashes, QStringLiteral("-"));
    return text::trimmed(result);
}

// The style a translation is resent with. Its prompt asks harder for a translation; requests
// carry no prompt, so today it only names the style.
PromptStyle resendStyle(PromptStyle style, const QString& targetLanguage) {
    const QString first = QStringLiteral(
                              "The previous translation output was identical to the source text. "
                              "Translate it into ") +
                          targetLanguage + QStringLiteral(" now.");
    const QString second =
        QStringLiteral(
            "Do not return the source text unchanged unless it is already written "
            "in ") +
        targetLanguage + QStringLiteral(".");
    style.prompt = QStringList{style.prompt, first, second}.join(u'\n');
    return style;
}

HttpTransport& platformHttp() {
    assert(Platform::current().http);
    return *Platform::current().http;
}

LanguageRecognizer& platformRecognizer() {
    assert(Platform::current().languageRecognizer);
    return *Platform::current().languageRecognizer;
}

}  // namespace

BackendClient::BackendClient(QString apiURL, QString secret)
    : BackendClient(std::move(apiURL), std::move(secret), platformHttp(), platformRecognizer(),
                    BackendEndpoint::installationId(*Platform::current().defaults)) {}

BackendClient::BackendClient(QString apiURL, QString secret, HttpTransport& http,
                             LanguageRecognizer& recognizer, QString installationId)
    : apiURL_(std::move(apiURL)),
      secret_(std::move(secret)),
      http_(http),
      recognizer_(recognizer),
      installationId_(std::move(installationId)) {}

QCoro::Task<QString> BackendClient::send(QString text, BackendRequestArguments arguments) {
    return send(std::move(text), std::move(arguments), SendOptions{});
}

QCoro::Task<QString> BackendClient::send(QString text, BackendRequestArguments arguments,
                                         SendOptions options) {
    const QString trimmed = text::trimmed(text);
    if (trimmed.isEmpty()) {
        throw BackendClientError::emptyInput();
    }
    const BackendTextPieces cut = options.split == Split::pieces
                                      ? cutTextForBackend(trimmed, kMaxPieceChars)
                                      : BackendTextPieces{{trimmed}, {}};
    if (cut.pieces.size() >= 2) {
        // One after the other: the next piece goes out only when the last answer is in.
        QStringList answers;
        for (const QString& piece : cut.pieces) {
            answers << co_await send(
                piece, arguments,
                {.retryOnUnchangedTranslation = options.retryOnUnchangedTranslation,
                 .split = Split::whole});
        }
        // Each cut's own white space: a paragraph cut in a window is still one paragraph.
        co_return joinBackendAnswers(answers, cut.gaps);
    }

    QString answer = co_await postOne(trimmed, arguments);
    if (options.retryOnUnchangedTranslation && arguments.action == BackendAction::translate &&
        normalizeTranslationCompare(answer) == normalizeTranslationCompare(trimmed)) {
        BackendRequestArguments again{
            .action = BackendAction::translate,
            .style = resendStyle(arguments.style, arguments.targetLanguage),
            .targetLanguage = arguments.targetLanguage};
        QString second =
            co_await send(trimmed, std::move(again),
                          {.retryOnUnchangedTranslation = false, .split = Split::whole});
        co_return second;
    }
    co_return answer;
}

QCoro::Task<QString> BackendClient::postOne(QString text, BackendRequestArguments arguments) {
    const std::optional<QUrl> url = endpointURL(apiURL_);
    if (!url) {
        throw BackendClientError::invalidURL();
    }
    HttpRequest request;
    request.url = *url;
    request.headers = {{"Content-Type", "application/json"},
                       {"x-nivelo-device-id", installationId_.toUtf8()}};
    request.body = BackendRequest::make(text, arguments).encoded();
    request.timeoutMs = kRequestTimeoutMs;
    request.maxBodyBytes = kMaxAnswerBytes;

    const HttpResponse response = co_await http_.post(std::move(request));
    const std::optional<BackendResponse> decoded = BackendResponse::decode(response.body);
    if (response.status >= 200 && response.status <= 299) {
        if (!decoded) {
            throw BackendResponseDecodingError();
        }
        QString result = cleanedResult(decoded->result.value_or(QString()));
        if (result.isEmpty()) {
            throw BackendClientError::emptyResult();
        }
        co_return result;
    }
    // A failed status says more than a body that is not ours (a proxy's error page); an empty
    // error text says nothing.
    const QString error = decoded ? decoded->error.value_or(QString()) : QString();
    if (text::trimmed(error).isEmpty()) {
        throw BackendClientError::server(
            QStringLiteral("Backend returned HTTP %1.").arg(response.status));
    }
    throw BackendClientError::server(error);
}

QCoro::Task<QString> BackendClient::sendReply(ReplyArguments reply) {
    const QString& message = reply.message;
    const AIReplyStyle& style = reply.style;
    BackendRequestArguments arguments;
    arguments.action = BackendAction::reply;
    if (style.id == QLatin1String("translate")) {
        arguments.targetLanguage = reply.targetLanguage;
        arguments.keyboardLanguage = reply.targetLanguage;
    } else {
        arguments.keyboardLanguage = recognizer_.dominantLanguage(message);
    }
    arguments.userInstruction = replyUserInstruction(style);
    arguments.style = PromptStyle{style.id, AIReplyStyleLibrary::backendStyleName(style),
                                  arguments.userInstruction, style.hotkey, false};
    arguments.replyTo = message;

    const SendOptions whole{.split = Split::whole};
    QString answer = co_await send(message, arguments, whole);
    if (!looksLikeBadReply(answer, message)) {
        co_return answer;
    }
    arguments.forceRewrite = true;
    arguments.styleIntensity = QStringLiteral("maximum");
    QString second = co_await send(message, arguments, whole);
    if (looksLikeBadReply(second, message)) {
        throw BackendClientError::server(
            QStringLiteral("AI Reply returned the original message instead of a reply."));
    }
    co_return second;
}

QString BackendClient::replyUserInstruction(const AIReplyStyle& style) {
    const QString prompt = text::trimmed(style.prompt);
    for (const AIReplyStyle& builtIn : AIReplyStyleLibrary::defaultStyles()) {
        if (builtIn.id == style.id) {
            return prompt == builtIn.prompt ? QString() : prompt;
        }
    }
    return prompt;
}
