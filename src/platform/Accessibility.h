#pragma once

#include <QList>
#include <QPointF>
#include <QSizeF>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>
#include <variant>

// An element of another application's accessibility tree. An opaque handle: only the
// Accessibility implementation that made it looks inside.
class AXElement {
public:
    virtual ~AXElement() = default;
};
using AXElementPtr = std::shared_ptr<const AXElement>;

// An attribute value: text, flag, number, element, position, size or list of elements.
using AXValue =
    std::variant<QString, bool, double, AXElementPtr, QPointF, QSizeF, QList<AXElementPtr>>;

// The accessibility interface of other applications. Attribute, role and action names are the
// app's own vocabulary ("AXFocusedUIElement", "AXSelectedText", "AXValue", "AXRole",
// "AXParent", "AXChildren", "AXWebArea", "AXPress" ...); the implementation maps them.
// Every failing call reads as absent / false / empty.
class Accessibility {
public:
    virtual ~Accessibility() = default;

    // Whether this process may use the accessibility interface of other applications.
    virtual bool isTrusted() const = 0;

    // The element of the application with that process; null when there is none.
    virtual AXElementPtr applicationElement(qint64 processIdentifier) = 0;

    // The value of one attribute; none when the call fails or there is no value.
    virtual std::optional<AXValue> attribute(const AXElementPtr& element, const QString& name) = 0;
    // The element's attribute names; empty when the call fails.
    virtual QStringList attributeNames(const AXElementPtr& element) = 0;
    // Whether the element has that attribute; false when the call fails. Cheaper than the list
    // where the platform knows the answer without asking.
    virtual bool hasAttribute(const AXElementPtr& element, const QString& name) {
        return attributeNames(element).contains(name);
    }
    // The element's action names; empty when the call fails.
    virtual QStringList actionNames(const AXElementPtr& element) = 0;
    // Whether the attribute can be set; none when the query fails.
    virtual std::optional<bool> isAttributeSettable(const AXElementPtr& element,
                                                    const QString& name) = 0;
    // Sets an attribute ("AXSelectedText" replaces the selection); false on failure.
    virtual bool setAttribute(const AXElementPtr& element, const QString& name,
                              const AXValue& value) = 0;
    virtual bool performAction(const AXElementPtr& element, const QString& action) = 0;

    // The visible text fields and areas under the element, in tree order, at most `limit`;
    // none when the search fails.
    virtual std::optional<QList<AXElementPtr>> searchTextFields(const AXElementPtr& element,
                                                                int limit) = 0;

    // The elements under `element` (itself included) whose "AXRole" is one of `roles`, in tree
    // order (depth first). None when the platform cannot ask for them in one go: the caller
    // walks the tree itself.
    virtual std::optional<QList<AXElementPtr>> elementsWithRoles(const AXElementPtr& element,
                                                                 const QStringList& roles) {
        Q_UNUSED(element);
        Q_UNUSED(roles);
        return std::nullopt;
    }

    // Whether two handles denote the same element.
    virtual bool isSameElement(const AXElementPtr& a, const AXElementPtr& b) = 0;
};
