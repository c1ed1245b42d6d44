#pragma once

#include <QList>
#include <QString>
#include <QUuid>
#include <optional>

#include "assistant/AssistantConversationTurn.h"
#include "core/AIReplyStyle.h"
#include "core/UiLanguage.h"
#include "theme/ThemeColor.h"

class AssistantPanelController;

// What the assistant panel reads of its controller, copied at one moment.
struct AssistantPanelState {
    UiLanguage uiLanguage = UiLanguage::en;
    bool isReplyMode = false;
    bool isRunning = false;
    QString contextText;
    bool contextEnabled = false;
    QString requestText;
    QString resultText;
    QList<AssistantConversationTurn> turns;
    std::optional<QUuid> copiedTurnID;
    QString errorText;
    QString replyStyleName;
    QList<AIReplyStyle> replyStyles;
    QString selectedReplyStyleID;
    QString replyTranslationLanguage = QStringLiteral("English");
    // The view's own flag: the reply-language list is open.
    bool isLanguageListVisible = false;

    static AssistantPanelState of(const AssistantPanelController& controller,
                                  bool isLanguageListVisible);
};

// A control drawn as a symbol: its symbol, tooltip (also its accessible name), whether it
// takes clicks and whether it is drawn in the accent colour.
struct AssistantSymbolControl {
    QString symbol;
    QString toolTip;
    bool enabled = true;
    bool accent = false;

    bool operator==(const AssistantSymbolControl&) const = default;
};

struct AssistantReplyStyleEntry {
    QString id;
    QString name;
    bool checked = false;

    bool operator==(const AssistantReplyStyleEntry&) const = default;
};

struct AssistantTurnModel {
    QUuid id;
    QString request;
    QString result;
    // The answer's copy control: a check mark in the accent colour while just copied.
    AssistantSymbolControl copy;

    bool operator==(const AssistantTurnModel&) const = default;
};

struct AssistantLanguageRow {
    QString name;
    QString badge;
    bool checked = false;

    bool operator==(const AssistantLanguageRow&) const = default;
};

// Everything the panel shows for one state, in the interface language.
struct AssistantPanelModel {
    // Header.
    QString title;
    // Chat mode: the new-chat button (never disabled).
    bool showsNewChat = true;
    AssistantSymbolControl newChat;
    // Reply mode: the reply-style menu, labelled with the style in use.
    bool showsReplyStyleMenu = false;
    QString replyStyleLabel;
    QString replyStyleToolTip;
    bool replyStyleMenuEnabled = true;
    QList<AssistantReplyStyleEntry> replyStyleEntries;

    // Transcript: the empty state while there are no turns.
    QString emptyText;
    QString userLabel;
    QString answerLabel;
    // The copy control of an answer has no tooltip; this is its accessible name.
    QString copyAnswerName;
    QList<AssistantTurnModel> turns;

    // The error line, shown while the text is not empty (untrimmed).
    QString errorText;

    // Chat mode's composer.
    bool showsComposer = true;
    QString contextChipTitle;
    QString contextChipSymbol;
    bool contextChipOn = false;
    // Empty while the trimmed context is empty.
    QString contextLength;
    bool showsPasteResult = false;
    QString pasteResultToolTip;
    QString placeholder;
    AssistantSymbolControl send;

    // Reply mode's action bar, leading to trailing.
    bool showsReplyBar = false;
    AssistantSymbolControl regenerate;
    AssistantSymbolControl addEmojis;
    AssistantSymbolControl languageChip;
    QString languageBadge;
    AssistantSymbolControl translate;
    QString translateTitle;
    AssistantSymbolControl copyReply;
    AssistantSymbolControl pasteReply;
    bool showsLanguageList = false;

    bool operator==(const AssistantPanelModel&) const = default;
};

AssistantPanelModel assistantPanelModel(const AssistantPanelState& state);

// The reply-language list: every language in order, the current one checked.
QList<AssistantLanguageRow> assistantLanguageRows(const QString& current);
