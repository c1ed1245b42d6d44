#pragma once

#include <QString>
#include <optional>

#include "platform/Accessibility.h"

class FocusService;
class Workspace;

// A text element and where its caret stood while nothing was selected there.
struct CaretSpot {
    AXElementPtr element;
    int offset = 0;
};

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
    // The caret of the remembered process's focused editable text while nothing is selected
    // there; none where that cannot be told for sure, and in web content.
    std::optional<CaretSpot> caretWithoutSelection() const;
    // Whether a Copy made at `spot` took the caret's line rather than a selection, as editors
    // do that copy the line when nothing is selected: still nothing selected, and `copied`
    // ends a line. The caret then goes back to `spot`, as such editors move it.
    bool undoLineCopy(const CaretSpot& spot, const QString& copied) const;

private:
    std::optional<qint64> processWithRememberedIdentifier() const;
    AXElementPtr focusedElementOf(qint64 processIdentifier) const;

    Workspace& workspace_;
    Accessibility& accessibility_;
    FocusService& focus_;
};
