#include "capture/AccessibilityTextReader.h"

#include "capture/FocusService.h"
#include "platform/Workspace.h"

AccessibilityTextReader::AccessibilityTextReader(Workspace& workspace, Accessibility& accessibility,
                                                 FocusService& focus)
    : workspace_(workspace), accessibility_(accessibility), focus_(focus) {}

std::optional<qint64> AccessibilityTextReader::processWithRememberedIdentifier() const {
    const auto& identifier = focus_.rememberedBundleIdentifier();
    if (!identifier) {
        return std::nullopt;
    }
    for (const auto& app : workspace_.runningApplications()) {
        if (!app.bundleIdentifier.isEmpty() && app.bundleIdentifier == *identifier) {
            return app.processIdentifier;
        }
    }
    return std::nullopt;
}

AXElementPtr AccessibilityTextReader::focusedElementOf(qint64 processIdentifier) const {
    const auto application = accessibility_.applicationElement(processIdentifier);
    if (!application) {
        return {};
    }
    return accessibility_.focusedElement(application);
}

QString AccessibilityTextReader::selectedText() const {
    const auto target = processWithRememberedIdentifier();
    if (!target) {
        return {};
    }
    return accessibility_.selectedText(focusedElementOf(*target)).value_or(QString());
}

QString AccessibilityTextReader::focusedText() const {
    const auto target = processWithRememberedIdentifier();
    if (!target) {
        return {};
    }
    const auto element = focusedElementOf(*target);
    if (const auto selected = accessibility_.selectedText(element)) {
        return *selected;
    }
    return accessibility_.value(element).value_or(QString());
}

AXElementPtr AccessibilityTextReader::focusedElement() const {
    const auto& pid = focus_.rememberedProcessIdentifier();
    if (!pid) {
        return {};
    }
    for (const auto& app : workspace_.runningApplications()) {
        if (app.processIdentifier == *pid) {
            return focusedElementOf(*pid);
        }
    }
    return {};
}

bool AccessibilityTextReader::requiresPasteFallback(const AXElementPtr& element) const {
    AXElementPtr current = element;
    for (int visited = 0; visited < 32 && current; ++visited) {
        if (accessibility_.browserNodeId(current) ||
            accessibility_.role(current) == AXRole::WebArea) {
            return true;
        }
        current = accessibility_.parent(current);
    }
    return false;
}

QString AccessibilityTextReader::selectedTextForLayout() const {
    const auto element = focusedElement();
    if (!element || requiresPasteFallback(element)) {
        return {};
    }
    return accessibility_.selectedText(element).value_or(QString());
}

bool AccessibilityTextReader::replaceSelectedText(const QString& text) const {
    if (!focus_.rememberedBundleIdentifier()) {
        return false;
    }
    // The remembered process itself; another instance with the same identifier only when it
    // is gone.
    std::optional<qint64> target;
    if (const auto& pid = focus_.rememberedProcessIdentifier()) {
        for (const auto& app : workspace_.runningApplications()) {
            if (app.processIdentifier == *pid) {
                target = *pid;
                break;
            }
        }
    }
    if (!target) {
        target = processWithRememberedIdentifier();
    }
    if (!target) {
        return false;
    }
    const auto element = focusedElementOf(*target);
    if (!element || requiresPasteFallback(element)) {
        return false;
    }
    if (accessibility_.canReplaceSelection(element) != true) {
        return false;
    }
    return accessibility_.replaceSelection(element, text);
}

std::optional<CaretSpot> AccessibilityTextReader::caretWithoutSelection() const {
    const auto element = focusedElement();
    if (!element || accessibility_.role(element) != AXRole::TextArea ||
        accessibility_.isEditable(element) != true) {
        return std::nullopt;
    }
    const auto caret = accessibility_.caretWithoutSelection(element);
    if (!caret || requiresPasteFallback(element)) {
        return std::nullopt;
    }
    return CaretSpot{element, *caret};
}

bool AccessibilityTextReader::undoLineCopy(const CaretSpot& spot, const QString& copied) const {
    if (!copied.endsWith(QLatin1Char('\n')) && !copied.endsWith(QLatin1Char('\r'))) {
        return false;
    }
    // Asked after the Copy was handled, so this also covers keys that selected just before.
    if (!accessibility_.caretWithoutSelection(spot.element)) {
        return false;
    }
    accessibility_.setCaretOffset(spot.element, spot.offset);
    return true;
}
