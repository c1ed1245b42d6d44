#include "capture/AccessibilityTextReader.h"

#include "capture/FocusService.h"
#include "platform/Workspace.h"

namespace {
const QString kFocusedElement = QStringLiteral("AXFocusedUIElement");
const QString kSelectedText = QStringLiteral("AXSelectedText");
const QString kValue = QStringLiteral("AXValue");

AXElementPtr asElement(const std::optional<AXValue>& value) {
    if (!value) {
        return {};
    }
    if (const auto* element = std::get_if<AXElementPtr>(&*value)) {
        return *element;
    }
    return {};
}
}  // namespace

AccessibilityTextReader::AccessibilityTextReader(Workspace& workspace, Accessibility& accessibility,
                                                 FocusService& focus)
    : workspace_(workspace), accessibility_(accessibility), focus_(focus) {}

std::optional<QString> AccessibilityTextReader::stringAttribute(const AXElementPtr& element,
                                                                const QString& name) const {
    if (!element) {
        return std::nullopt;
    }
    const auto value = accessibility_.attribute(element, name);
    if (!value) {
        return std::nullopt;
    }
    if (const auto* text = std::get_if<QString>(&*value)) {
        return *text;
    }
    return std::nullopt;
}

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
    return asElement(accessibility_.attribute(application, kFocusedElement));
}

QString AccessibilityTextReader::selectedText() const {
    const auto target = processWithRememberedIdentifier();
    if (!target) {
        return {};
    }
    return stringAttribute(focusedElementOf(*target), kSelectedText).value_or(QString());
}

QString AccessibilityTextReader::focusedText() const {
    const auto target = processWithRememberedIdentifier();
    if (!target) {
        return {};
    }
    const auto element = focusedElementOf(*target);
    if (const auto selected = stringAttribute(element, kSelectedText)) {
        return *selected;
    }
    return stringAttribute(element, kValue).value_or(QString());
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
        if (accessibility_.attributeNames(current).contains(QStringLiteral("ChromeAXNodeId"))) {
            return true;
        }
        if (stringAttribute(current, QStringLiteral("AXRole")) == QStringLiteral("AXWebArea")) {
            return true;
        }
        current = asElement(accessibility_.attribute(current, QStringLiteral("AXParent")));
    }
    return false;
}

QString AccessibilityTextReader::selectedTextForLayout() const {
    const auto element = focusedElement();
    if (!element || requiresPasteFallback(element)) {
        return {};
    }
    return stringAttribute(element, kSelectedText).value_or(QString());
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
    if (accessibility_.isAttributeSettable(element, kSelectedText) != true) {
        return false;
    }
    return accessibility_.setAttribute(element, kSelectedText, AXValue(text));
}
