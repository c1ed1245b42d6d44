#pragma once

class AssistantPanelController;
class QWidget;

// The widget that fills the assistant panel, made once with the panel; parent is the panel's
// surface.
QWidget* makeAssistantPanelContent(AssistantPanelController& controller, QWidget* parent);
