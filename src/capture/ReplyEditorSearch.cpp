#include "capture/ReplyEditorSearch.h"

#include <QQueue>
#include <algorithm>
#include <limits>

namespace {
const QList<AXRole> kFieldRoles{AXRole::TextField, AXRole::TextArea, AXRole::ComboBox};
const QList<AXRole> kGroupRoles{AXRole::Group, AXRole::GenericElement};
}  // namespace

ReplyEditorSearch::ReplyEditorSearch(Accessibility& accessibility) : accessibility_(accessibility) {
    timer_.start();
}

QList<AXElementPtr> ReplyEditorSearch::children(const AXElementPtr& element) {
    QList<AXElementPtr> result;
    for (const auto& child : accessibility_.children(element)) {
        if (child) {
            result.append(child);
        }
    }
    return result;
}

bool ReplyEditorSearch::isEditableElement(const AXElementPtr& element,
                                          const std::optional<AXRole>& role) {
    if (!element || !role) {
        return false;
    }
    if (kGroupRoles.contains(*role)) {
        if (accessibility_.isEditable(element) != true || !accessibility_.hasText(element)) {
            return false;
        }
    } else if (!kFieldRoles.contains(*role)) {
        return false;
    }
    return accessibility_.isEnabled(element) != false && accessibility_.canFocus(element) == true;
}

AXElementPtr ReplyEditorSearch::editableAncestor(const AXElementPtr& start) {
    AXElementPtr element = start;
    for (int visited = 0; element && visited < kAncestorLimit; ++visited) {
        if (isEditableElement(element, accessibility_.role(element))) {
            return element;
        }
        element = accessibility_.parent(element);
    }
    return {};
}

bool ReplyEditorSearch::isInsideWebContent(const AXElementPtr& start) {
    bool chromeNodeSeen = false;
    AXElementPtr element = start;
    for (int visited = 0; element && visited < kWebContentLimit; ++visited) {
        const auto role = accessibility_.role(element);
        if (role == AXRole::Toolbar) {
            return false;
        }
        if (role == AXRole::WebArea) {
            return true;
        }
        if (!chromeNodeSeen) {
            chromeNodeSeen = accessibility_.browserNodeId(element).has_value();
        }
        element = accessibility_.parent(element);
    }
    return chromeNodeSeen;
}

QList<AXElementPtr> ReplyEditorSearch::webAreas(const AXElementPtr& root) {
    if (const auto found = accessibility_.elementsWithRoles(root, {AXRole::WebArea})) {
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
        if (accessibility_.role(element) == AXRole::WebArea) {
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
                                  : accessibility_.parent(element);
        for (int depth = 0; parent && depth < kDepthLimit; ++depth) {
            if (accessibility_.isSameElement(parent, root)) {
                break;
            }
            chain.append(parent);
            parent = accessibility_.parent(parent);
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
    const auto rect = accessibility_.frame(element);
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
                if (isEditableElement(element, accessibility_.role(element)) &&
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
            if (isEditableElement(element, accessibility_.role(element)) &&
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
        if (isEditableElement(candidate, accessibility_.role(candidate)) &&
            hasUsableSize(candidate)) {
            result.append(candidate);
        }
    }
    return result;
}

bool ReplyEditorSearch::isActuallyFocused(const AXElementPtr& element,
                                          const AXElementPtr& application) {
    const AXElementPtr focused = accessibility_.focusedElement(application);
    if (!focused || !element) {
        return false;
    }
    if (accessibility_.isSameElement(focused, element)) {
        return true;
    }
    const auto ownNode = accessibility_.browserNodeId(element);
    const auto focusedNode = accessibility_.browserNodeId(focused);
    if (ownNode && focusedNode && *ownNode == *focusedNode) {
        return true;
    }
    if (accessibility_.role(element) != accessibility_.role(focused)) {
        return false;
    }
    const auto ownFrame = accessibility_.frame(element);
    const auto focusedFrame = accessibility_.frame(focused);
    return ownFrame && focusedFrame && *ownFrame == *focusedFrame;
}

bool ReplyEditorSearch::focus(const AXElementPtr& element, const AXElementPtr& application) {
    if (!accessibility_.focus(element)) {
        return false;
    }
    if (isActuallyFocused(element, application)) {
        return true;
    }
    if (accessibility_.canPress(element)) {
        accessibility_.press(element);
    }
    return isActuallyFocused(element, application);
}

double ReplyEditorSearch::candidateScore(const AXElementPtr& element) {
    const auto rect = accessibility_.frame(element);
    if (!rect) {
        return std::numeric_limits<double>::lowest();
    }
    double score = 0;
    const auto value = accessibility_.value(element);
    if (!value || value->isEmpty()) {
        score += 1000;
    }
    if (accessibility_.role(element) == AXRole::TextArea) {
        score += 500;
    }
    // Screen coordinates grow downward: the field at the bottom (a chat's input) wins.
    score += 10 * rect->bottom();
    score += qMin(rect->width(), 1000.0);
    return score;
}

AXElementPtr ReplyEditorSearch::choose(const QList<AXElementPtr>& candidates) {
    for (const auto& candidate : candidates) {
        if (accessibility_.isFocused(candidate) == true) {
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
