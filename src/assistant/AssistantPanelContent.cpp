#include "assistant/AssistantPanelContent.h"

#include "assistant/AssistantPanel.h"

QWidget* makeAssistantPanelContent(AssistantPanelController& controller, QWidget* parent) {
    return new AssistantPanel(controller, parent);
}
