#include "core/NiveloSettings.h"

#include "core/AIReplyStyleLibrary.h"
#include "core/NiveloPromptLibrary.h"
#include "core/QuickAction.h"

NiveloSettings::NiveloSettings()
    : promptStyles(NiveloPromptLibrary::defaultStyles()),
      aiReplyStyles(AIReplyStyleLibrary::defaultStyles()),
      quickMenuActions(QuickAction::defaultIds()),
      quickMenuOrder(QuickAction::defaultIds()) {}
