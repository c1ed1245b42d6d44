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
AXRole roleFor(AtspiRole role, bool singleLine) {
    switch (role) {
        case ATSPI_ROLE_DOCUMENT_WEB:
            return AXRole::WebArea;
        case ATSPI_ROLE_ENTRY:
        case ATSPI_ROLE_PASSWORD_TEXT:
        case ATSPI_ROLE_SPIN_BUTTON:
            return AXRole::TextField;
        case ATSPI_ROLE_TEXT:
            // A single-line text is a field: a chat input, a dialog's entry.
            return singleLine ? AXRole::TextField : AXRole::TextArea;
        case ATSPI_ROLE_DOCUMENT_TEXT:
        case ATSPI_ROLE_TERMINAL:
            return AXRole::TextArea;
        case ATSPI_ROLE_COMBO_BOX:
            return AXRole::ComboBox;
        // Browsers expose contenteditable editors as these; the editable test asks more of
        // them than of text fields.
        case ATSPI_ROLE_SECTION:
        case ATSPI_ROLE_PANEL:
        case ATSPI_ROLE_PARAGRAPH:
            return AXRole::Group;
        case ATSPI_ROLE_TOOL_BAR:
            return AXRole::Toolbar;
        case ATSPI_ROLE_FRAME:
        case ATSPI_ROLE_WINDOW:
        case ATSPI_ROLE_DIALOG:
            return AXRole::Window;
        case ATSPI_ROLE_APPLICATION:
            return AXRole::Application;
        case ATSPI_ROLE_PUSH_BUTTON:
            return AXRole::Button;
        default:
            return AXRole::Unknown;
    }
}

AXRole roleOfObject(AtspiAccessible* object) {
    const AtspiRole role = roleOf(object);
    return roleFor(role, role == ATSPI_ROLE_TEXT && hasState(object, ATSPI_STATE_SINGLE_LINE));
}

// The AT-SPI roles that read as one of those.
QList<AtspiRole> atspiRolesFor(const QList<AXRole>& wanted) {
    QList<AtspiRole> roles;
    for (int value = ATSPI_ROLE_INVALID + 1; value < ATSPI_ROLE_LAST_DEFINED; ++value) {
        const auto role = AtspiRole(value);
        if (wanted.contains(roleFor(role, false)) || wanted.contains(roleFor(role, true))) {
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
        return QString::fromLatin1(AtspiAccessibility::kPressAction);
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

AXElementPtr AtspiAccessibility::focusedElement(const AXElementPtr& application) {
    AtspiAccessible* object = objectOf(application);
    if (!object || !isAvailable()) {
        return {};
    }
    if (auto known = stillFocused(application)) {
        return known;
    }
    // A walk that ran out of time goes on at the next ask of the same application: on a loaded
    // machine one budget may never be enough for a whole GTK 4 tree.
    const AtspiApplication* app = ATSPI_OBJECT(object)->app;
    const QByteArray bus = app && app->bus_name ? QByteArray(app->bus_name) : QByteArray();
    if (!focusWalk_) {
        focusWalk_ = std::make_unique<PendingWalk>();
    }
    if (bus != focusWalkBus_) {
        focusWalk_->drop();
        focusWalkBus_ = bus;
    }
    Deadline deadline;
    AccessibleRef focused = focusedDescendant(object, deadline, focusWalk_.get());
    if (!focused) {
        return {};
    }
    focusWalk_->drop();
    lastFocused_ = wrap(std::move(focused));
    return lastFocused_;
}

AXElementPtr AtspiAccessibility::focusedWindow(const AXElementPtr& application) {
    AtspiAccessible* object = objectOf(application);
    if (!object || !isAvailable()) {
        return {};
    }
    Deadline deadline;
    for (const AccessibleRef& child : childrenOf(object, deadline)) {
        if (hasState(child.get(), ATSPI_STATE_ACTIVE)) {
            return wrap(child);
        }
    }
    return {};
}

bool AtspiAccessibility::setFocusedWindow(const AXElementPtr& application,
                                          const AXElementPtr& window) {
    return objectOf(application) && isAvailable() && raise(window);
}

bool AtspiAccessibility::raise(const AXElementPtr& window) {
    AtspiAccessible* object = objectOf(window);
    if (!object || !raiseWindow || !isAvailable()) {
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

std::optional<AXRole> AtspiAccessibility::role(const AXElementPtr& element) {
    AtspiAccessible* object = objectOf(element);
    if (!object || !isAvailable()) {
        return std::nullopt;
    }
    return roleOfObject(object);
}

AXElementPtr AtspiAccessibility::parent(const AXElementPtr& element) {
    AtspiAccessible* object = objectOf(element);
    if (!object || !isAvailable()) {
        return {};
    }
    return wrap(parentOf(object));
}

QList<AXElementPtr> AtspiAccessibility::children(const AXElementPtr& element) {
    AtspiAccessible* object = objectOf(element);
    QList<AXElementPtr> children;
    if (!object || !isAvailable()) {
        return children;
    }
    Deadline deadline;
    for (const AccessibleRef& child : childrenOf(object, deadline)) {
        children.append(wrap(child));
    }
    return children;
}

std::optional<QRectF> AtspiAccessibility::frame(const AXElementPtr& element) {
    AtspiAccessible* object = objectOf(element);
    if (!object || !isAvailable()) {
        return std::nullopt;
    }
    const auto extents = extentsOf(object);
    return extents ? std::optional<QRectF>(QRectF(*extents)) : std::nullopt;
}

std::optional<bool> AtspiAccessibility::isEnabled(const AXElementPtr& element) {
    AtspiAccessible* object = objectOf(element);
    if (!object || !isAvailable()) {
        return std::nullopt;
    }
    return hasState(object, ATSPI_STATE_ENABLED) || hasState(object, ATSPI_STATE_SENSITIVE);
}

std::optional<bool> AtspiAccessibility::isFocused(const AXElementPtr& element) {
    AtspiAccessible* object = objectOf(element);
    if (!object || !isAvailable()) {
        return std::nullopt;
    }
    return hasState(object, ATSPI_STATE_FOCUSED);
}

std::optional<bool> AtspiAccessibility::isEditable(const AXElementPtr& element) {
    AtspiAccessible* object = objectOf(element);
    if (!object || !isAvailable()) {
        return std::nullopt;
    }
    return hasState(object, ATSPI_STATE_EDITABLE);
}

bool AtspiAccessibility::hasText(const AXElementPtr& element) {
    AtspiAccessible* object = objectOf(element);
    return object && isAvailable() && offers(object, atspi_accessible_get_text_iface);
}

std::optional<QString> AtspiAccessibility::selectedText(const AXElementPtr& element) {
    AtspiAccessible* object = objectOf(element);
    if (!object || !isAvailable()) {
        return std::nullopt;
    }
    return readableText(object, EmbeddedTextPart::Selection, Deadline());
}

std::optional<QString> AtspiAccessibility::value(const AXElementPtr& element) {
    AtspiAccessible* object = objectOf(element);
    if (!object || !isAvailable()) {
        return std::nullopt;
    }
    return readableText(object, EmbeddedTextPart::Whole, Deadline());
}

std::optional<int> AtspiAccessibility::characterCount(const AXElementPtr& element) {
    AtspiAccessible* object = objectOf(element);
    if (!object || !isAvailable()) {
        return std::nullopt;
    }
    return atspiText::characterCount(object);
}

std::optional<bool> AtspiAccessibility::canReplaceSelection(const AXElementPtr& element) {
    AtspiAccessible* object = objectOf(element);
    if (!object || !isAvailable()) {
        return std::nullopt;
    }
    return atspiText::isEditable(object);
}

bool AtspiAccessibility::replaceSelection(const AXElementPtr& element, const QString& text) {
    AtspiAccessible* object = objectOf(element);
    return object && isAvailable() && atspiText::isEditable(object) &&
           atspiText::replaceSelection(object, text);
}

std::optional<int> AtspiAccessibility::caretWithoutSelection(const AXElementPtr& element) {
    AtspiAccessible* object = objectOf(element);
    if (!object || !isAvailable()) {
        return std::nullopt;
    }
    return atspiText::caretWithoutSelection(object);
}

bool AtspiAccessibility::setCaretOffset(const AXElementPtr& element, int offset) {
    AtspiAccessible* object = objectOf(element);
    return object && isAvailable() && atspiText::setCaretOffset(object, offset);
}

std::optional<bool> AtspiAccessibility::canFocus(const AXElementPtr& element) {
    AtspiAccessible* object = objectOf(element);
    if (!object || !isAvailable()) {
        return std::nullopt;
    }
    return hasState(object, ATSPI_STATE_FOCUSABLE);
}

bool AtspiAccessibility::focus(const AXElementPtr& element) {
    AtspiAccessible* object = objectOf(element);
    return object && isAvailable() && grabFocus(object);
}

bool AtspiAccessibility::canPress(const AXElementPtr& element) {
    return actionNames(element).contains(QString::fromLatin1(kPressAction));
}

bool AtspiAccessibility::press(const AXElementPtr& element) {
    return performAction(element, QString::fromLatin1(kPressAction));
}

std::optional<QString> AtspiAccessibility::title(const AXElementPtr& element) {
    AtspiAccessible* object = objectOf(element);
    if (!object || !isAvailable()) {
        return std::nullopt;
    }
    GErrorSlot error;
    QString title = takeString(atspi_accessible_get_name(object, error.out()));
    if (error) {
        return std::nullopt;
    }
    return title;
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

bool AtspiAccessibility::performAction(const AXElementPtr& element, const QString& actionName) {
    AtspiAccessible* object = objectOf(element);
    if (!object || !isAvailable()) {
        return false;
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

std::optional<QList<AXElementPtr>> AtspiAccessibility::elementsWithRoles(
    const AXElementPtr& element, const QList<AXRole>& roles) {
    AtspiAccessible* object = objectOf(element);
    if (!object || !isAvailable()) {
        return std::nullopt;
    }
    const QList<AtspiRole> atspiRoles = atspiRolesFor(roles);
    QList<AXElementPtr> result;
    if (atspiRoles.isEmpty()) {
        return result;
    }
    const auto matches = collectionMatches(object, atspiRoles, {}, 0);
    if (!matches) {
        return std::nullopt;
    }
    // Tree order starts with the element itself.
    if (roles.contains(roleOfObject(object))) {
        result.append(wrap(AccessibleRef::borrowed(object)));
    }
    // A text reads as a field or an area by its state: ask only when one of them is wanted.
    const bool textSplit = roles.contains(AXRole::TextField) != roles.contains(AXRole::TextArea);
    for (const AccessibleRef& match : *matches) {
        if (!textSplit || roleOf(match.get()) != ATSPI_ROLE_TEXT ||
            roles.contains(roleOfObject(match.get()))) {
            result.append(wrap(match));
        }
    }
    return result;
}

bool AtspiAccessibility::isSameElement(const AXElementPtr& a, const AXElementPtr& b) {
    return sameObject(objectOf(a), objectOf(b));
}
