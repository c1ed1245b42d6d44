#pragma once

#include <QElapsedTimer>
#include <QRect>
#include <functional>

#include "platform/Accessibility.h"

// Other applications' accessibility trees over AT-SPI. Every call is bounded to about 250 ms,
// so that a busy application cannot freeze ours; a call that runs out finds nothing. Without
// an accessibility bus every call finds nothing (the copy road takes over).
class AtspiAccessibility : public Accessibility {
public:
    AtspiAccessibility();
    ~AtspiAccessibility() override;

    // Linux has no per-process accessibility permission.
    bool isTrusted() const override { return true; }

    AXElementPtr applicationElement(qint64 processIdentifier) override;
    std::optional<AXValue> attribute(const AXElementPtr& element, const QString& name) override;
    QStringList attributeNames(const AXElementPtr& element) override;
    bool hasAttribute(const AXElementPtr& element, const QString& name) override;
    QStringList actionNames(const AXElementPtr& element) override;
    std::optional<bool> isAttributeSettable(const AXElementPtr& element,
                                            const QString& name) override;
    bool setAttribute(const AXElementPtr& element, const QString& name,
                      const AXValue& value) override;
    bool performAction(const AXElementPtr& element, const QString& action) override;
    std::optional<QList<AXElementPtr>> searchTextFields(const AXElementPtr& element,
                                                        int limit) override;
    std::optional<QList<AXElementPtr>> elementsWithRoles(const AXElementPtr& element,
                                                         const QStringList& roles) override;
    bool isSameElement(const AXElementPtr& a, const AXElementPtr& b) override;

    // Whether the accessibility bus answered; asked once, on first use.
    bool isAvailable();

    static constexpr int kCallBudgetMs = 250;

    // Brings forward the process's window with those screen extents; what raising a window
    // (and setting an application's focused window) does.
    std::function<bool(qint64 processIdentifier, const QRect& extents)> raiseWindow;

private:
    bool raise(const AXElementPtr& window);
    // Where an application offers no Collection (GTK 4, Qt) the walk to its focused element is
    // long: the element found last is taken again while it still has the focus and shows.
    AXElementPtr stillFocused(const AXElementPtr& application);

    enum class Availability { Unknown, Yes, No };
    Availability availability_ = Availability::Unknown;
    AXElementPtr lastFocused_;
};
