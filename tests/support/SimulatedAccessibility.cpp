#include "support/SimulatedAccessibility.h"

#include "support/SimulatedDesktop.h"

namespace {
const QString kRole = QStringLiteral("AXRole");
const QString kParent = QStringLiteral("AXParent");
const QString kChildren = QStringLiteral("AXChildren");
const QString kSelectedText = QStringLiteral("AXSelectedText");
const QString kValue = QStringLiteral("AXValue");
const QString kFocusedElement = QStringLiteral("AXFocusedUIElement");
const QString kFocusedWindow = QStringLiteral("AXFocusedWindow");
}  // namespace

std::shared_ptr<SimulatedAXNode> SimulatedAXNode::make(const QString& role) {
    auto node = std::make_shared<SimulatedAXNode>();
    node->attributes.insert(kRole, AXValue(role));
    return node;
}

void SimulatedAXNode::attach(const std::shared_ptr<SimulatedAXNode>& child,
                             const std::shared_ptr<SimulatedAXNode>& parent) {
    if (auto old = child->parent.lock()) {
        old->children.removeAll(child);
    }
    child->parent = parent;
    if (parent) {
        parent->children.append(child);
    }
}

SimulatedAXNode* SimulatedAccessibility::node(const AXElementPtr& element) const {
    if (!trusted || !element) {
        return nullptr;
    }
    // The tree is the test's own; handing out const handles does not make it read-only.
    return const_cast<SimulatedAXNode*>(dynamic_cast<const SimulatedAXNode*>(element.get()));
}

AXElementPtr SimulatedAccessibility::applicationElement(qint64 processIdentifier) {
    if (!trusted) {
        return {};
    }
    if (auto* app = desktop_.app(processIdentifier)) {
        return app->element;
    }
    return {};
}

std::optional<AXValue> SimulatedAccessibility::liveAttribute(SimulatedAXNode& node,
                                                             const QString& name) const {
    if (name == kParent) {
        if (auto parent = node.parent.lock()) {
            return AXValue(AXElementPtr(parent));
        }
        return std::nullopt;
    }
    if (name == kChildren) {
        QList<AXElementPtr> children;
        for (const auto& child : node.children) {
            children.append(child);
        }
        return AXValue(children);
    }
    if (const auto* app = node.applicationOf) {
        if (name == kFocusedElement && app->focused) {
            return AXValue(AXElementPtr(app->focused));
        }
        if (name == kFocusedWindow && app->window) {
            return AXValue(AXElementPtr(app->window));
        }
    }
    if (const auto* app = node.textFieldOf) {
        if (name == kSelectedText) {
            return AXValue(app->selectedText());
        }
        if (name == kValue) {
            return AXValue(app->text);
        }
        if (name == QLatin1String("AXNumberOfCharacters")) {
            return AXValue(double(app->text.size()));
        }
    }
    return std::nullopt;
}

std::optional<AXValue> SimulatedAccessibility::attribute(const AXElementPtr& element,
                                                         const QString& name) {
    auto* n = node(element);
    if (!n || n->failing.contains(name)) {
        return std::nullopt;
    }
    if (n->attributes.contains(name)) {
        return n->attributes.value(name);
    }
    return liveAttribute(*n, name);
}

// The names set on the node; the live ones are not listed.
QStringList SimulatedAccessibility::attributeNames(const AXElementPtr& element) {
    auto* n = node(element);
    return n ? n->attributes.keys() : QStringList();
}

std::optional<bool> SimulatedAccessibility::isAttributeSettable(const AXElementPtr& element,
                                                                const QString& name) {
    auto* n = node(element);
    if (!n || n->failing.contains(name)) {
        return std::nullopt;
    }
    return n->settable.contains(name);
}

bool SimulatedAccessibility::setAttribute(const AXElementPtr& element, const QString& name,
                                          const AXValue& value) {
    auto* n = node(element);
    if (!n || n->failsToSet || !n->settable.contains(name)) {
        return false;
    }
    ++setCount;
    if (name == QLatin1String("AXFocused") && value == AXValue(true) && n->focusesOnSet) {
        takeFocus(*n);
    }
    if (n->textFieldOf && name == kSelectedText && std::holds_alternative<QString>(value)) {
        n->textFieldOf->replaceSelection(std::get<QString>(value));
        return true;
    }
    n->attributes.insert(name, value);
    return true;
}

void SimulatedAccessibility::takeFocus(SimulatedAXNode& target) {
    for (SimulatedAXNode* n = &target; n;) {
        if (n->applicationOf) {
            n->applicationOf->focused = target.shared_from_this();
            return;
        }
        const auto parent = n->parent.lock();
        n = parent.get();
    }
}

QStringList SimulatedAccessibility::actionNames(const AXElementPtr& element) {
    auto* n = node(element);
    return n ? n->actions : QStringList();
}

bool SimulatedAccessibility::performAction(const AXElementPtr& element, const QString& action) {
    auto* n = node(element);
    if (!n) {
        return false;
    }
    const auto role = n->attributes.value(kRole);
    const auto* roleName = std::get_if<QString>(&role);
    performed.append((roleName ? *roleName : QString()) + QLatin1Char(':') + action);
    if (!n->actions.contains(action)) {
        return false;
    }
    if (action == QLatin1String("AXPress") && n->focusesOnPress) {
        takeFocus(*n);
    }
    return true;
}

std::optional<QList<AXElementPtr>> SimulatedAccessibility::searchTextFields(
    const AXElementPtr& element, int limit) {
    auto* n = node(element);
    lastSearchLimit = limit;
    if (!n || n->failing.contains(QStringLiteral("search"))) {
        return std::nullopt;
    }
    return n->searchResults.mid(0, limit);
}
