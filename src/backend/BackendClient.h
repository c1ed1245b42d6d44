#pragma once

#include <QCoro/QCoroTask>
#include <QString>
#include <optional>

#include "backend/BackendRequest.h"
#include "core/AIReplyStyle.h"
#include "core/BackendAction.h"
#include "core/PromptStyle.h"

class HttpTransport;
class LanguageRecognizer;

// The one way to the AI endpoint: trims and (unless asked not to) splits the text, posts one
// JSON request per piece, checks each answer, resends a translation that came back unchanged, and
// writes chat replies, asking once more when a reply only echoes the message. Failures are thrown:
// BackendClientError, BackendResponseDecodingError, or the transport's HttpTransportError.
// A client must outlive the tasks it starts.
class BackendClient {
public:
    // Longest piece of text one request carries, in characters.
    static constexpr int kMaxPieceChars = 2500;
    // Largest answer body read, far above any real answer (assistant and reply requests go
    // whole); a longer one fails as an answer that could not be read.
    static constexpr qint64 kMaxAnswerBytes = 16 * 1024 * 1024;
    // Whether a text longer than kMaxPieceChars goes out as several requests, their answers
    // joined with the white space each cut took out, or as one.
    enum class Split { pieces, whole };

    // Uses the running process's transport, language recognizer and installation id. Every
    // creator passes BackendEndpoint::aiURL().
    BackendClient(QString apiURL, QString secret);
    BackendClient(QString apiURL, QString secret, HttpTransport& http,
                  LanguageRecognizer& recognizer, QString installationId);

    const QString& apiURL() const { return apiURL_; }
    // Every creator passes it empty; no request uses it.
    const QString& secret() const { return secret_; }

    // How send() treats the text and its answer.
    struct SendOptions {
        // Send a translation that came back unchanged once more, without the extras.
        bool retryOnUnchangedTranslation = true;
        Split split = Split::pieces;
    };

    // The cleaned answer text. A coroutine names its arguments before the co_await: GCC 12
    // destroys a braced temporary inside a co_await expression twice.
    QCoro::Task<QString> send(QString text, BackendRequestArguments arguments);
    QCoro::Task<QString> send(QString text, BackendRequestArguments arguments, SendOptions options);

    // What a reply is written for.
    struct ReplyArguments {
        // The message being answered.
        QString message{};
        AIReplyStyle style{};
        // Used by the translate style only.
        QString targetLanguage{};
    };

    // A reply to message in the given style, ready to send. The message goes out whole: a
    // reply to part of it would answer something the sender never wrote.
    QCoro::Task<QString> sendReply(ReplyArguments reply);

    // The reply style's own instruction: its trimmed prompt, or "" when that is a built-in's
    // unchanged prompt (the backend knows those by the style's name).
    static QString replyUserInstruction(const AIReplyStyle& style);

private:
    QCoro::Task<QString> postOne(QString text, BackendRequestArguments arguments);

    QString apiURL_;
    QString secret_;
    HttpTransport& http_;
    LanguageRecognizer& recognizer_;
    QString installationId_;
};
