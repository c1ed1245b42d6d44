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

protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool focusNextPrevChild(bool) override { return false; }

private:
    std::function<void(QKeyEvent&)> onKeyDown_;
};
