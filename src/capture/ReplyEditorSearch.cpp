#include "capture/ReplyEditorSearch.h"

#include <QQueue>
#include <algorithm>
#include <limits>

namespace {
const QString kRole = QStringLiteral("AXRole");
const QString kParent = QStringLiteral("AXParent");
const QString kChildren = QStringLiteral("AXChildren");
const QString kEnabled = QStringLiteral("AXEnabled");
const QString kFocused = QStringLiteral("AXFocused");
const QString kValue = QStringLiteral("AXValue");
const QString kTextArea = QStringLiteral("AXTextArea");
const QString kWebArea = QStringLiteral("AXWebArea");
const QString kToolbar = QStringLiteral("AXToolbar");
const QString kChromeNode = QStringLiteral("ChromeAXNodeId");
const QString kPress = QStringLiteral("AXPress");
const QStringList kFieldRoles{QStringLiteral("AXTextField"), kTextArea,
                              QStringLiteral("AXComboBox")};
const QStringList kGroupRoles{QStringLiteral("AXGroup"), QStringLiteral("AXGenericElement")};
}  // namespace

ReplyEditorSearch::ReplyEditorSearch(Accessibility& accessibility) : accessibility_(accessibility) {
    timer_.start();
}

std::optional<QString> ReplyEditorSearch::stringAttribute(const AXElementPtr& element,
                                                          const QString& name) {
    const auto value = accessibility_.attribute(element, name);
    const auto* text = value ? std::get_if<QString>(&*value) : nullptr;
    return text ? std::optional<QString>(*text) : std::nullopt;
}

std::optional<bool> ReplyEditorSearch::boolAttribute(const AXElementPtr& element,
                                                     const QString& name) {
    const auto value = accessibility_.attribute(element, name);
    const auto* flag = value ? std::get_if<bool>(&*value) : nullptr;
    return flag ? std::optional<bool>(*flag) : std::nullopt;
}

std::optional<double> ReplyEditorSearch::numberAttribute(const AXElementPtr& element,
                                                         const QString& name) {
    const auto value = accessibility_.attribute(element, name);
    const auto* number = value ? std::get_if<double>(&*value) : nullptr;
    return number ? std::optional<double>(*number) : std::nullopt;
}

AXElementPtr ReplyEditorSearch::elementAttribute(const AXElementPtr& element, const QString& name) {
    const auto value = accessibility_.attribute(element, name);
    const auto* handle = value ? std::get_if<AXElementPtr>(&*value) : nullptr;
    return handle ? *handle : AXElementPtr();
}

std::optional<QRectF> ReplyEditorSearch::frame(const AXElementPtr& element) {
    const auto position = accessibility_.attribute(element, QStringLiteral("AXPosition"));
    const auto size = accessibility_.attribute(element, QStringLiteral("AXSize"));
    const auto* point = position ? std::get_if<QPointF>(&*position) : nullptr;
    const auto* extent = size ? std::get_if<QSizeF>(&*size) : nullptr;
    if (!point || !extent) {
        return std::nullopt;
    }
    return QRectF(*point, *extent);
}

QList<AXElementPtr> ReplyEditorSearch::children(const AXElementPtr& element) {
    const auto value = accessibility_.attribute(element, kChildren);
    const auto* list = value ? std::get_if<QList<AXElementPtr>>(&*value) : nullptr;
    QList<AXElementPtr> result;
    if (list) {
        for (const auto& child : *list) {
            if (child) {
                result.append(child);
            }
        }
    }
    return result;
}

bool ReplyEditorSearch::isEditableElement(const AXElementPtr& element,
                                          const std::optional<QString>& role) {
    if (!element || !role) {
        return false;
    }
    if (kGroupRoles.contains(*role)) {
        const bool edits =
            boolAttribute(element, QStringLiteral("AXIsEditable")) == true ||
            accessibility_.hasAttribute(element, QStringLiteral("AXEditableAncestor")) ||
            accessibility_.hasAttribute(element, QStringLiteral("AXHighestEditableAncestor"));
        if (!edits || !accessibility_.hasAttribute(element, QStringLiteral("AXSelectedText"))) {
            return false;
        }
    } else if (!kFieldRoles.contains(*role)) {
        return false;
    }
    return boolAttribute(element, kEnabled) != false &&
           accessibility_.isAttributeSettable(element, kFocused) == true;
}

AXElementPtr ReplyEditorSearch::editableAncestor(const AXElementPtr& start) {
    AXElementPtr element = start;
    for (int visited = 0; element && visited < kAncestorLimit; ++visited) {
        if (isEditableElement(element, stringAttribute(element, kRole))) {
            return element;
        }
        element = elementAttribute(element, kParent);
    }
    return {};
}

bool ReplyEditorSearch::isInsideWebContent(const AXElementPtr& start) {
    bool chromeNodeSeen = false;
    AXElementPtr element = start;
    for (int visited = 0; element && visited < kWebContentLimit; ++visited) {
        const auto role = stringAttribute(element, kRole);
        if (role == kToolbar) {
            return false;
        }
        if (role == kWebArea) {
            return true;
        }
        if (!chromeNodeSeen) {
            chromeNodeSeen = accessibility_.hasAttribute(element, kChromeNode);
        }
        element = elementAttribute(element, kParent);
    }
    return chromeNodeSeen;
}

QList<AXElementPtr> ReplyEditorSearch::webAreas(const AXElementPtr& root) {
    if (const auto found = accessibility_.elementsWithRoles(root, {kWebArea})) {
        return breadthFirst(*found, root, true);
    }
    QList<AXElementPtr> areas;
    QQueue<AXElementPtr> queue;
    if (root) {
        queue.enqueue(root);
    }
    for (int visited = 0; !queue.isEmpty() && visited < kWebAreaVisitLimit && !budgetSpent();
         ++visited) {
        const AXElementPtr element = queue.dequeue();
        if (stringAttribute(element, kRole) == kWebArea) {
            areas.append(element);
            continue;
        }
        for (const auto& child : children(element)) {
            queue.enqueue(child);
        }
    }
    return areas;
}

QList<AXElementPtr> ReplyEditorSearch::breadthFirst(const QList<AXElementPtr>& elements,
                                                    const AXElementPtr& root, bool outermostOnly) {
    if (elements.size() < 2) {
        return elements;
    }
    // Tree order starts with the root: the walk that stops at what it finds stops there.
    if (outermostOnly && accessibility_.isSameElement(elements.first(), root)) {
        return {elements.first()};
    }
    // Each element's ancestors below the root; one whose ancestors never meet the root counts
    // as deep as they go.
    constexpr int kDepthLimit = 256;
    QList<QList<AXElementPtr>> chains;
    for (const auto& element : elements) {
        QList<AXElementPtr> chain;
        AXElementPtr parent = accessibility_.isSameElement(element, root)
                                  ? AXElementPtr()
                                  : elementAttribute(element, kParent);
        for (int depth = 0; parent && depth < kDepthLimit; ++depth) {
            if (accessibility_.isSameElement(parent, root)) {
                break;
            }
            chain.append(parent);
            parent = elementAttribute(parent, kParent);
        }
        chains.append(chain);
    }
    const auto isFound = [&](const AXElementPtr& ancestor) {
        return std::any_of(elements.begin(), elements.end(), [&](const AXElementPtr& element) {
            return accessibility_.isSameElement(ancestor, element);
        });
    };
    QList<qsizetype> order;
    for (qsizetype i = 0; i < elements.size(); ++i) {
        if (!outermostOnly || std::none_of(chains[i].begin(), chains[i].end(), isFound)) {
            order.append(i);
        }
    }
    // Breadth-first order is tree order level by level.
    std::stable_sort(order.begin(), order.end(),
                     [&](qsizetype a, qsizetype b) { return chains[a].size() < chains[b].size(); });
    QList<AXElementPtr> sorted;
    for (const qsizetype i : order) {
        sorted.append(elements[i]);
    }
    return sorted;
}

QList<AXElementPtr> ReplyEditorSearch::searchEditableElements(const AXElementPtr& root) {
    return accessibility_.searchTextFields(root, kSearchResultsLimit)
        .value_or(QList<AXElementPtr>());
}

bool ReplyEditorSearch::hasUsableSize(const AXElementPtr& element) {
    const auto rect = frame(element);
    return !rect || (rect->width() >= kMinimumWidth && rect->height() >= kMinimumHeight);
}

QList<AXElementPtr> ReplyEditorSearch::editableElements(const AXElementPtr& root) {
    return editableElements(root, webAreas(root));
}

QList<AXElementPtr> ReplyEditorSearch::editableElements(const AXElementPtr& root,
                                                        const QList<AXElementPtr>& areas) {
    QList<AXElementPtr> candidates;
    for (const auto& area : areas) {
        candidates.append(searchEditableElements(area));
    }
    QList<AXElementPtr> result;
    if (candidates.isEmpty()) {
        // Only these roles can pass the editable test: where the platform finds them at once,
        // the rest of the tree is never read.
        if (const auto found = accessibility_.elementsWithRoles(root, kFieldRoles + kGroupRoles)) {
            for (const auto& element : *found) {
                if (budgetSpent()) {
                    break;
                }
                if (isEditableElement(element, stringAttribute(element, kRole)) &&
                    hasUsableSize(element)) {
                    result.append(element);
                }
            }
            return breadthFirst(result, root, false);
        }
        QQueue<AXElementPtr> queue;
        if (root) {
            queue.enqueue(root);
        }
        for (int visited = 0; !queue.isEmpty() && visited < kWalkVisitLimit && !budgetSpent();
             ++visited) {
            const AXElementPtr element = queue.dequeue();
            if (isEditableElement(element, stringAttribute(element, kRole)) &&
                hasUsableSize(element)) {
                result.append(element);
            }
            for (const auto& child : children(element)) {
                queue.enqueue(child);
            }
        }
        return result;
    }
    for (const auto& candidate : candidates) {
        if (isEditableElement(candidate, stringAttribute(candidate, kRole)) &&
            hasUsableSize(candidate)) {
            result.append(candidate);
        }
    }
    return result;
}

bool ReplyEditorSearch::isActuallyFocused(const AXElementPtr& element,
                                          const AXElementPtr& application) {
    const AXElementPtr focused =
        elementAttribute(application, QStringLiteral("AXFocusedUIElement"));
    if (!focused || !element) {
        return false;
    }
    if (accessibility_.isSameElement(focused, element)) {
        return true;
    }
    const auto ownNode = accessibility_.attribute(element, kChromeNode);
    const auto focusedNode = accessibility_.attribute(focused, kChromeNode);
    if (ownNode && focusedNode && *ownNode == *focusedNode) {
        return true;
    }
    if (stringAttribute(element, kRole) != stringAttribute(focused, kRole)) {
        return false;
    }
    const auto ownFrame = frame(element);
    const auto focusedFrame = frame(focused);
    return ownFrame && focusedFrame && *ownFrame == *focusedFrame;
}

bool ReplyEditorSearch::focus(const AXElementPtr& element, const AXElementPtr& application) {
    if (!accessibility_.setAttribute(element, kFocused, AXValue(true))) {
        return false;
    }
    if (isActuallyFocused(element, application)) {
        return true;
    }
    if (accessibility_.actionNames(element).contains(kPress)) {
        accessibility_.performAction(element, kPress);
    }
    return isActuallyFocused(element, application);
}

double ReplyEditorSearch::candidateScore(const AXElementPtr& element) {
    const auto rect = frame(element);
    if (!rect) {
        return std::numeric_limits<double>::lowest();
    }
    double score = 0;
    const auto value = stringAttribute(element, kValue);
    if (!value || value->isEmpty()) {
        score += 1000;
    }
    if (stringAttribute(element, kRole) == kTextArea) {
        score += 500;
    }
    // Screen coordinates grow downward: the field at the bottom (a chat's input) wins.
    score += 10 * rect->bottom();
    score += qMin(rect->width(), 1000.0);
    return score;
}

AXElementPtr ReplyEditorSearch::choose(const QList<AXElementPtr>& candidates) {
    for (const auto& candidate : candidates) {
        if (boolAttribute(candidate, kFocused) == true) {
            return candidate;
        }
    }
    AXElementPtr best;
    double bestScore = 0;
    for (const auto& candidate : candidates) {
        const double score = candidateScore(candidate);
        if (!best || score > bestScore) {
            best = candidate;
            bestScore = score;
        }
    }
    return best;
}
