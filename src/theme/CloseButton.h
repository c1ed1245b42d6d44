#pragma once

#include <QAbstractButton>
#include <functional>

// A panel's close control: a small red dot, with a cross only while the pointer is over it.
// The whole 18 × 18 square around the 14 px dot takes clicks.
class CloseButton : public QAbstractButton {
    Q_OBJECT
public:
    explicit CloseButton(QWidget* parent = nullptr);

    QSize sizeHint() const override { return {18, 18}; }
    bool isHovered() const { return hovered_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    bool hovered_ = false;
};

// Lays a close button over surface's top-left corner, 12 px in from its top and left edges
// (the dot then sits inside a 22 px corner); a click runs action.
CloseButton* addPanelCloseButton(QWidget* surface, std::function<void()> action);
