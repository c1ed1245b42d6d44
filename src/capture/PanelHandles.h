#pragma once

#include <QString>

struct AIReplyStyle;

// The panels that hot keys and the selection trigger open. Each is implemented by the panel's
// controller (which knows the application state it was attached to); all live as long as the
// process.

class QuickPanelHandle {
public:
    virtual ~QuickPanelHandle() = default;
    virtual void show() = 0;
    // Hides the panel when the user can see it, else shows it (one shown behind other
    // windows too).
    virtual void toggle() = 0;
    // The panel exists and is on screen.
    virtual bool isPanelVisible() const = 0;
};

class ClipboardPanelHandle {
public:
    virtual ~ClipboardPanelHandle() = default;
    virtual void show() = 0;
    // Hides the window when the user can see it, else shows it.
    virtual void toggle() = 0;
};

class AssistantPanelHandle {
public:
    virtual ~AssistantPanelHandle() = default;
    // An empty context keeps the panel's earlier one.
    virtual void show(const QString& context) = 0;
    virtual void showReply(const QString& message, const AIReplyStyle& style,
                           const QString& targetLanguage) = 0;
};

class TranslationPreviewHandle {
public:
    virtual ~TranslationPreviewHandle() = default;
    // Reads the selection, shows the panel and translates.
    virtual void showFromSelection() = 0;
};

class FloatingButtonHandle {
public:
    virtual ~FloatingButtonHandle() = default;
    // Shows the button near the pointer (or hides it when its setting is off).
    virtual void show() = 0;
    virtual void hide() = 0;
};
