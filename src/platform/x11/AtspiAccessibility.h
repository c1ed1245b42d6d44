#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QRect>
#include <QStringList>
#include <functional>
#include <memory>

#include "platform/Accessibility.h"

// Other applications' accessibility trees over AT-SPI. Every call is bounded to about 250 ms,
// so that a busy application cannot freeze ours; a call that runs out finds nothing. Without
// an accessibility bus every call finds nothing (the copy road takes over).
namespace atspiTree {
class PendingWalk;
}

class AtspiAccessibility : public Accessibility {
public:
    AtspiAccessibility();
    ~AtspiAccessibility() override;

    // Linux has no per-process accessibility permission.
    bool isTrusted() const override { return true; }

    AXElementPtr applicationElement(qint64 processIdentifier) override;
    // AT-SPI browsers build their trees when the bus is on.
    void enableBrowserAccessibility(const AXElementPtr&) override {}
    AXElementPtr focusedElement(const AXElementPtr& application) override;
    AXElementPtr focusedWindow(const AXElementPtr& application) override;
    bool setFocusedWindow(const AXElementPtr& application, const AXElementPtr& window) override;
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

    // AT-SPI has no such identifier.
    std::optional<QString> browserNodeId(const AXElementPtr&) override { return std::nullopt; }

    std::optional<QList<AXElementPtr>> searchTextFields(const AXElementPtr& element,
                                                        int limit) override;
    std::optional<QList<AXElementPtr>> elementsWithRoles(const AXElementPtr& element,
                                                         const QList<AXRole>& roles) override;
    bool isSameElement(const AXElementPtr& a, const AXElementPtr& b) override;

    // What tests that drive our own windows ask besides: the element's name, and its actions
    // by their AT-SPI names, a press under kPressAction whatever the toolkit calls it.
    static constexpr const char* kPressAction = "press";
    std::optional<QString> title(const AXElementPtr& element);
    QStringList actionNames(const AXElementPtr& element);
    bool performAction(const AXElementPtr& element, const QString& action);

    // Whether the accessibility bus answered; asked once, on first use.
    bool isAvailable();

    static constexpr int kCallBudgetMs = 250;

    // Brings forward the process's window with those screen extents; what raising a window
    // (and setting an application's focused window) does.
    std::function<bool(qint64 processIdentifier, const QRect& extents)> raiseWindow;

private:
    // Where an application offers no Collection (GTK 4, Qt) the walk to its focused element is
    // long: the element found last is taken again while it still has the focus and shows.
    AXElementPtr stillFocused(const AXElementPtr& application);

    enum class Availability { Unknown, Yes, No };
    Availability availability_ = Availability::Unknown;
    AXElementPtr lastFocused_;
    // The walk to the focused element that ran out of its budget, and whose bus it walks.
    std::unique_ptr<atspiTree::PendingWalk> focusWalk_;
    QByteArray focusWalkBus_;
};
