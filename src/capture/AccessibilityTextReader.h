#pragma once

#include <QString>
#include <optional>

#include "platform/Accessibility.h"

class FocusService;
class Workspace;

// Reads and replaces the selection of the remembered application through its accessibility
// interface, without the pasteboard. Every failing call reads as "" or false.
class AccessibilityTextReader {
public:
    AccessibilityTextReader(Workspace& workspace, Accessibility& accessibility,
                            FocusService& focus);

    // The focused element's selected text (first application with the remembered identifier).
    QString selectedText() const;
    // Its selected text when that can be read, even empty; else its whole value.
    QString focusedText() const;
    // The focused element of the remembered process.
    AXElementPtr focusedElement() const;
    // Whether the element is web content, where a simulated paste works better than setting
    // the selection.
    bool requiresPasteFallback(const AXElementPtr& element) const;
    // The selection of the remembered process, "" for web content.
    QString selectedTextForLayout() const;
    // Sets the focused element's selected text in the remembered application.
    bool replaceSelectedText(const QString& text) const;

private:
    std::optional<qint64> processWithRememberedIdentifier() const;
    AXElementPtr focusedElementOf(qint64 processIdentifier) const;

    Workspace& workspace_;
    Accessibility& accessibility_;
    FocusService& focus_;
};
