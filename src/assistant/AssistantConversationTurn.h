#pragma once

#include <QDateTime>
#include <QString>
#include <QUuid>

// One exchange of the assistant's transcript. A turn whose result changes becomes a new turn
// with a new id.
struct AssistantConversationTurn {
    QUuid id;
    // What the user asked, or the message replied to.
    QString request;
    // The answer or the reply.
    QString result;
    QDateTime at;

    friend bool operator==(const AssistantConversationTurn&,
                           const AssistantConversationTurn&) = default;
};
