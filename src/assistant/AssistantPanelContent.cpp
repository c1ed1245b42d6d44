#include "assistant/AssistantPanelContent.h"

#include <QWidget>

QWidget* makeAssistantPanelContent(AssistantPanelController&, QWidget* parent) {
    auto* content = new QWidget(parent);
    content->setAccessibleName(QStringLiteral("AI assistant"));
    return content;
}
