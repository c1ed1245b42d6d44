#pragma once

#include <QList>
#include <QRectF>
#include <QString>
#include <memory>
#include <optional>

// An element of another application's accessibility tree. An opaque handle: only the
// Accessibility implementation that made it looks inside.
class AXElement {
public:
    virtual ~AXElement() = default;
};
using AXElementPtr = std::shared_ptr<const AXElement>;

// What an element is, as far as finding and editing text cares.
enum class AXRole {
    Unknown,
    Application,
    Window,
    TextField,
    TextArea,
    ComboBox,
    // A container; browsers expose rich text editors as one.
    Group,
    GenericElement,
    Toolbar,
    WebArea,
    Button,
};

// The accessibility interface of other applications, in the terms the capture code asks in.
// Every failing call reads as absent / false / empty.
class Accessibility {
public:
    virtual ~Accessibility() = default;

    // Whether this process may use the accessibility interface of other applications.
    virtual bool isTrusted() const = 0;

    // The element of the application with that process; null when there is none.
    virtual AXElementPtr applicationElement(qint64 processIdentifier) = 0;
    // Asks a browser that builds its page's tree only when told to build it; nothing where
    // there is no such switch.
    virtual void enableBrowserAccessibility(const AXElementPtr& application) = 0;

    // The application's focused element and focused window; null when there is none.
    virtual AXElementPtr focusedElement(const AXElementPtr& application) = 0;
    virtual AXElementPtr focusedWindow(const AXElementPtr& application) = 0;
    // Makes the window the application's focused one; false on failure.
    virtual bool setFocusedWindow(const AXElementPtr& application, const AXElementPtr& window) = 0;
    // Brings the window forward; false on failure.
    virtual bool raise(const AXElementPtr& window) = 0;

    // None when the call fails.
    virtual std::optional<AXRole> role(const AXElementPtr& element) = 0;
    virtual AXElementPtr parent(const AXElementPtr& element) = 0;
    virtual QList<AXElementPtr> children(const AXElementPtr& element) = 0;
    // In screen coordinates; none unless both position and size are known.
    virtual std::optional<QRectF> frame(const AXElementPtr& element) = 0;
    virtual std::optional<bool> isEnabled(const AXElementPtr& element) = 0;
    virtual std::optional<bool> isFocused(const AXElementPtr& element) = 0;
    // Whether the element edits text, itself or as a part of an editor around it.
    virtual std::optional<bool> isEditable(const AXElementPtr& element) = 0;

    // Whether the element has text: a selection, a value, a character count.
    virtual bool hasText(const AXElementPtr& element) = 0;
    virtual std::optional<QString> selectedText(const AXElementPtr& element) = 0;
    virtual std::optional<QString> value(const AXElementPtr& element) = 0;
    virtual std::optional<int> characterCount(const AXElementPtr& element) = 0;
    // Whether the selection can be replaced; none when the query fails.
    virtual std::optional<bool> canReplaceSelection(const AXElementPtr& element) = 0;
    // Replaces the selection (inserts at the caret without one); false on failure.
    virtual bool replaceSelection(const AXElementPtr& element, const QString& text) = 0;
    // Where the caret stands in the element's text while nothing is selected there; none when
    // something is selected or the element cannot tell.
    virtual std::optional<int> caretWithoutSelection(const AXElementPtr& element) = 0;
    // Puts the caret there, with nothing selected; false on failure.
    virtual bool setCaretOffset(const AXElementPtr& element, int offset) = 0;

    // Whether the element can take the focus; none when the query fails.
    virtual std::optional<bool> canFocus(const AXElementPtr& element) = 0;
    virtual bool focus(const AXElementPtr& element) = 0;
    virtual bool canPress(const AXElementPtr& element) = 0;
    virtual bool press(const AXElementPtr& element) = 0;

    // The element's node in a browser's page; none outside one (or where the browser does
    // not tell).
    virtual std::optional<QString> browserNodeId(const AXElementPtr& element) = 0;

    // The visible text fields and areas under the element, in tree order, at most `limit`;
    // none when the search fails.
    virtual std::optional<QList<AXElementPtr>> searchTextFields(const AXElementPtr& element,
                                                                int limit) = 0;
    // The elements under `element` (itself included) with one of `roles`, in tree order
    // (depth first). None when the platform cannot ask for them in one go: the caller walks
    // the tree itself.
    virtual std::optional<QList<AXElementPtr>> elementsWithRoles(const AXElementPtr& element,
                                                                 const QList<AXRole>& roles) {
        Q_UNUSED(element);
        Q_UNUSED(roles);
        return std::nullopt;
    }

    // Whether two handles denote the same element.
    virtual bool isSameElement(const AXElementPtr& a, const AXElementPtr& b) = 0;
};
