#pragma once

#include <QList>
#include <memory>

#include "platform/Accessibility.h"

class SimulatedApp;
class SimulatedDesktop;

// A node of the simulated accessibility tree. What is set here wins over what the
// application it belongs to shows live.
class SimulatedAXNode : public AXElement, public std::enable_shared_from_this<SimulatedAXNode> {
public:
    AXRole role = AXRole::Unknown;
    std::optional<QString> selectedText;
    std::optional<QString> value;
    std::optional<int> characterCount;
    std::optional<bool> enabled;
    std::optional<bool> focused;
    std::optional<bool> editable;
    std::optional<QRectF> frame;
    std::optional<QString> browserNodeId;

    // What can be done to it; whether focusing or pressing it moves the application's focus
    // here; whether focusing it and replacing its selection fail.
    bool focusable = false;
    bool selectionReplaceable = false;
    bool pressable = false;
    bool focusesOnSet = true;
    bool focusesOnPress = false;
    bool failsToSet = false;

    // Queries that fail on this node.
    enum class Query { SelectedText, Value, CharacterCount, Search };
    QList<Query> failing;
    // What a search for text fields under this node finds (cut to the limit).
    QList<AXElementPtr> searchResults;

    std::weak_ptr<SimulatedAXNode> parent;
    QList<std::shared_ptr<SimulatedAXNode>> children;

    // The application this node is the element of, or whose focused text field it is.
    SimulatedApp* applicationOf = nullptr;
    SimulatedApp* textFieldOf = nullptr;

    static std::shared_ptr<SimulatedAXNode> make(AXRole role);
    // Moves `child` under `parent` (null: detached).
    static void attach(const std::shared_ptr<SimulatedAXNode>& child,
                       const std::shared_ptr<SimulatedAXNode>& parent);
};

// The accessibility interface of the simulated desktop's applications.
class SimulatedAccessibility : public Accessibility {
public:
    explicit SimulatedAccessibility(SimulatedDesktop& desktop) : desktop_(desktop) {}

    bool trusted = true;
    // Every successful focus and selection replacement.
    int setCount = 0;
    // The windows raised and the elements pressed, in order; the last search's limit.
    QList<AXElementPtr> raised;
    QList<AXElementPtr> pressed;
    int lastSearchLimit = 0;

    bool isTrusted() const override { return trusted; }
    AXElementPtr applicationElement(qint64 processIdentifier) override;
    void enableBrowserAccessibility(const AXElementPtr&) override {}
    AXElementPtr focusedElement(const AXElementPtr& application) override;
    AXElementPtr focusedWindow(const AXElementPtr& application) override;
    // The simulated applications do not let the focused window be set: raising is the way.
    bool setFocusedWindow(const AXElementPtr&, const AXElementPtr&) override { return false; }
    bool raise(const AXElementPtr& window) override;

    std::optional<AXRole> role(const AXElementPtr& element) override;
    AXElementPtr parent(const AXElementPtr& element) override;
    QList<AXElementPtr> children(const AXElementPtr& element) override;
    std::optional<QRectF> frame(const AXElementPtr& element) override;
    std::optional<bool> isEnabled(const AXElementPtr& element) override;
    std::optional<bool> isFocused(const AXElementPtr& element) override;
    std::optional<bool> isEditable(const AXElementPtr& element) override;

    bool hasText(const AXElementPtr& element) override;
    std::optional<QString> selectedText(const AXElementPtr& element) override;
    std::optional<QString> value(const AXElementPtr& element) override;
    std::optional<int> characterCount(const AXElementPtr& element) override;
    std::optional<bool> canReplaceSelection(const AXElementPtr& element) override;
    bool replaceSelection(const AXElementPtr& element, const QString& text) override;
    std::optional<int> caretWithoutSelection(const AXElementPtr& element) override;
    bool setCaretOffset(const AXElementPtr& element, int offset) override;

    std::optional<bool> canFocus(const AXElementPtr& element) override;
    bool focus(const AXElementPtr& element) override;
    bool canPress(const AXElementPtr& element) override;
    bool press(const AXElementPtr& element) override;

    std::optional<QString> browserNodeId(const AXElementPtr& element) override;

    std::optional<QList<AXElementPtr>> searchTextFields(const AXElementPtr& element,
                                                        int limit) override;
    bool isSameElement(const AXElementPtr& a, const AXElementPtr& b) override {
        return a && a == b;
    }

private:
    // Makes the node its application's focused element.
    void takeFocus(SimulatedAXNode& node);
    SimulatedAXNode* node(const AXElementPtr& element) const;

    SimulatedDesktop& desktop_;
};
