#pragma once

#include <QAbstractButton>
#include <QPointer>
#include <QString>
#include <optional>

#include "capture/HotkeyService.h"

class HotkeyCaptureView;
class HotkeyService;
class QKeyEvent;

// The control that edits one hot key. A click starts recording: the next key combination with
// a modifier becomes the hot-key text ("Command+Shift+K"), Escape cancels, Backspace or Delete
// store "Not assigned". While it records, every key press of the application comes here, and
// the global hot keys are released so that pressing one of ours records it instead of running
// it; they come back when recording stops (a key accepted, the field hidden or destroyed, the
// window deactivated).
//
// A field told which command it edits refuses keys that another command holds: the old text
// stays and a line under the field names the holder, until the next recording.
//
// The page owns the text: it shows it with setHotkey() and stores what hotkeyEdited() gives.
class HotkeyRecorderField : public QAbstractButton {
    Q_OBJECT
public:
    // `width` is the width of the label's text area; the field adds its padding around it.
    explicit HotkeyRecorderField(const QString& hotkey, int width, QWidget* parent = nullptr);
    ~HotkeyRecorderField() override;

    QString hotkey() const { return hotkey_; }
    // Shows a stored text; emits nothing.
    void setHotkey(const QString& hotkey);

    int labelWidth() const { return labelWidth_; }
    void setLabelWidth(int width);

    // What the field edits ("Quick menu"); its accessible name is this title and the label.
    void setAccessibleTitle(const QString& title);

    // The command whose hot key this is; another command's keys are refused.
    void setCommand(const HotkeyService::Action& command) { command_ = command; }
    // Why the last keys were refused, in the interface language of now; empty when they were
    // not, or when their holder has let them go since.
    QString refusal() const;

    bool isRecording() const { return recording_; }
    // The label as shown: "Press shortcut..." while recording, else the display form.
    QString labelText() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

Q_SIGNALS:
    // A recording was accepted: the new text, "Not assigned" when cleared. Sent for every
    // accepted recording, also when the text is the one already stored.
    void hotkeyEdited(const QString& hotkey);
    void recordingChanged(bool recording);

protected:
    void paintEvent(QPaintEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void beginRecording();
    void stopRecording();
    // Ends recording without touching the widget; false when it was not recording.
    bool endRecording();
    void handle(QKeyEvent& event);
    void refreshAccessibleText();
    void setRefused(const QString& keys);
    QFont refusalFont() const;
    // The key's box, without the refusal line under it.
    QRect boxRect() const;

    QString hotkey_;
    QString accessibleTitle_;
    int labelWidth_;
    bool recording_ = false;
    HotkeyCaptureView* capture_ = nullptr;
    QPointer<QWidget> watchedWindow_;
    QPointer<HotkeyService> suspended_;
    std::optional<HotkeyService::Action> command_;
    // The keys last refused; empty when the last ones were taken.
    QString refused_;
};
