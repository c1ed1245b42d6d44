#pragma once

#include <QMap>
#include <QSet>
#include <memory>

#include "platform/Accessibility.h"

class SimulatedApp;
class SimulatedDesktop;

// A node of the simulated accessibility tree. Attributes set here win over the live ones;
// `failing` names attributes whose reading (and settable query) fails.
class SimulatedAXNode : public AXElement, public std::enable_shared_from_this<SimulatedAXNode> {
public:
    QMap<QString, AXValue> attributes;
    QSet<QString> settable;
    QSet<QString> failing;
    bool failsToSet = false;
    // Action names; whether setting "AXFocused" or pressing moves the application's focus
    // here.
    QStringList actions;
    bool focusesOnSet = true;
    bool focusesOnPress = false;
    // What a search for text fields under this node finds (cut to the limit); it fails when
    // `failing` holds "search".
    QList<AXElementPtr> searchResults;

    std::weak_ptr<SimulatedAXNode> parent;
    QList<std::shared_ptr<SimulatedAXNode>> children;

    // The application this node is the element of, or whose focused text field it is.
    SimulatedApp* applicationOf = nullptr;
    SimulatedApp* textFieldOf = nullptr;

    static std::shared_ptr<SimulatedAXNode> make(const QString& role);
    // Moves `child` under `parent` (null: detached).
    static void attach(const std::shared_ptr<SimulatedAXNode>& child,
                       const std::shared_ptr<SimulatedAXNode>& parent);
};

// The accessibility interface of the simulated desktop's applications.
class SimulatedAccessibility : public Accessibility {
public:
    explicit SimulatedAccessibility(SimulatedDesktop& desktop) : desktop_(desktop) {}

    bool trusted = true;
    int setCount = 0;

    bool isTrusted() const override { return trusted; }
    AXElementPtr applicationElement(qint64 processIdentifier) override;
    std::optional<AXValue> attribute(const AXElementPtr& element, const QString& name) override;
    QStringList attributeNames(const AXElementPtr& element) override;
    // Every action asked for, as "role:action", and the last search's limit.
    QStringList performed;
    int lastSearchLimit = 0;

    QStringList actionNames(const AXElementPtr& element) override;
    std::optional<bool> isAttributeSettable(const AXElementPtr& element,
                                            const QString& name) override;
    bool setAttribute(const AXElementPtr& element, const QString& name,
                      const AXValue& value) override;
    bool performAction(const AXElementPtr& element, const QString& action) override;
    std::optional<QList<AXElementPtr>> searchTextFields(const AXElementPtr& element,
                                                        int limit) override;
    bool isSameElement(const AXElementPtr& a, const AXElementPtr& b) override {
        return a && a == b;
    }

private:
    // Makes the node its application's focused element.
    void takeFocus(SimulatedAXNode& node);
    SimulatedAXNode* node(const AXElementPtr& element) const;
    std::optional<AXValue> liveAttribute(SimulatedAXNode& node, const QString& name) const;

    SimulatedDesktop& desktop_;
};
