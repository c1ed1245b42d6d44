#include "settingswindow/HotkeyRecorderField.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPainter>

#include "capture/HotkeyService.h"
#include "settingswindow/HotkeyCaptureView.h"
#include "settingswindow/HotkeyFormatter.h"
#include "settingswindow/HotkeyHolders.h"
#include "settingswindow/MainSettingsView.h"
#include "state/NiveloAppState.h"
#include "theme/NiveloTheme.h"
#include "theme/RoundedBox.h"

namespace {

constexpr int kPaddingX = 10;
constexpr int kPaddingY = 7;
constexpr int kCornerRadius = 8;
constexpr int kRefusalGap = 4;

const QString& recordingText() {
    static const QString text = QStringLiteral("Press shortcut...");
    return text;
}

// One field records at a time: a second one starting ends the first.
QPointer<HotkeyRecorderField>& activeField() {
    static QPointer<HotkeyRecorderField> field;
    return field;
}

// One refusal shows at a time: a newer one, in any field, replaces it.
QPointer<HotkeyRecorderField>& refusingField() {
    static QPointer<HotkeyRecorderField> field;
    return field;
}

const MainSettingsView::Environment* environmentOf(const QWidget* widget) {
    for (const QWidget* w = widget; w; w = w->parentWidget()) {
        if (const auto* view = qobject_cast<const MainSettingsView*>(w)) {
            return &view->environment();
        }
    }
    return nullptr;
}

}  // namespace

HotkeyRecorderField::HotkeyRecorderField(const QString& hotkey, int width, QWidget* parent)
    : QAbstractButton(parent), hotkey_(hotkey), labelWidth_(width) {
    setToolTip(QStringLiteral("Click, then press a shortcut. Escape cancels. Delete clears."));
    setFocusPolicy(Qt::StrongFocus);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    QFont font = NiveloTheme::font(NiveloTheme::FontRole::body);
    font.setPixelSize(12);
    font.setWeight(QFont::DemiBold);
    setFont(font);
    capture_ = new HotkeyCaptureView(this);
    capture_->setOnKeyDown([this](QKeyEvent& event) { handle(event); });
    connect(this, &QAbstractButton::clicked, this, &HotkeyRecorderField::beginRecording);
    refreshAccessibleText();
}

HotkeyRecorderField::~HotkeyRecorderField() {
    endRecording();
}

void HotkeyRecorderField::setHotkey(const QString& hotkey) {
    if (hotkey == hotkey_) {
        return;
    }
    hotkey_ = hotkey;
    setRefused(QString());
    refreshAccessibleText();
    update();
}

void HotkeyRecorderField::setLabelWidth(int width) {
    labelWidth_ = width;
    updateGeometry();
    update();
}

QString HotkeyRecorderField::labelText() const {
    return recording_ ? recordingText() : HotkeyFormatter::display(hotkey_);
}

QRect HotkeyRecorderField::boxRect() const {
    return {0, 0, labelWidth_ + 2 * kPaddingX, fontMetrics().height() + 2 * kPaddingY};
}

QFont HotkeyRecorderField::refusalFont() const {
    return NiveloTheme::font(NiveloTheme::FontRole::caption);
}

QSize HotkeyRecorderField::sizeHint() const {
    QSize size = boxRect().size();
    if (const QString why = refusal(); !why.isEmpty()) {
        const QRect text = QFontMetrics(refusalFont())
                               .boundingRect(QRect(0, 0, size.width(), 1000),
                                             Qt::TextWordWrap | Qt::AlignHCenter, why);
        size.rheight() += kRefusalGap + text.height();
    }
    return size;
}

QString HotkeyRecorderField::refusal() const {
    const auto* env = environmentOf(this);
    if (refused_.isEmpty() || !env || !command_) {
        return {};
    }
    const std::optional<QString> holder = otherHolder(env->appState, refused_, *command_);
    return holder ? takenText(env->appState.settings().uiLanguage, *holder) : QString();
}

void HotkeyRecorderField::setRefused(const QString& keys) {
    if (keys == refused_) {
        return;
    }
    refused_ = keys;
    if (!keys.isEmpty()) {
        if (HotkeyRecorderField* other = refusingField(); other && other != this) {
            other->setRefused(QString());
        }
        refusingField() = this;
    }
    refreshAccessibleText();
}

void HotkeyRecorderField::setAccessibleTitle(const QString& title) {
    accessibleTitle_ = title;
    refreshAccessibleText();
}

void HotkeyRecorderField::refreshAccessibleText() {
    const QString label = labelText();
    setText(label);
    setAccessibleName((accessibleTitle_.isEmpty() ? QStringLiteral("Shortcut") : accessibleTitle_) +
                      QStringLiteral(": ") + label);
    // The refusal follows the interface language and the holder's keys.
    const QString why = refusal();
    if (why != accessibleDescription()) {
        setAccessibleDescription(why);
        updateGeometry();
        update();
    }
}

void HotkeyRecorderField::beginRecording() {
    if (recording_) {
        return;
    }
    if (HotkeyRecorderField* other = activeField(); other && other != this) {
        other->stopRecording();
    }
    activeField() = this;
    recording_ = true;
    setRefused(QString());
    qApp->installEventFilter(this);
    watchedWindow_ = window();
    // The global grabs would take our own hot keys before the window sees them.
    if (const auto* env = environmentOf(this); env && env->hotkeys) {
        suspended_ = env->hotkeys;
        suspended_->suspend();
    }
    capture_->setRecording(true);
    refreshAccessibleText();
    update();
    Q_EMIT recordingChanged(true);
}

bool HotkeyRecorderField::endRecording() {
    if (!recording_) {
        return false;
    }
    recording_ = false;
    capture_->setRecording(false);
    qApp->removeEventFilter(this);
    if (activeField() == this) {
        activeField() = nullptr;
    }
    if (suspended_) {
        suspended_->resume();
    }
    suspended_ = nullptr;
    watchedWindow_ = nullptr;
    return true;
}

void HotkeyRecorderField::stopRecording() {
    if (!endRecording()) {
        return;
    }
    // The focus comes back to the field, so the keyboard user sees where it is.
    if (window()->focusWidget() == capture_) {
        setFocus(Qt::OtherFocusReason);
    }
    refreshAccessibleText();
    update();
    Q_EMIT recordingChanged(false);
}

void HotkeyRecorderField::handle(QKeyEvent& event) {
    if (!recording_) {
        return;
    }
    KeyMap* keys = nullptr;
    if (const auto* env = environmentOf(this)) {
        keys = env->keyMap;
    }
    switch (HotkeyFormatter::command(event)) {
        case HotkeyFormatter::Command::cancel:
            stopRecording();
            return;
        case HotkeyFormatter::Command::clear: {
            const QString none = QString::fromUtf16(HotkeyFormatter::notAssigned);
            setHotkey(none);
            stopRecording();
            Q_EMIT hotkeyEdited(none);
            return;
        }
        case HotkeyFormatter::Command::none:
            break;
    }
    if (const auto text = HotkeyFormatter::capture(event, keys)) {
        const auto* env = environmentOf(this);
        const std::optional<QString> holder =
            env && command_ ? otherHolder(env->appState, *text, *command_) : std::nullopt;
        if (holder) {
            setRefused(*text);
            stopRecording();
            return;
        }
        setHotkey(*text);
        stopRecording();
        Q_EMIT hotkeyEdited(*text);
    }
}

bool HotkeyRecorderField::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::ShortcutOverride:
            // Claimed, so no menu shortcut or mnemonic fires; the press then comes as KeyPress.
            event->accept();
            return true;
        case QEvent::KeyPress:
            handle(*static_cast<QKeyEvent*>(event));
            return true;
        case QEvent::WindowDeactivate:
            if (watched == watchedWindow_) {
                stopRecording();
            }
            return false;
        default:
            return false;
    }
}

void HotkeyRecorderField::hideEvent(QHideEvent* event) {
    stopRecording();
    setRefused(QString());
    QAbstractButton::hideEvent(event);
}

void HotkeyRecorderField::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    using R = ThemeColor::Role;
    const QRectF box(boxRect());
    RoundedBox::paint(
        painter, box,
        {.radius = kCornerRadius,
         .fill = recording_ ? ThemeColor{R::accent, 0.28} : ThemeColor{R::primary, 0.10 * 0.5},
         .fillsToEdge = true},
        palette());
    if (hasFocus()) {
        // The ring is centred on the field's edge, so only its inner half shows: a light ring.
        RoundedBox::paint(painter, box.adjusted(-0.5, -0.5, 0.5, 0.5),
                          {.radius = kCornerRadius, .stroke = {R::accent, 0.6}}, palette());
    }
    painter.setPen(palette().color(QPalette::WindowText));
    const QRect textArea = boxRect().adjusted(kPaddingX, kPaddingY, -kPaddingX, -kPaddingY);
    painter.drawText(textArea, Qt::AlignCenter | Qt::TextSingleLine,
                     fontMetrics().elidedText(labelText(), Qt::ElideRight, textArea.width()));
    if (const QString why = refusal(); !why.isEmpty()) {
        painter.setFont(refusalFont());
        painter.drawText(rect().adjusted(0, boxRect().height() + kRefusalGap, 0, 0),
                         Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap, why);
    }
}
