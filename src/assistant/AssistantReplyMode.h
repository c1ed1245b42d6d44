#pragma once

#include <QCoro/QCoroTask>
#include <QPointer>
#include <QString>
#include <QUuid>
#include <memory>

#include "core/AIReplyStyle.h"
#include "platform/CancelToken.h"

class AssistantPanelController;
class BackendClient;

// The assistant panel's reply mode: writes a reply to a selected message in an AI reply style,
// then restyles, regenerates, decorates, translates and pastes it. It lives inside its
// controller and drives the controller's published properties; the controller forwards its
// reply operations here. Each operation does nothing outside reply mode, for a style not
// offered, or while a request runs.
class AssistantReplyMode {
public:
    explicit AssistantReplyMode(AssistantPanelController& panel);

    void show(const QString& message, const AIReplyStyle& style, const QString& targetLanguage);
    void selectStyle(const QString& styleId);
    void regenerate();
    void addEmojis();
    void translate();
    void selectTranslationLanguage(const QString& language);
    // Hides the panel and pastes the result into the remembered application.
    void paste();
    // A new chat: the reply is forgotten and a translation still on its way dropped.
    void forget();

    // The text every translation of the shown reply starts from.
    const QString& translationSource() const { return translationSource_; }

private:
    void generate(const QString& message, const AIReplyStyle& style, const QString& targetLanguage);
    void replaceLastResult(const QString& result);

    // Each holds the client, so a request outlives a controller that goes away under it.
    static QCoro::Task<> runReply(QPointer<AssistantPanelController> self,
                                  std::shared_ptr<BackendClient> backend, quint64 request,
                                  QString message, AIReplyStyle style, QString targetLanguage);
    static QCoro::Task<> runEmojis(QPointer<AssistantPanelController> self,
                                   std::shared_ptr<BackendClient> backend, quint64 request,
                                   QString text, QString targetLanguage);
    static QCoro::Task<> runTranslation(QPointer<AssistantPanelController> self,
                                        std::shared_ptr<BackendClient> backend, quint64 request,
                                        QString source, QUuid stamp, CancelToken token);
    static QCoro::Task<> runPaste(QPointer<AssistantPanelController> self, qint64 process);

    AssistantPanelController& panel_;
    // The running translation and its stamp: only the translation holding the current stamp
    // may apply its result.
    CancelToken transformToken_;
    QUuid transformID_;
    QString translationSource_;
};
