#pragma once

#include <QElapsedTimer>
#include <QList>
#include <QRect>
#include <functional>
#include <optional>

#include <atspi/atspi.h>

#include "platform/Accessibility.h"
#include "platform/x11/AtspiAccessibility.h"
#include "platform/x11/GObjectRef.h"

// Walking another application's AT-SPI tree: handles, states, roles, and the searches for
// its focused element and its editors, each within one call budget.
namespace atspiTree {
using AccessibleRef = GObjectRef<AtspiAccessible>;

// One AT-SPI object, referenced for as long as a handle to it lives.
class Element : public AXElement {
public:
    explicit Element(AccessibleRef object) : object_(std::move(object)) {}

    AtspiAccessible* object() const { return object_.get(); }

private:
    AccessibleRef object_;
};

AXElementPtr wrap(AccessibleRef object);
// The object behind a handle; null for a null handle or one made elsewhere.
AtspiAccessible* objectOf(const AXElementPtr& element);

// Runs out after the call budget: walks stop there.
class Deadline {
public:
    Deadline() { timer_.start(); }
    bool passed() const { return timer_.elapsed() > AtspiAccessibility::kCallBudgetMs; }

private:
    QElapsedTimer timer_;
};

// One interface asked for alone: listing them all costs a call for each interface there is.
template <typename Interface>
bool offers(AtspiAccessible* object, Interface* (*get)(AtspiAccessible*)) {
    return bool(GObjectRef<Interface>(get(object)));
}

bool hasState(AtspiAccessible* object, AtspiStateType state);
AtspiRole roleOf(AtspiAccessible* object);
AccessibleRef parentOf(AtspiAccessible* object);
QList<AccessibleRef> childrenOf(AtspiAccessible* object, const Deadline& deadline);

// Whether an element is on screen, as far as the walks care. GTK 4 marks only its windows
// SHOWING and everything inside them VISIBLE only: in its applications VISIBLE counts.
class Shown {
public:
    explicit Shown(AtspiAccessible* element);

    bool operator()(AtspiAccessible* node) const;
    bool operator()(AtspiStateSet* states) const;

    // Where a walk may go: shown elements, and windows whatever they say.
    bool walksInto(AtspiAccessible* node, AtspiStateSet* states) const;
    bool walksInto(AtspiAccessible* node) const;

private:
    bool visibleCounts_;
};

// What a walk that ran out of its budget had still to visit, for the next ask to go on with: on a
// loaded machine a large tree (GTK 4's, with no Collection) takes longer than one budget. Kept
// for a moment only: the tree changes.
class PendingWalk {
public:
    static constexpr qint64 kKeptMs = 3000;

    // An element to look at (`fromChild` < 0), or whose children from `fromChild` on are to be
    // walked.
    struct Step {
        AccessibleRef node;
        int fromChild = -1;
    };

    // The steps left, last first; none when nothing is pending or it is too old.
    QList<Step> take();
    void keep(QList<Step> stack);
    void drop() { stack_.clear(); }

private:
    QList<Step> stack_;
    QElapsedTimer kept_;
};

// Depth-first through shown elements, in tree order; `visit` (given the element's states, each
// asked for once) returns true to stop at that element, which is returned. With `pending`, a
// walk cut short by the deadline is kept there, and a walk kept there goes on.
AccessibleRef findDescendant(AtspiAccessible* root, const Deadline& deadline,
                             const std::function<bool(AtspiAccessible*, AtspiStateSet*)>& visit,
                             PendingWalk* pending = nullptr);

// Every application's root object has this path.
bool isApplicationRoot(AtspiAccessible* object);
bool sameObject(AtspiAccessible* first, AtspiAccessible* second);

// The element's extents in screen coordinates; none without the Component interface.
std::optional<QRect> extentsOf(AtspiAccessible* object);

// Collection.GetMatches: the elements with any of `roles` (any role when empty) and all of
// `states`, in tree order, at most `limit` (0: all); none when the application offers no
// Collection (Qt) or the call fails.
std::optional<QList<AccessibleRef>> collectionMatches(AtspiAccessible* root,
                                                      const QList<AtspiRole>& roles,
                                                      const QList<AtspiStateType>& states,
                                                      int limit);

// The first focused element in tree order that a walk through shown elements reaches (inside a
// focused frame, the focused element in it); one Collection query and the matches' ancestors
// where the application offers Collection.
// Without Collection, a walk cut short goes on at the next ask with the same `pending`.
AccessibleRef focusedDescendant(AtspiAccessible* root, const Deadline& deadline,
                                PendingWalk* pending = nullptr);

// The shown editable fields and editors under `root` in tree order, at most `limit` (> 0).
QList<AccessibleRef> editorsUnder(AtspiAccessible* root, int limit);
}  // namespace atspiTree
