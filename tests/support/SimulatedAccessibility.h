#pragma once

#include <QMap>
#include <QSet>
#include <memory>

#include "platform/Accessibility.h"

class SimulatedApp;
class SimulatedDesktop;

// A node of the simulated accessibility tree. Attributes set here win over the live ones;
// `failing` names attributes whose reading (and settable query) fails.
class SimulatedAXNode : public AXElement {
public:
    QMap<QString, AXValue> attributes;
    QSet<QString> settable;
    QSet<QString> failing;
    bool failsToSet = false;

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
    // Nothing here asks for actions or searches for fields.
    QStringList actionNames(const AXElementPtr&) override { return {}; }
    std::optional<bool> isAttributeSettable(const AXElementPtr& element,
                                            const QString& name) override;
    bool setAttribute(const AXElementPtr& element, const QString& name,
                      const AXValue& value) override;
    bool performAction(const AXElementPtr&, const QString&) override { return false; }
    std::optional<QList<AXElementPtr>> searchTextFields(const AXElementPtr&, int) override {
        return std::nullopt;
    }
    bool isSameElement(const AXElementPtr& a, const AXElementPtr& b) override {
        return a && a == b;
    }

private:
    SimulatedAXNode* node(const AXElementPtr& element) const;
    std::optional<AXValue> liveAttribute(SimulatedAXNode& node, const QString& name) const;

    SimulatedDesktop& desktop_;
};
