#pragma once

#include <QAbstractButton>
#include <QObject>
#include <QPointer>
#include <memory>

#include "capture/PanelHandles.h"
#include "theme/PanelWindow.h"

class NiveloAppState;
class QuickPanelController;
class Screens;

// The button's face: a yellow bolt in a 42 × 42 circle; the whole circle takes clicks. A press
// that travels further than the desktop's drag distance moves the button's window instead.
class FloatingButtonView : public QAbstractButton {
    Q_OBJECT
public:
    explicit FloatingButtonView(QWidget* parent = nullptr);
    QSize sizeHint() const override { return {42, 42}; }

protected:
    void paintEvent(QPaintEvent* event) override;
    bool hitButton(const QPoint& pos) const override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QPoint pressGlobal_;
    QPoint windowAtPress_;
    bool dragging_ = false;
};

// A small round button near the pointer after a selection; a click hides it and opens the
// quick-action panel. It never takes the keyboard.
class FloatingButtonController : public QObject, public FloatingButtonHandle {
    Q_OBJECT
public:
    static constexpr int kSize = 54;

    FloatingButtonController(Screens* screens, PanelWindow::Environment environment,
                             QObject* parent = nullptr);
    ~FloatingButtonController() override;

    // Start-up's plain assignment: nothing is shown.
    void setReferences(NiveloAppState* appState, QuickPanelController* quickPanel);
    // Shows the button near the pointer, or only hides it while its setting is off.
    void show(NiveloAppState& appState, QuickPanelController& quickPanel);
    void positionNearMouse();
    void click();

    void show() override;
    void hide() override;

    PanelWindow* panel() const { return panel_.get(); }
    FloatingButtonView* view() const { return view_; }

private:
    // The surface in the state's appearance and surface mode.
    void restyle();

    Screens* screens_;
    PanelWindow::Environment environment_;
    QPointer<NiveloAppState> appState_;
    QPointer<QuickPanelController> quickPanel_;
    std::unique_ptr<PanelWindow> panel_;
    FloatingButtonView* view_ = nullptr;
    QMetaObject::Connection settingsWatch_;
    QMetaObject::Connection surfaceWatch_;
};
