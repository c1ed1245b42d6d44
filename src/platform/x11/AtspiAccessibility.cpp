#include "platform/x11/AtspiAccessibility.h"

#include <QDBusConnection>
#include <QDBusMessage>

#include "platform/x11/AtspiText.h"
#include "platform/x11/AtspiTree.h"

// The accessibility queries over AT-SPI: the walks are in AtspiTree, the text in AtspiText.
using namespace atspiTree;
using namespace atspiText;

namespace {
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
        return setContents(object, *text);
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
    for (const AccessibleRef& field : editorsUnder(object, limit)) {
        fields.append(wrap(field));
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
