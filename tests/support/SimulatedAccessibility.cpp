#include "support/SimulatedAccessibility.h"

#include "support/SimulatedDesktop.h"

std::shared_ptr<SimulatedAXNode> SimulatedAXNode::make(AXRole role) {
    auto node = std::make_shared<SimulatedAXNode>();
    node->role = role;
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

AXElementPtr SimulatedAccessibility::focusedElement(const AXElementPtr& application) {
    const auto* n = node(application);
    return n && n->applicationOf ? AXElementPtr(n->applicationOf->focused) : AXElementPtr();
}

AXElementPtr SimulatedAccessibility::focusedWindow(const AXElementPtr& application) {
    const auto* n = node(application);
    return n && n->applicationOf ? AXElementPtr(n->applicationOf->window) : AXElementPtr();
}

bool SimulatedAccessibility::raise(const AXElementPtr& window) {
    if (!node(window)) {
        return false;
    }
    raised.append(window);
    return true;
}

std::optional<AXRole> SimulatedAccessibility::role(const AXElementPtr& element) {
    const auto* n = node(element);
    return n ? std::optional<AXRole>(n->role) : std::nullopt;
}

AXElementPtr SimulatedAccessibility::parent(const AXElementPtr& element) {
    const auto* n = node(element);
    return n ? AXElementPtr(n->parent.lock()) : AXElementPtr();
}

QList<AXElementPtr> SimulatedAccessibility::children(const AXElementPtr& element) {
    QList<AXElementPtr> children;
    if (const auto* n = node(element)) {
        for (const auto& child : n->children) {
            children.append(child);
        }
    }
    return children;
}

std::optional<QRectF> SimulatedAccessibility::frame(const AXElementPtr& element) {
    const auto* n = node(element);
    return n ? n->frame : std::nullopt;
}

std::optional<bool> SimulatedAccessibility::isEnabled(const AXElementPtr& element) {
    const auto* n = node(element);
    return n ? n->enabled : std::nullopt;
}

std::optional<bool> SimulatedAccessibility::isFocused(const AXElementPtr& element) {
    const auto* n = node(element);
    return n ? n->focused : std::nullopt;
}

std::optional<bool> SimulatedAccessibility::isEditable(const AXElementPtr& element) {
    const auto* n = node(element);
    return n ? n->editable : std::nullopt;
}

bool SimulatedAccessibility::hasText(const AXElementPtr& element) {
    const auto* n = node(element);
    return n && (n->selectedText || n->textFieldOf);
}

std::optional<QString> SimulatedAccessibility::selectedText(const AXElementPtr& element) {
    const auto* n = node(element);
    if (!n || n->failing.contains(SimulatedAXNode::Query::SelectedText)) {
        return std::nullopt;
    }
    if (n->selectedText || !n->textFieldOf) {
        return n->selectedText;
    }
    return n->textFieldOf->selectedText();
}

std::optional<QString> SimulatedAccessibility::value(const AXElementPtr& element) {
    const auto* n = node(element);
    if (!n || n->failing.contains(SimulatedAXNode::Query::Value)) {
        return std::nullopt;
    }
    if (n->value || !n->textFieldOf) {
        return n->value;
    }
    return n->textFieldOf->text;
}

std::optional<int> SimulatedAccessibility::characterCount(const AXElementPtr& element) {
    const auto* n = node(element);
    if (!n || n->failing.contains(SimulatedAXNode::Query::CharacterCount)) {
        return std::nullopt;
    }
    if (n->characterCount || !n->textFieldOf) {
        return n->characterCount;
    }
    return int(n->textFieldOf->text.size());
}

std::optional<bool> SimulatedAccessibility::canReplaceSelection(const AXElementPtr& element) {
    const auto* n = node(element);
    if (!n || n->failing.contains(SimulatedAXNode::Query::SelectedText)) {
        return std::nullopt;
    }
    return n->selectionReplaceable;
}

bool SimulatedAccessibility::replaceSelection(const AXElementPtr& element, const QString& text) {
    auto* n = node(element);
    if (!n || n->failsToSet || !n->selectionReplaceable) {
        return false;
    }
    ++setCount;
    if (n->textFieldOf) {
        n->textFieldOf->replaceSelection(text);
    } else {
        n->selectedText = text;
    }
    return true;
}

std::optional<int> SimulatedAccessibility::caretWithoutSelection(const AXElementPtr& element) {
    const auto* n = node(element);
    if (!n || !n->textFieldOf || n->failing.contains(SimulatedAXNode::Query::SelectedText) ||
        n->textFieldOf->selectionLength > 0) {
        return std::nullopt;
    }
    return n->textFieldOf->selectionStart;
}

bool SimulatedAccessibility::setCaretOffset(const AXElementPtr& element, int offset) {
    auto* n = node(element);
    if (!n || !n->textFieldOf || n->failsToSet) {
        return false;
    }
    n->textFieldOf->setText(n->textFieldOf->text, offset, 0);
    return true;
}

std::optional<bool> SimulatedAccessibility::canFocus(const AXElementPtr& element) {
    const auto* n = node(element);
    return n ? std::optional<bool>(n->focusable) : std::nullopt;
}

bool SimulatedAccessibility::focus(const AXElementPtr& element) {
    auto* n = node(element);
    if (!n || n->failsToSet || !n->focusable) {
        return false;
    }
    ++setCount;
    if (n->focusesOnSet) {
        takeFocus(*n);
    }
    n->focused = true;
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

bool SimulatedAccessibility::canPress(const AXElementPtr& element) {
    const auto* n = node(element);
    return n && n->pressable;
}

bool SimulatedAccessibility::press(const AXElementPtr& element) {
    auto* n = node(element);
    if (!n) {
        return false;
    }
    pressed.append(element);
    if (!n->pressable) {
        return false;
    }
    if (n->focusesOnPress) {
        takeFocus(*n);
    }
    return true;
}

std::optional<QString> SimulatedAccessibility::browserNodeId(const AXElementPtr& element) {
    const auto* n = node(element);
    return n ? n->browserNodeId : std::nullopt;
}

std::optional<QList<AXElementPtr>> SimulatedAccessibility::searchTextFields(
    const AXElementPtr& element, int limit) {
    auto* n = node(element);
    lastSearchLimit = limit;
    if (!n || n->failing.contains(SimulatedAXNode::Query::Search)) {
        return std::nullopt;
    }
    return n->searchResults.mid(0, limit);
}
