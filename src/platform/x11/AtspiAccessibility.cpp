#include "platform/x11/AtspiAccessibility.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QElapsedTimer>
#include <QHash>
#include <algorithm>
#include <functional>

#include <atspi/atspi.h>

#include "platform/x11/AtspiTextNode.h"
#include "platform/x11/GObjectRef.h"

namespace {
constexpr int kMaxVisitedNodes = 4000;

using AccessibleRef = GObjectRef<AtspiAccessible>;

// One AT-SPI object, referenced for as long as a handle to it lives.
class AtspiElement : public AXElement {
public:
    explicit AtspiElement(AccessibleRef object) : object_(std::move(object)) {}

    AtspiAccessible* object() const { return object_.get(); }

private:
    AccessibleRef object_;
};

AXElementPtr wrap(AccessibleRef object) {
    if (!object) {
        return {};
    }
    return std::make_shared<const AtspiElement>(std::move(object));
}

AtspiAccessible* objectOf(const AXElementPtr& element) {
    const auto* atspi = dynamic_cast<const AtspiElement*>(element.get());
    return atspi ? atspi->object() : nullptr;
}

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

// Whether an element is on screen, as far as the walks care. GTK 4 marks only its windows
// SHOWING and everything inside them VISIBLE only: in its applications VISIBLE counts.
class Shown {
public:
    explicit Shown(AtspiAccessible* element) : visibleCounts_(marksOnlyWindowsShowing(element)) {}

    bool operator()(AtspiAccessible* node) const {
        const GObjectRef<AtspiStateSet> states(atspi_accessible_get_state_set(node));
        return (*this)(states.get());
    }
    bool operator()(AtspiStateSet* states) const {
        return states &&
               (atspi_state_set_contains(states, ATSPI_STATE_SHOWING) ||
                (visibleCounts_ && atspi_state_set_contains(states, ATSPI_STATE_VISIBLE)));
    }

    // Where a walk may go: shown elements, and windows whatever they say.
    bool walksInto(AtspiAccessible* node, AtspiStateSet* states) const {
        return (*this)(states) || roleOf(node) == ATSPI_ROLE_FRAME;
    }
    bool walksInto(AtspiAccessible* node) const {
        return (*this)(node) || roleOf(node) == ATSPI_ROLE_FRAME;
    }

private:
    static bool marksOnlyWindowsShowing(AtspiAccessible* element) {
        GErrorSlot error;
        const AccessibleRef application(atspi_accessible_get_application(element, error.out()));
        QString toolkit;
        QString version;
        if (application) {
            // libatspi keeps both on the application once asked.
            toolkit = takeString(atspi_accessible_get_toolkit_name(application.get(), error.out()));
            if (!error) {
                version = takeString(
                    atspi_accessible_get_toolkit_version(application.get(), error.out()));
            }
        }
        return toolkit.compare(QLatin1String("GTK"), Qt::CaseInsensitive) == 0 &&
               version.section('.', 0, 0).toInt() >= 4;
    }

    bool visibleCounts_;
};

// Depth-first through shown elements, in tree order; `visit` (given the element's states, each
// asked for once) returns true to stop at that element, which is returned.
AccessibleRef findDescendant(AtspiAccessible* root, const Deadline& deadline,
                             const std::function<bool(AtspiAccessible*, AtspiStateSet*)>& visit) {
    const Shown shown(root);
    QList<AccessibleRef> stack = childrenOf(root, deadline);
    std::reverse(stack.begin(), stack.end());
    int visited = 0;
    while (!stack.isEmpty()) {
        AccessibleRef node = stack.takeLast();
        if (deadline.passed() || ++visited > kMaxVisitedNodes) {
            break;
        }
        const GObjectRef<AtspiStateSet> states(atspi_accessible_get_state_set(node.get()));
        if (visit(node.get(), states.get())) {
            return node;
        }
        if (shown.walksInto(node.get(), states.get())) {
            QList<AccessibleRef> children = childrenOf(node.get(), deadline);
            for (auto it = children.rbegin(); it != children.rend(); ++it) {
                stack.append(std::move(*it));
            }
        }
    }
    return {};
}

// TEXT is a field or an area by its SINGLE_LINE state.
QString roleNameFor(AtspiRole role, bool singleLine) {
    switch (role) {
        case ATSPI_ROLE_DOCUMENT_WEB:
            return QStringLiteral("AXWebArea");
        case ATSPI_ROLE_ENTRY:
        case ATSPI_ROLE_PASSWORD_TEXT:
        case ATSPI_ROLE_SPIN_BUTTON:
            return QStringLiteral("AXTextField");
        case ATSPI_ROLE_TEXT:
            // A single-line text is a field: a chat input, a dialog's entry.
            return singleLine ? QStringLiteral("AXTextField") : QStringLiteral("AXTextArea");
        case ATSPI_ROLE_DOCUMENT_TEXT:
        case ATSPI_ROLE_TERMINAL:
            return QStringLiteral("AXTextArea");
        case ATSPI_ROLE_COMBO_BOX:
            return QStringLiteral("AXComboBox");
        // Browsers expose contenteditable editors as these; the editable test asks more of
        // them than of text fields.
        case ATSPI_ROLE_SECTION:
        case ATSPI_ROLE_PANEL:
        case ATSPI_ROLE_PARAGRAPH:
            return QStringLiteral("AXGroup");
        case ATSPI_ROLE_TOOL_BAR:
            return QStringLiteral("AXToolbar");
        case ATSPI_ROLE_FRAME:
        case ATSPI_ROLE_WINDOW:
        case ATSPI_ROLE_DIALOG:
            return QStringLiteral("AXWindow");
        case ATSPI_ROLE_APPLICATION:
            return QStringLiteral("AXApplication");
        case ATSPI_ROLE_PUSH_BUTTON:
            return QStringLiteral("AXButton");
        default:
            return QStringLiteral("AXUnknown");
    }
}

QString roleName(AtspiAccessible* object) {
    const AtspiRole role = roleOf(object);
    return roleNameFor(role, role == ATSPI_ROLE_TEXT && hasState(object, ATSPI_STATE_SINGLE_LINE));
}

// The AT-SPI roles that read as one of those names.
QList<AtspiRole> rolesNamed(const QStringList& names) {
    QList<AtspiRole> roles;
    for (int value = ATSPI_ROLE_INVALID + 1; value < ATSPI_ROLE_LAST_DEFINED; ++value) {
        const auto role = AtspiRole(value);
        if (names.contains(roleNameFor(role, false)) || names.contains(roleNameFor(role, true))) {
            roles.append(role);
        }
    }
    return roles;
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

std::optional<double> characterCount(AtspiAccessible* object) {
    const GObjectRef<AtspiText> text(atspi_accessible_get_text_iface(object));
    if (!text) {
        return std::nullopt;
    }
    GErrorSlot error;
    const int count = atspi_text_get_character_count(text.get(), error.out());
    if (error) {
        return std::nullopt;
    }
    return double(count);
}

// GTK 4 refuses every request for the focus: there the element that has it already counts.
bool grabFocus(AtspiAccessible* object) {
    bool done = false;
    if (const GObjectRef<AtspiComponent> component(atspi_accessible_get_component_iface(object));
        component) {
        GErrorSlot error;
        done = atspi_component_grab_focus(component.get(), error.out()) && !error;
    }
    return done || hasState(object, ATSPI_STATE_FOCUSED);
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

// The first focused element in tree order that a walk through shown elements reaches; one
// Collection query and the matches' ancestors where the application offers Collection.
AccessibleRef focusedDescendant(AtspiAccessible* root, const Deadline& deadline) {
    constexpr int kFocusedMatchLimit = 32;
    const auto matches = collectionMatches(root, {}, {ATSPI_STATE_FOCUSED}, kFocusedMatchLimit);
    if (!matches) {
        return findDescendant(root, deadline, [](AtspiAccessible*, AtspiStateSet* states) {
            return states && atspi_state_set_contains(states, ATSPI_STATE_FOCUSED);
        });
    }
    const Shown shown(root);
    ParentChains chains(root);
    for (const AccessibleRef& match : *matches) {
        const auto chain = chains.below(match.get(), deadline);
        if (chain && std::all_of(chain->begin(), chain->end(), [&shown](AtspiAccessible* node) {
                return shown.walksInto(node);
            })) {
            return match;
        }
    }
    return {};
}

// The selected range of a text element; none without a selection.
std::optional<std::pair<int, int>> selectionOf(AtspiText* text) {
    GErrorSlot error;
    const int count = atspi_text_get_n_selections(text, error.out());
    if (error || count <= 0) {
        return std::nullopt;
    }
    const GFreed<AtspiRange> range(atspi_text_get_selection(text, 0, error.out()));
    if (error || !range || range->start_offset == range->end_offset) {
        return std::nullopt;
    }
    return std::pair<int, int>{range->start_offset, range->end_offset};
}

// The text as a person sees it: a page's object characters stand for their children's text.
// A page too big to read within the budget gives nothing: the copy road takes over.
std::optional<QString> readableText(AtspiAccessible* object, EmbeddedTextPart part,
                                    const Deadline& deadline) {
    const auto node = AtspiTextNode::of(object);
    if (!node) {
        return std::nullopt;
    }
    return expandedText(*node, part, [&deadline] { return deadline.passed(); }).value_or(QString());
}

bool isEditable(AtspiAccessible* object) {
    return offers(object, atspi_accessible_get_editable_text_iface) &&
           hasState(object, ATSPI_STATE_EDITABLE);
}

// The length InsertText wants: GTK counts the bytes of the UTF-8 text, Qt its UTF-16 units
// (and cuts or pads the text to that many).
int insertLength(AtspiAccessible* object, const QString& text) {
    GErrorSlot error;
    QString toolkit;
    // Only the application object knows its toolkit.
    if (const AccessibleRef application(atspi_accessible_get_application(object, error.out()));
        application) {
        toolkit = takeString(atspi_accessible_get_toolkit_name(application.get(), error.out()));
    }
    return toolkit.compare(QLatin1String("Qt"), Qt::CaseInsensitive) == 0
               ? int(text.size())
               : int(text.toUtf8().size());
}

bool replaceSelection(AtspiAccessible* object, const QString& replacement) {
    const GObjectRef<AtspiText> text(atspi_accessible_get_text_iface(object));
    const GObjectRef<AtspiEditableText> editable(atspi_accessible_get_editable_text_iface(object));
    if (!text || !editable) {
        return false;
    }
    GErrorSlot error;
    int start = 0;
    int end = 0;
    if (const auto range = selectionOf(text.get())) {
        start = range->first;
        end = range->second;
    } else {
        start = end = atspi_text_get_caret_offset(text.get(), error.out());
    }
    if (error || start < 0) {
        return false;
    }
    if (end > start &&
        !(atspi_editable_text_delete_text(editable.get(), start, end, error.out()) && !error)) {
        return false;
    }
    const QByteArray utf8 = replacement.toUtf8();
    if (!(atspi_editable_text_insert_text(editable.get(), start, utf8.constData(),
                                          insertLength(object, replacement), error.out()) &&
          !error)) {
        return false;
    }
    const int length = int(replacement.toUcs4().size());
    atspi_text_set_caret_offset(text.get(), start + length, error.out());
    return true;
}

QString pressActionName(const QString& name) {
    const QString lower = name.toLower();
    if (lower == "click" || lower == "press" || lower == "activate" || lower == "jump") {
        return QStringLiteral("AXPress");
    }
    return name;
}
}  // namespace

AtspiAccessibility::AtspiAccessibility() = default;
AtspiAccessibility::~AtspiAccessibility() = default;

bool AtspiAccessibility::isAvailable() {
    if (availability_ != Availability::Unknown) {
        return availability_ == Availability::Yes;
    }
    availability_ = Availability::No;
    bool busFound = !qEnvironmentVariableIsEmpty("AT_SPI_BUS_ADDRESS");
    if (!busFound) {
        // libatspi gives up the whole process when it finds no bus: ask first, briefly.
        QDBusConnection session = QDBusConnection::sessionBus();
        if (session.isConnected()) {
            const QDBusMessage reply =
                session.call(QDBusMessage::createMethodCall("org.a11y.Bus", "/org/a11y/bus",
                                                            "org.a11y.Bus", "GetAddress"),
                             QDBus::Block, kCallBudgetMs);
            busFound = reply.type() == QDBusMessage::ReplyMessage &&
                       !reply.arguments().value(0).toString().isEmpty();
        }
    }
    if (!busFound) {
        return false;
    }
    if (!atspi_is_initialized() && atspi_init() < 0) {
        return false;
    }
    atspi_set_timeout(kCallBudgetMs, kCallBudgetMs);
    availability_ = Availability::Yes;
    return true;
}

AXElementPtr AtspiAccessibility::applicationElement(qint64 processIdentifier) {
    if (processIdentifier <= 0 || !isAvailable()) {
        return {};
    }
    const AccessibleRef desktop(atspi_get_desktop(0));
    if (!desktop) {
        return {};
    }
    Deadline deadline;
    for (const AccessibleRef& app : childrenOf(desktop.get(), deadline)) {
        GErrorSlot error;
        const guint pid = atspi_accessible_get_process_id(app.get(), error.out());
        if (!error && qint64(pid) == processIdentifier) {
            // States and children are read afresh: a cache fed by events may be behind.
            // (Turning the cache off instead deadlocks libatspi when an event arrives during a
            // call.)
            atspi_accessible_clear_cache(app.get());
            return wrap(app);
        }
    }
    return {};
}

std::optional<AXValue> AtspiAccessibility::attribute(const AXElementPtr& element,
                                                     const QString& name) {
    AtspiAccessible* object = objectOf(element);
    if (!object || !isAvailable()) {
        return std::nullopt;
    }
    Deadline deadline;
    if (name == QLatin1String("AXFocusedUIElement")) {
        if (auto known = stillFocused(element)) {
            return AXValue(known);
        }
        AccessibleRef focused = focusedDescendant(object, deadline);
        if (!focused) {
            return std::nullopt;
        }
        lastFocused_ = wrap(std::move(focused));
        return AXValue(lastFocused_);
    }
    if (name == QLatin1String("AXFocusedWindow")) {
        for (const AccessibleRef& child : childrenOf(object, deadline)) {
            if (hasState(child.get(), ATSPI_STATE_ACTIVE)) {
                return AXValue(wrap(child));
            }
        }
        return std::nullopt;
    }
    if (name == QLatin1String("AXSelectedText")) {
        const auto text = readableText(object, EmbeddedTextPart::Selection, deadline);
        return text ? std::optional<AXValue>(AXValue(*text)) : std::nullopt;
    }
    if (name == QLatin1String("AXValue")) {
        const auto text = readableText(object, EmbeddedTextPart::Whole, deadline);
        return text ? std::optional<AXValue>(AXValue(*text)) : std::nullopt;
    }
    if (name == QLatin1String("AXRole")) {
        return AXValue(roleName(object));
    }
    if (name == QLatin1String("AXEnabled")) {
        return AXValue(hasState(object, ATSPI_STATE_ENABLED) ||
                       hasState(object, ATSPI_STATE_SENSITIVE));
    }
    if (name == QLatin1String("AXFocused")) {
        return AXValue(hasState(object, ATSPI_STATE_FOCUSED));
    }
    if (name == QLatin1String("AXIsEditable")) {
        return AXValue(hasState(object, ATSPI_STATE_EDITABLE));
    }
    if (name == QLatin1String("AXNumberOfCharacters")) {
        const auto count = characterCount(object);
        return count ? std::optional<AXValue>(AXValue(*count)) : std::nullopt;
    }
    if (name == QLatin1String("AXPosition") || name == QLatin1String("AXSize")) {
        const auto extents = extentsOf(object);
        if (!extents) {
            return std::nullopt;
        }
        return name == QLatin1String("AXPosition") ? AXValue(QPointF(extents->topLeft()))
                                                   : AXValue(QSizeF(extents->size()));
    }
    if (name == QLatin1String("AXTitle")) {
        GErrorSlot error;
        QString title = takeString(atspi_accessible_get_name(object, error.out()));
        if (error) {
            return std::nullopt;
        }
        return AXValue(title);
    }
    if (name == QLatin1String("AXParent")) {
        AXElementPtr parent = wrap(parentOf(object));
        if (!parent) {
            return std::nullopt;
        }
        return AXValue(parent);
    }
    if (name == QLatin1String("AXChildren")) {
        QList<AXElementPtr> children;
        for (const AccessibleRef& child : childrenOf(object, deadline)) {
            children.append(wrap(child));
        }
        return AXValue(children);
    }
    return std::nullopt;
}

QStringList AtspiAccessibility::attributeNames(const AXElementPtr& element) {
    QStringList names;
    // One name stands for each group of names that come and go together.
    for (const QStringList& group :
         {QStringList{"AXRole", "AXTitle", "AXParent", "AXChildren"},
          QStringList{"AXFocusedUIElement", "AXFocusedWindow"},
          QStringList{"AXEnabled", "AXFocused", "AXIsEditable"},
          QStringList{"AXValue", "AXSelectedText", "AXNumberOfCharacters"},
          QStringList{"AXPosition", "AXSize"}}) {
        if (hasAttribute(element, group.first())) {
            names.append(group);
        }
    }
    return names;
}

bool AtspiAccessibility::hasAttribute(const AXElementPtr& element, const QString& name) {
    AtspiAccessible* object = objectOf(element);
    if (!object || !isAvailable()) {
        return false;
    }
    static const QStringList everyElement{"AXRole",    "AXTitle",   "AXParent",    "AXChildren",
                                          "AXEnabled", "AXFocused", "AXIsEditable"};
    if (everyElement.contains(name)) {
        return true;
    }
    if (name == QLatin1String("AXFocusedUIElement") || name == QLatin1String("AXFocusedWindow")) {
        return isApplicationRoot(object);
    }
    if (name == QLatin1String("AXValue") || name == QLatin1String("AXSelectedText") ||
        name == QLatin1String("AXNumberOfCharacters")) {
        return offers(object, atspi_accessible_get_text_iface);
    }
    if (name == QLatin1String("AXPosition") || name == QLatin1String("AXSize")) {
        return offers(object, atspi_accessible_get_component_iface);
    }
    return false;
}

QStringList AtspiAccessibility::actionNames(const AXElementPtr& element) {
    AtspiAccessible* object = objectOf(element);
    if (!object || !isAvailable()) {
        return {};
    }
    const GObjectRef<AtspiAction> action(atspi_accessible_get_action_iface(object));
    if (!action) {
        return {};
    }
    QStringList names;
    GErrorSlot error;
    const int count = atspi_action_get_n_actions(action.get(), error.out());
    for (int i = 0; !error && i < count; ++i) {
        const QString name =
            pressActionName(takeString(atspi_action_get_action_name(action.get(), i, error.out())));
        if (!error && !names.contains(name)) {
            names.append(name);
        }
    }
    return names;
}

std::optional<bool> AtspiAccessibility::isAttributeSettable(const AXElementPtr& element,
                                                            const QString& name) {
    AtspiAccessible* object = objectOf(element);
    if (!object || !isAvailable()) {
        return std::nullopt;
    }
    if (name == QLatin1String("AXSelectedText") || name == QLatin1String("AXValue")) {
        return isEditable(object);
    }
    if (name == QLatin1String("AXFocused")) {
        return hasState(object, ATSPI_STATE_FOCUSABLE);
    }
    return false;
}

bool AtspiAccessibility::setAttribute(const AXElementPtr& element, const QString& name,
                                      const AXValue& value) {
    AtspiAccessible* object = objectOf(element);
    if (!object || !isAvailable()) {
        return false;
    }
    if (name == QLatin1String("AXFocused")) {
        return value == AXValue(true) && grabFocus(object);
    }
    if (name == QLatin1String("AXFocusedWindow")) {
        const auto* window = std::get_if<AXElementPtr>(&value);
        return window && raise(*window);
    }
    const auto* text = std::get_if<QString>(&value);
    if (!text || !isEditable(object)) {
        return false;
    }
    if (name == QLatin1String("AXSelectedText")) {
        return replaceSelection(object, *text);
    }
    if (name == QLatin1String("AXValue")) {
        const GObjectRef<AtspiEditableText> editable(
            atspi_accessible_get_editable_text_iface(object));
        if (!editable) {
            return false;
        }
        GErrorSlot error;
        return atspi_editable_text_set_text_contents(editable.get(), text->toUtf8().constData(),
                                                     error.out()) &&
               !error;
    }
    return false;
}

bool AtspiAccessibility::performAction(const AXElementPtr& element, const QString& actionName) {
    AtspiAccessible* object = objectOf(element);
    if (!object || !isAvailable()) {
        return false;
    }
    if (actionName == QLatin1String("AXRaise")) {
        return raise(element);
    }
    const GObjectRef<AtspiAction> action(atspi_accessible_get_action_iface(object));
    if (!action) {
        return false;
    }
    bool done = false;
    GErrorSlot error;
    const int count = atspi_action_get_n_actions(action.get(), error.out());
    for (int i = 0; !error && !done && i < count; ++i) {
        const QString name =
            pressActionName(takeString(atspi_action_get_action_name(action.get(), i, error.out())));
        if (!error && name == actionName) {
            done = atspi_action_do_action(action.get(), i, error.out()) && !error;
        }
    }
    return done;
}

std::optional<QList<AXElementPtr>> AtspiAccessibility::searchTextFields(const AXElementPtr& element,
                                                                        int limit) {
    AtspiAccessible* object = objectOf(element);
    if (!object || !isAvailable()) {
        return std::nullopt;
    }
    QList<AXElementPtr> fields;
    if (limit <= 0) {
        return fields;
    }
    if (auto matches = collectionMatches(object,
                                         {ATSPI_ROLE_ENTRY, ATSPI_ROLE_TEXT, ATSPI_ROLE_SECTION,
                                          ATSPI_ROLE_PANEL, ATSPI_ROLE_PARAGRAPH},
                                         {ATSPI_STATE_EDITABLE, ATSPI_STATE_SHOWING}, limit)) {
        for (const AccessibleRef& match : *matches) {
            fields.append(wrap(match));
        }
        return fields;
    }
    Deadline deadline;
    const Shown shown(object);
    findDescendant(object, deadline, [&](AtspiAccessible* node, AtspiStateSet* states) {
        if (isEditorCandidate(node, states, shown)) {
            fields.append(wrap(AccessibleRef::borrowed(node)));
        }
        return int(fields.size()) >= limit;
    });
    return fields;
}

AXElementPtr AtspiAccessibility::stillFocused(const AXElementPtr& application) {
    AtspiAccessible* root = objectOf(application);
    AtspiAccessible* known = objectOf(lastFocused_);
    if (!root || !known || !isApplicationRoot(root) ||
        offers(root, atspi_accessible_get_collection_iface)) {
        return {};
    }
    const AtspiObject* knownObject = ATSPI_OBJECT(known);
    const AtspiObject* rootObject = ATSPI_OBJECT(root);
    if (!knownObject->app || !rootObject->app ||
        qstrcmp(knownObject->app->bus_name, rootObject->app->bus_name) != 0) {
        return {};
    }
    // Its states as they are now, not as events last left them.
    atspi_accessible_clear_cache(known);
    const GObjectRef<AtspiStateSet> states(atspi_accessible_get_state_set(known));
    const bool focused = states && atspi_state_set_contains(states.get(), ATSPI_STATE_FOCUSED) &&
                         Shown(root)(states.get());
    return focused ? lastFocused_ : AXElementPtr();
}

bool AtspiAccessibility::raise(const AXElementPtr& window) {
    AtspiAccessible* object = objectOf(window);
    if (!object || !raiseWindow) {
        return false;
    }
    GErrorSlot error;
    const guint pid = atspi_accessible_get_process_id(object, error.out());
    if (error) {
        return false;
    }
    // Without extents the process's usual window is as good a guess as any.
    return raiseWindow(qint64(pid), extentsOf(object).value_or(QRect()));
}

std::optional<QList<AXElementPtr>> AtspiAccessibility::elementsWithRoles(
    const AXElementPtr& element, const QStringList& roles) {
    AtspiAccessible* object = objectOf(element);
    if (!object || !isAvailable()) {
        return std::nullopt;
    }
    const QList<AtspiRole> atspiRoles = rolesNamed(roles);
    QList<AXElementPtr> result;
    if (atspiRoles.isEmpty()) {
        return result;
    }
    const auto matches = collectionMatches(object, atspiRoles, {}, 0);
    if (!matches) {
        return std::nullopt;
    }
    // Tree order starts with the element itself.
    if (roles.contains(roleName(object))) {
        result.append(wrap(AccessibleRef::borrowed(object)));
    }
    // A text reads as a field or an area by its state: ask only when one of them is wanted.
    const bool textSplit = roles.contains(QStringLiteral("AXTextField")) !=
                           roles.contains(QStringLiteral("AXTextArea"));
    for (const AccessibleRef& match : *matches) {
        if (!textSplit || roleOf(match.get()) != ATSPI_ROLE_TEXT ||
            roles.contains(roleName(match.get()))) {
            result.append(wrap(match));
        }
    }
    return result;
}

bool AtspiAccessibility::isSameElement(const AXElementPtr& a, const AXElementPtr& b) {
    return sameObject(objectOf(a), objectOf(b));
}
