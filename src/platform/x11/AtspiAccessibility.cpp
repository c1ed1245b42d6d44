#include "platform/x11/AtspiAccessibility.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QElapsedTimer>
#include <QHash>
#include <algorithm>
#include <functional>

#include <atspi/atspi.h>

#include "platform/x11/AtspiTextNode.h"

namespace {
constexpr int kMaxVisitedNodes = 4000;

// One AT-SPI object, referenced for as long as a handle to it lives.
class AtspiElement : public AXElement {
public:
    explicit AtspiElement(AtspiAccessible* object) : object_(object) {}
    ~AtspiElement() override { g_object_unref(object_); }
    AtspiElement(const AtspiElement&) = delete;
    AtspiElement& operator=(const AtspiElement&) = delete;

    AtspiAccessible* object() const { return object_; }

private:
    AtspiAccessible* object_;
};

// Takes ownership of a reference.
AXElementPtr wrap(AtspiAccessible* object) {
    if (!object) {
        return {};
    }
    return std::make_shared<const AtspiElement>(object);
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

QString takeString(gchar* text) {
    if (!text) {
        return {};
    }
    QString result = QString::fromUtf8(text);
    g_free(text);
    return result;
}

// One interface asked for alone: listing them all costs a call for each interface there is.
template <typename Interface>
bool offers(AtspiAccessible* object, Interface* (*get)(AtspiAccessible*)) {
    Interface* implementation = get(object);
    if (!implementation) {
        return false;
    }
    g_object_unref(implementation);
    return true;
}

bool hasState(AtspiAccessible* object, AtspiStateType state) {
    AtspiStateSet* states = atspi_accessible_get_state_set(object);
    if (!states) {
        return false;
    }
    const bool contains = atspi_state_set_contains(states, state);
    g_object_unref(states);
    return contains;
}

AtspiRole roleOf(AtspiAccessible* object) {
    GError* error = nullptr;
    const AtspiRole role = atspi_accessible_get_role(object, &error);
    if (error) {
        g_error_free(error);
        return ATSPI_ROLE_INVALID;
    }
    return role;
}

QList<AtspiAccessible*> childrenOf(AtspiAccessible* object, const Deadline& deadline) {
    QList<AtspiAccessible*> children;
    GError* error = nullptr;
    const int count = atspi_accessible_get_child_count(object, &error);
    if (error) {
        g_error_free(error);
        return children;
    }
    for (int i = 0; i < count && !deadline.passed(); ++i) {
        AtspiAccessible* child = atspi_accessible_get_child_at_index(object, i, &error);
        if (error) {
            g_error_free(error);
            error = nullptr;
            continue;
        }
        if (child) {
            children.append(child);
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
        AtspiStateSet* states = atspi_accessible_get_state_set(node);
        const bool shown = (*this)(states);
        if (states) {
            g_object_unref(states);
        }
        return shown;
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
        GError* error = nullptr;
        AtspiAccessible* application = atspi_accessible_get_application(element, &error);
        QString toolkit;
        QString version;
        if (application) {
            // libatspi keeps both on the application once asked.
            toolkit = takeString(atspi_accessible_get_toolkit_name(application, &error));
            if (!error) {
                version = takeString(atspi_accessible_get_toolkit_version(application, &error));
            }
            g_object_unref(application);
        }
        if (error) {
            g_error_free(error);
        }
        return toolkit.compare(QLatin1String("GTK"), Qt::CaseInsensitive) == 0 &&
               version.section('.', 0, 0).toInt() >= 4;
    }

    bool visibleCounts_;
};

// Depth-first through shown elements, in tree order; `visit` (given the element's states, each
// asked for once) returns true to stop. The returned object (when `visit` stopped) carries a
// reference for the caller.
AtspiAccessible* findDescendant(
    AtspiAccessible* root, const Deadline& deadline,
    const std::function<bool(AtspiAccessible*, AtspiStateSet*)>& visit) {
    const Shown shown(root);
    QList<AtspiAccessible*> stack = childrenOf(root, deadline);
    std::reverse(stack.begin(), stack.end());
    AtspiAccessible* found = nullptr;
    int visited = 0;
    while (!stack.isEmpty() && !found) {
        AtspiAccessible* node = stack.takeLast();
        if (deadline.passed() || ++visited > kMaxVisitedNodes) {
            g_object_unref(node);
            break;
        }
        AtspiStateSet* states = atspi_accessible_get_state_set(node);
        const bool stop = visit(node, states);
        if (!stop && shown.walksInto(node, states)) {
            QList<AtspiAccessible*> children = childrenOf(node, deadline);
            for (auto it = children.rbegin(); it != children.rend(); ++it) {
                stack.append(*it);
            }
        }
        if (states) {
            g_object_unref(states);
        }
        if (stop) {
            found = node;
            break;
        }
        g_object_unref(node);
    }
    for (AtspiAccessible* rest : stack) {
        g_object_unref(rest);
    }
    return found;
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

// The parents of the elements one query looks at, each asked for once; it holds a reference to
// each for as long as it lives.
class ParentChains {
public:
    explicit ParentChains(AtspiAccessible* root) : root_(root) {}
    ~ParentChains() {
        for (AtspiAccessible* parent : std::as_const(parents_)) {
            if (parent) {
                g_object_unref(parent);
            }
        }
    }
    ParentChains(const ParentChains&) = delete;
    ParentChains& operator=(const ParentChains&) = delete;

    // The element's ancestors below the root, nearest first; none when they do not lead there.
    std::optional<QList<AtspiAccessible*>> below(AtspiAccessible* node, const Deadline& deadline) {
        QList<AtspiAccessible*> chain;
        AtspiAccessible* current = node;
        for (int depth = 0; depth < kMaxDepth && !deadline.passed(); ++depth) {
            AtspiAccessible* parent = parentOf(current);
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

    AtspiAccessible* parentOf(AtspiAccessible* node) {
        const auto known = parents_.constFind(node);
        if (known != parents_.constEnd()) {
            return *known;
        }
        GError* error = nullptr;
        AtspiAccessible* parent = atspi_accessible_get_parent(node, &error);
        if (error) {
            g_error_free(error);
        }
        parents_.insert(node, parent);
        return parent;
    }

    AtspiAccessible* root_;
    QHash<AtspiAccessible*, AtspiAccessible*> parents_;
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
    AtspiComponent* component = atspi_accessible_get_component_iface(object);
    if (!component) {
        return std::nullopt;
    }
    GError* error = nullptr;
    AtspiRect* rect = atspi_component_get_extents(component, ATSPI_COORD_TYPE_SCREEN, &error);
    g_object_unref(component);
    std::optional<QRect> result;
    if (!error && rect) {
        result = QRect(rect->x, rect->y, rect->width, rect->height);
    }
    if (error) {
        g_error_free(error);
    }
    g_free(rect);
    return result;
}

std::optional<double> characterCount(AtspiAccessible* object) {
    AtspiText* text = atspi_accessible_get_text_iface(object);
    if (!text) {
        return std::nullopt;
    }
    GError* error = nullptr;
    const int count = atspi_text_get_character_count(text, &error);
    g_object_unref(text);
    if (error) {
        g_error_free(error);
        return std::nullopt;
    }
    return double(count);
}

// GTK 4 refuses every request for the focus: there the element that has it already counts.
bool grabFocus(AtspiAccessible* object) {
    AtspiComponent* component = atspi_accessible_get_component_iface(object);
    bool done = false;
    if (component) {
        GError* error = nullptr;
        done = atspi_component_grab_focus(component, &error) && !error;
        if (error) {
            g_error_free(error);
        }
        g_object_unref(component);
    }
    return done || hasState(object, ATSPI_STATE_FOCUSED);
}

// Collection.GetMatches: the elements with any of `roles` (any role when empty) and all of
// `states`, in tree order, at most `limit` (0: all); none when the application offers no
// Collection (Qt) or the call fails. Each match carries a reference for the caller.
std::optional<QList<AtspiAccessible*>> collectionMatches(AtspiAccessible* root,
                                                         const QList<AtspiRole>& roles,
                                                         const QList<AtspiStateType>& states,
                                                         int limit) {
    if (!offers(root, atspi_accessible_get_collection_iface)) {
        return std::nullopt;
    }
    AtspiCollection* collection = atspi_accessible_get_collection_iface(root);
    if (!collection) {
        return std::nullopt;
    }
    AtspiStateSet* stateSet = atspi_state_set_new(nullptr);
    for (AtspiStateType state : states) {
        atspi_state_set_add(stateSet, state);
    }
    GArray* roleArray = g_array_new(FALSE, FALSE, sizeof(AtspiRole));
    for (AtspiRole role : roles) {
        g_array_append_val(roleArray, role);
    }
    AtspiMatchRule* rule = atspi_match_rule_new(
        stateSet, ATSPI_Collection_MATCH_ALL, nullptr, ATSPI_Collection_MATCH_NONE, roleArray,
        roles.isEmpty() ? ATSPI_Collection_MATCH_NONE : ATSPI_Collection_MATCH_ANY, nullptr,
        ATSPI_Collection_MATCH_NONE, FALSE);
    GError* error = nullptr;
    GArray* found = atspi_collection_get_matches(
        collection, rule, ATSPI_Collection_SORT_ORDER_CANONICAL, limit, TRUE, &error);
    g_object_unref(rule);
    g_array_free(roleArray, TRUE);
    g_object_unref(stateSet);
    g_object_unref(collection);
    QList<AtspiAccessible*> matches;
    for (guint i = 0; found && i < found->len; ++i) {
        AtspiAccessible* match = g_array_index(found, AtspiAccessible*, i);
        if (match && !error && (limit <= 0 || int(matches.size()) < limit)) {
            matches.append(match);
        } else if (match) {
            g_object_unref(match);
        }
    }
    if (found) {
        g_array_free(found, TRUE);
    }
    if (error) {
        g_error_free(error);
        return std::nullopt;
    }
    return matches;
}

// The first focused element in tree order that a walk through shown elements reaches; one
// Collection query and the matches' ancestors where the application offers Collection.
AtspiAccessible* focusedDescendant(AtspiAccessible* root, const Deadline& deadline) {
    constexpr int kFocusedMatchLimit = 32;
    auto matches = collectionMatches(root, {}, {ATSPI_STATE_FOCUSED}, kFocusedMatchLimit);
    if (!matches) {
        return findDescendant(root, deadline, [](AtspiAccessible*, AtspiStateSet* states) {
            return states && atspi_state_set_contains(states, ATSPI_STATE_FOCUSED);
        });
    }
    AtspiAccessible* found = nullptr;
    const Shown shown(root);
    ParentChains chains(root);
    for (AtspiAccessible* match : *matches) {
        if (!found) {
            const auto chain = chains.below(match, deadline);
            if (chain && std::all_of(chain->begin(), chain->end(), [&shown](AtspiAccessible* node) {
                    return shown.walksInto(node);
                })) {
                found = match;
                continue;
            }
        }
        g_object_unref(match);
    }
    return found;
}

// The selected range of a text element; none without a selection.
std::optional<std::pair<int, int>> selectionOf(AtspiText* text) {
    GError* error = nullptr;
    const int count = atspi_text_get_n_selections(text, &error);
    if (error) {
        g_error_free(error);
        return std::nullopt;
    }
    if (count <= 0) {
        return std::nullopt;
    }
    AtspiRange* range = atspi_text_get_selection(text, 0, &error);
    if (error || !range) {
        if (error) {
            g_error_free(error);
        }
        return std::nullopt;
    }
    const std::pair<int, int> bounds{range->start_offset, range->end_offset};
    g_free(range);
    if (bounds.first == bounds.second) {
        return std::nullopt;
    }
    return bounds;
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
    GError* error = nullptr;
    QString toolkit;
    // Only the application object knows its toolkit.
    if (AtspiAccessible* application = atspi_accessible_get_application(object, &error)) {
        toolkit = takeString(atspi_accessible_get_toolkit_name(application, &error));
        g_object_unref(application);
    }
    if (error) {
        g_error_free(error);
    }
    return toolkit.compare(QLatin1String("Qt"), Qt::CaseInsensitive) == 0
               ? int(text.size())
               : int(text.toUtf8().size());
}

bool replaceSelection(AtspiAccessible* object, const QString& replacement) {
    AtspiText* text = atspi_accessible_get_text_iface(object);
    AtspiEditableText* editable = atspi_accessible_get_editable_text_iface(object);
    bool done = false;
    if (text && editable) {
        GError* error = nullptr;
        int start = 0;
        int end = 0;
        if (const auto range = selectionOf(text)) {
            start = range->first;
            end = range->second;
        } else {
            start = end = atspi_text_get_caret_offset(text, &error);
        }
        if (!error && start >= 0) {
            bool ok = true;
            if (end > start) {
                ok = atspi_editable_text_delete_text(editable, start, end, &error) && !error;
            }
            const QByteArray utf8 = replacement.toUtf8();
            if (ok) {
                ok = atspi_editable_text_insert_text(editable, start, utf8.constData(),
                                                     insertLength(object, replacement), &error) &&
                     !error;
            }
            if (ok) {
                const int length = int(replacement.toUcs4().size());
                atspi_text_set_caret_offset(text, start + length, &error);
            }
            done = ok;
        }
        if (error) {
            g_error_free(error);
        }
    }
    if (text) {
        g_object_unref(text);
    }
    if (editable) {
        g_object_unref(editable);
    }
    return done;
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
    AtspiAccessible* desktop = atspi_get_desktop(0);
    if (!desktop) {
        return {};
    }
    Deadline deadline;
    AtspiAccessible* found = nullptr;
    for (AtspiAccessible* app : childrenOf(desktop, deadline)) {
        GError* error = nullptr;
        const guint pid = atspi_accessible_get_process_id(app, &error);
        if (error) {
            g_error_free(error);
        } else if (!found && qint64(pid) == processIdentifier) {
            found = app;
            continue;
        }
        g_object_unref(app);
    }
    g_object_unref(desktop);
    if (found) {
        // States and children are read afresh: a cache fed by events may be behind. (Turning
        // the cache off instead deadlocks libatspi when an event arrives during a call.)
        atspi_accessible_clear_cache(found);
    }
    return wrap(found);
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
        AtspiAccessible* focused = focusedDescendant(object, deadline);
        if (!focused) {
            return std::nullopt;
        }
        lastFocused_ = wrap(focused);
        return AXValue(lastFocused_);
    }
    if (name == QLatin1String("AXFocusedWindow")) {
        AtspiAccessible* window = nullptr;
        for (AtspiAccessible* child : childrenOf(object, deadline)) {
            if (!window && hasState(child, ATSPI_STATE_ACTIVE)) {
                window = child;
                continue;
            }
            g_object_unref(child);
        }
        if (!window) {
            return std::nullopt;
        }
        return AXValue(wrap(window));
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
        GError* error = nullptr;
        QString title = takeString(atspi_accessible_get_name(object, &error));
        if (error) {
            g_error_free(error);
            return std::nullopt;
        }
        return AXValue(title);
    }
    if (name == QLatin1String("AXParent")) {
        GError* error = nullptr;
        AtspiAccessible* parent = atspi_accessible_get_parent(object, &error);
        if (error) {
            g_error_free(error);
        }
        if (!parent) {
            return std::nullopt;
        }
        return AXValue(wrap(parent));
    }
    if (name == QLatin1String("AXChildren")) {
        QList<AXElementPtr> children;
        for (AtspiAccessible* child : childrenOf(object, deadline)) {
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
    AtspiAction* action = atspi_accessible_get_action_iface(object);
    if (!action) {
        return {};
    }
    QStringList names;
    GError* error = nullptr;
    const int count = atspi_action_get_n_actions(action, &error);
    for (int i = 0; !error && i < count; ++i) {
        const QString name =
            pressActionName(takeString(atspi_action_get_action_name(action, i, &error)));
        if (!error && !names.contains(name)) {
            names.append(name);
        }
    }
    if (error) {
        g_error_free(error);
    }
    g_object_unref(action);
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
        AtspiEditableText* editable = atspi_accessible_get_editable_text_iface(object);
        if (!editable) {
            return false;
        }
        GError* error = nullptr;
        const bool ok =
            atspi_editable_text_set_text_contents(editable, text->toUtf8().constData(), &error) &&
            !error;
        if (error) {
            g_error_free(error);
        }
        g_object_unref(editable);
        return ok;
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
    AtspiAction* action = atspi_accessible_get_action_iface(object);
    if (!action) {
        return false;
    }
    bool done = false;
    GError* error = nullptr;
    const int count = atspi_action_get_n_actions(action, &error);
    for (int i = 0; !error && !done && i < count; ++i) {
        const QString name =
            pressActionName(takeString(atspi_action_get_action_name(action, i, &error)));
        if (!error && name == actionName) {
            done = atspi_action_do_action(action, i, &error) && !error;
        }
    }
    if (error) {
        g_error_free(error);
    }
    g_object_unref(action);
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
        for (AtspiAccessible* match : *matches) {
            fields.append(wrap(match));
        }
        return fields;
    }
    Deadline deadline;
    const Shown shown(object);
    AtspiAccessible* last =
        findDescendant(object, deadline, [&](AtspiAccessible* node, AtspiStateSet* states) {
            if (isEditorCandidate(node, states, shown)) {
                fields.append(wrap(static_cast<AtspiAccessible*>(g_object_ref(node))));
            }
            return int(fields.size()) >= limit;
        });
    if (last) {
        g_object_unref(last);
    }
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
    AtspiStateSet* states = atspi_accessible_get_state_set(known);
    const bool focused =
        states && atspi_state_set_contains(states, ATSPI_STATE_FOCUSED) && Shown(root)(states);
    if (states) {
        g_object_unref(states);
    }
    return focused ? lastFocused_ : AXElementPtr();
}

bool AtspiAccessibility::raise(const AXElementPtr& window) {
    AtspiAccessible* object = objectOf(window);
    if (!object || !raiseWindow) {
        return false;
    }
    GError* error = nullptr;
    const guint pid = atspi_accessible_get_process_id(object, &error);
    if (error) {
        g_error_free(error);
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
        result.append(wrap(static_cast<AtspiAccessible*>(g_object_ref(object))));
    }
    // A text reads as a field or an area by its state: ask only when one of them is wanted.
    const bool textSplit = roles.contains(QStringLiteral("AXTextField")) !=
                           roles.contains(QStringLiteral("AXTextArea"));
    for (AtspiAccessible* match : *matches) {
        if (textSplit && roleOf(match) == ATSPI_ROLE_TEXT && !roles.contains(roleName(match))) {
            g_object_unref(match);
        } else {
            result.append(wrap(match));
        }
    }
    return result;
}

bool AtspiAccessibility::isSameElement(const AXElementPtr& a, const AXElementPtr& b) {
    return sameObject(objectOf(a), objectOf(b));
}
