#pragma once

#include <QWidget>
#include <functional>

class QKeyEvent;

// An invisible widget that holds the keyboard focus while a shortcut is recorded: it takes no
// input method, so every press arrives as a plain key event, and none goes on to a text field.
class HotkeyCaptureView : public QWidget {
    Q_OBJECT
public:
    explicit HotkeyCaptureView(QWidget* parent = nullptr);

    void setOnKeyDown(std::function<void(QKeyEvent&)> onKeyDown) {
        onKeyDown_ = std::move(onKeyDown);
    }
    // While recording it takes the focus, and takes it back from any other widget of its
    // window, so no text field's input method sees the keys.
    void setRecording(bool recording);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool focusNextPrevChild(bool) override { return false; }
    void focusOutEvent(QFocusEvent* event) override;

private:
    bool recording_ = false;
    std::function<void(QKeyEvent&)> onKeyDown_;
};
