#include "platform/x11/AtspiTree.h"

#include <QHash>
#include <algorithm>

namespace atspiTree {
namespace {
constexpr int kMaxVisitedNodes = 4000;

bool marksOnlyWindowsShowing(AtspiAccessible* element) {
    GErrorSlot error;
    const AccessibleRef application(atspi_accessible_get_application(element, error.out()));
    QString toolkit;
    QString version;
    if (application) {
        // libatspi keeps both on the application once asked.
        toolkit = takeString(atspi_accessible_get_toolkit_name(application.get(), error.out()));
        if (!error) {
            version =
                takeString(atspi_accessible_get_toolkit_version(application.get(), error.out()));
        }
    }
    return toolkit.compare(QLatin1String("GTK"), Qt::CaseInsensitive) == 0 &&
           version.section('.', 0, 0).toInt() >= 4;
}
}  // namespace

AXElementPtr wrap(AccessibleRef object) {
    if (!object) {
        return {};
    }
    return std::make_shared<const Element>(std::move(object));
}

AtspiAccessible* objectOf(const AXElementPtr& element) {
    const auto* atspi = dynamic_cast<const Element*>(element.get());
    return atspi ? atspi->object() : nullptr;
}

bool hasState(AtspiAccessible* object, AtspiStateType state) {
    const GObjectRef<AtspiStateSet> states(atspi_accessible_get_state_set(object));
    return states && atspi_state_set_contains(states.get(), state);
}

AtspiRole roleOf(AtspiAccessible* object) {
    GErrorSlot error;
    const AtspiRole role = atspi_accessible_get_role(object, error.out());
    return error ? ATSPI_ROLE_INVALID : role;
}

AccessibleRef parentOf(AtspiAccessible* object) {
    GErrorSlot error;
    return AccessibleRef(atspi_accessible_get_parent(object, error.out()));
}

QList<AccessibleRef> childrenOf(AtspiAccessible* object, const Deadline& deadline) {
    QList<AccessibleRef> children;
    GErrorSlot error;
    const int count = atspi_accessible_get_child_count(object, error.out());
    if (error) {
        return children;
    }
    for (int i = 0; i < count && !deadline.passed(); ++i) {
        GErrorSlot childError;
        AccessibleRef child(atspi_accessible_get_child_at_index(object, i, childError.out()));
        if (child && !childError) {
            children.append(std::move(child));
        }
    }
    return children;
}

Shown::Shown(AtspiAccessible* element) : visibleCounts_(marksOnlyWindowsShowing(element)) {}

bool Shown::operator()(AtspiAccessible* node) const {
    const GObjectRef<AtspiStateSet> states(atspi_accessible_get_state_set(node));
    return (*this)(states.get());
}

bool Shown::operator()(AtspiStateSet* states) const {
    return states && (atspi_state_set_contains(states, ATSPI_STATE_SHOWING) ||
                      (visibleCounts_ && atspi_state_set_contains(states, ATSPI_STATE_VISIBLE)));
}

bool Shown::walksInto(AtspiAccessible* node, AtspiStateSet* states) const {
    return (*this)(states) || roleOf(node) == ATSPI_ROLE_FRAME;
}

bool Shown::walksInto(AtspiAccessible* node) const {
    return (*this)(node) || roleOf(node) == ATSPI_ROLE_FRAME;
}

QList<PendingWalk::Step> PendingWalk::take() {
    const bool fresh = kept_.isValid() && !kept_.hasExpired(kKeptMs);
    QList<Step> stack = std::move(stack_);
    stack_.clear();
    return fresh ? stack : QList<Step>();
}

void PendingWalk::keep(QList<Step> stack) {
    stack_ = std::move(stack);
    kept_.start();
}

AccessibleRef findDescendant(AtspiAccessible* root, const Deadline& deadline,
                             const std::function<bool(AtspiAccessible*, AtspiStateSet*)>& visit,
                             PendingWalk* pending) {
    const Shown shown(root);
    QList<PendingWalk::Step> stack = pending ? pending->take() : QList<PendingWalk::Step>();
    if (stack.isEmpty()) {
        stack.append({AccessibleRef::borrowed(root), 0});
    }
    int visited = 0;
    while (!stack.isEmpty()) {
        if (deadline.passed() || ++visited > kMaxVisitedNodes) {
            if (pending && deadline.passed()) {
                pending->keep(std::move(stack));
            }
            break;
        }
        PendingWalk::Step step = stack.takeLast();
        if (step.fromChild < 0) {
            const GObjectRef<AtspiStateSet> states(atspi_accessible_get_state_set(step.node.get()));
            if (visit(step.node.get(), states.get())) {
                return step.node;
            }
            if (shown.walksInto(step.node.get(), states.get())) {
                stack.append({std::move(step.node), 0});
            }
            continue;
        }
        // The children in tree order; those the deadline left are walked after them.
        GErrorSlot error;
        const int count = atspi_accessible_get_child_count(step.node.get(), error.out());
        QList<PendingWalk::Step> children;
        int next = step.fromChild;
        for (; !error && next < count && !deadline.passed(); ++next) {
            GErrorSlot childError;
            AccessibleRef child(
                atspi_accessible_get_child_at_index(step.node.get(), next, childError.out()));
            if (child && !childError) {
                children.append({std::move(child), -1});
            }
        }
        if (!error && next < count) {
            stack.append({std::move(step.node), next});
        }
        for (auto it = children.rbegin(); it != children.rend(); ++it) {
            stack.append(std::move(*it));
        }
    }
    return {};
}

// Every application's root object has this path.
bool isApplicationRoot(AtspiAccessible* object) {
    return qstrcmp(ATSPI_OBJECT(object)->path, "/org/a11y/atspi/accessible/root") == 0;
}

bool sameObject(AtspiAccessible* first, AtspiAccessible* second) {
    if (!first || !second) {
        return false;
    }
    if (first == second) {
        return true;
    }
    const AtspiObject* x = ATSPI_OBJECT(first);
    const AtspiObject* y = ATSPI_OBJECT(second);
    return x->app && y->app && qstrcmp(x->path, y->path) == 0 &&
           qstrcmp(x->app->bus_name, y->app->bus_name) == 0;
}

namespace {
// The parents of the elements one query looks at, each asked for once and held for as long as
// the query lives.
class ParentChains {
public:
    explicit ParentChains(AtspiAccessible* root) : root_(root) {}

    // The element's ancestors below the root, nearest first; none when they do not lead there.
    std::optional<QList<AtspiAccessible*>> below(AtspiAccessible* node, const Deadline& deadline) {
        QList<AtspiAccessible*> chain;
        AtspiAccessible* current = node;
        for (int depth = 0; depth < kMaxDepth && !deadline.passed(); ++depth) {
            AtspiAccessible* parent = knownParentOf(current);
            if (!parent) {
                break;
            }
            if (sameObject(parent, root_)) {
                return chain;
            }
            chain.append(parent);
            current = parent;
        }
        return std::nullopt;
    }

private:
    static constexpr int kMaxDepth = 512;

    AtspiAccessible* knownParentOf(AtspiAccessible* node) {
        auto known = parents_.constFind(node);
        if (known == parents_.constEnd()) {
            known = parents_.insert(node, parentOf(node));
        }
        return known->get();
    }

    AtspiAccessible* root_;
    QHash<AtspiAccessible*, AccessibleRef> parents_;
};

// Where the search for editors looks: roles and states as a browser's editors have them.
bool isEditorCandidate(AtspiAccessible* node, AtspiStateSet* states, const Shown& shown) {
    switch (roleOf(node)) {
        case ATSPI_ROLE_ENTRY:
        case ATSPI_ROLE_TEXT:
        case ATSPI_ROLE_SECTION:
        case ATSPI_ROLE_PANEL:
        case ATSPI_ROLE_PARAGRAPH:
            return states && atspi_state_set_contains(states, ATSPI_STATE_EDITABLE) &&
                   shown(states);
        default:
            return false;
    }
}

}  // namespace

// The element's extents in screen coordinates; none without the Component interface.
std::optional<QRect> extentsOf(AtspiAccessible* object) {
    const GObjectRef<AtspiComponent> component(atspi_accessible_get_component_iface(object));
    if (!component) {
        return std::nullopt;
    }
    GErrorSlot error;
    const GFreed<AtspiRect> rect(
        atspi_component_get_extents(component.get(), ATSPI_COORD_TYPE_SCREEN, error.out()));
    if (error || !rect) {
        return std::nullopt;
    }
    return QRect(rect->x, rect->y, rect->width, rect->height);
}

// Collection.GetMatches: the elements with any of `roles` (any role when empty) and all of
// `states`, in tree order, at most `limit` (0: all); none when the application offers no
// Collection (Qt) or the call fails.
std::optional<QList<AccessibleRef>> collectionMatches(AtspiAccessible* root,
                                                      const QList<AtspiRole>& roles,
                                                      const QList<AtspiStateType>& states,
                                                      int limit) {
    const GObjectRef<AtspiCollection> collection(atspi_accessible_get_collection_iface(root));
    if (!collection) {
        return std::nullopt;
    }
    const GObjectRef<AtspiStateSet> stateSet(atspi_state_set_new(nullptr));
    for (AtspiStateType state : states) {
        atspi_state_set_add(stateSet.get(), state);
    }
    GArray* roleArray = g_array_new(FALSE, FALSE, sizeof(AtspiRole));
    for (AtspiRole role : roles) {
        g_array_append_val(roleArray, role);
    }
    const GObjectRef<AtspiMatchRule> rule(atspi_match_rule_new(
        stateSet.get(), ATSPI_Collection_MATCH_ALL, nullptr, ATSPI_Collection_MATCH_NONE, roleArray,
        roles.isEmpty() ? ATSPI_Collection_MATCH_NONE : ATSPI_Collection_MATCH_ANY, nullptr,
        ATSPI_Collection_MATCH_NONE, FALSE));
    g_array_free(roleArray, TRUE);
    GErrorSlot error;
    GArray* found = atspi_collection_get_matches(collection.get(), rule.get(),
                                                 ATSPI_Collection_SORT_ORDER_CANONICAL, limit, TRUE,
                                                 error.out());
    QList<AccessibleRef> matches;
    for (guint i = 0; found && i < found->len; ++i) {
        AccessibleRef match(g_array_index(found, AtspiAccessible*, i));
        if (match && !error && (limit <= 0 || int(matches.size()) < limit)) {
            matches.append(std::move(match));
        }
    }
    if (found) {
        g_array_free(found, TRUE);
    }
    if (error) {
        return std::nullopt;
    }
    return matches;
}

namespace {
bool isFocused(AtspiStateSet* states) {
    return states && atspi_state_set_contains(states, ATSPI_STATE_FOCUSED);
}

// Qt calls a widget focused when the focus is in its focus proxy (KWrite's document sits in
// such frames and tabs): below a focused frame without text, the focused element inside it is
// the one that has the focus.
AccessibleRef innermostFocused(AccessibleRef focused, const Deadline& deadline) {
    constexpr int kMaxFrames = 16;
    for (int depth = 0; depth < kMaxFrames && !deadline.passed(); ++depth) {
        AtspiAccessible* frame = focused.get();
        switch (roleOf(frame)) {
            case ATSPI_ROLE_FILLER:
            case ATSPI_ROLE_PAGE_TAB:
            case ATSPI_ROLE_PANEL:
            case ATSPI_ROLE_SCROLL_PANE:
            case ATSPI_ROLE_VIEWPORT:
            case ATSPI_ROLE_SPLIT_PANE:
                break;
            default:
                return focused;
        }
        if (offers(frame, atspi_accessible_get_text_iface)) {
            return focused;
        }
        AccessibleRef inner = findDescendant(
            frame, deadline,
            [frame](AtspiAccessible* node, AtspiStateSet* states) {
                return !sameObject(node, frame) && isFocused(states);
            },
            nullptr);
        if (!inner) {
            return focused;
        }
        focused = std::move(inner);
    }
    return focused;
}
}  // namespace

// The first focused element in tree order that a walk through shown elements reaches; one
// Collection query and the matches' ancestors where the application offers Collection.
AccessibleRef focusedDescendant(AtspiAccessible* root, const Deadline& deadline,
                                PendingWalk* pending) {
    constexpr int kFocusedMatchLimit = 32;
    const auto matches = collectionMatches(root, {}, {ATSPI_STATE_FOCUSED}, kFocusedMatchLimit);
    if (!matches) {
        AccessibleRef found = findDescendant(
            root, deadline,
            [](AtspiAccessible*, AtspiStateSet* states) { return isFocused(states); }, pending);
        return found ? innermostFocused(std::move(found), deadline) : found;
    }
    const Shown shown(root);
    ParentChains chains(root);
    for (const AccessibleRef& match : *matches) {
        const auto chain = chains.below(match.get(), deadline);
        if (chain && std::all_of(chain->begin(), chain->end(), [&shown](AtspiAccessible* node) {
                return shown.walksInto(node);
            })) {
            return innermostFocused(match, deadline);
        }
    }
    return {};
}

QList<AccessibleRef> editorsUnder(AtspiAccessible* root, int limit) {
    if (auto matches = collectionMatches(root,
                                         {ATSPI_ROLE_ENTRY, ATSPI_ROLE_TEXT, ATSPI_ROLE_SECTION,
                                          ATSPI_ROLE_PANEL, ATSPI_ROLE_PARAGRAPH},
                                         {ATSPI_STATE_EDITABLE, ATSPI_STATE_SHOWING}, limit)) {
        return *matches;
    }
    QList<AccessibleRef> fields;
    Deadline deadline;
    const Shown shown(root);
    findDescendant(root, deadline, [&](AtspiAccessible* node, AtspiStateSet* states) {
        if (isEditorCandidate(node, states, shown)) {
            fields.append(AccessibleRef::borrowed(node));
        }
        return int(fields.size()) >= limit;
    });
    return fields;
}
}  // namespace atspiTree
