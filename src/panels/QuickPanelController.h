#pragma once

#include <QObject>
#include <QPointer>

#include "capture/PanelHandles.h"

class NiveloAppState;

// Owner of the quick-action panel. One instance lives for the whole process; the hot keys,
// the selection trigger and the "Show Quick Menu" command all reach the panel through it.
class QuickPanelController : public QObject, public QuickPanelHandle {
    Q_OBJECT
public:
    // appState: the state the hot keys and the selection trigger show the panel for.
    explicit QuickPanelController(NiveloAppState* appState = nullptr, QObject* parent = nullptr);
    ~QuickPanelController() override;

    // The panel itself arrives with the panels; until then there is nothing to show.
    void show(NiveloAppState& appState);
    void toggle(NiveloAppState& appState);

    void show() override;
    void toggle() override;
    bool isPanelVisible() const override { return false; }

private:
    QPointer<NiveloAppState> appState_;
};
