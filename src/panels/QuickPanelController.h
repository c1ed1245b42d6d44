#pragma once

#include <QObject>

class NiveloAppState;

// Owner of the quick-action panel. One instance lives for the whole process; the hot keys,
// the selection trigger and the "Show Quick Menu" command all reach the panel through it.
class QuickPanelController : public QObject {
    Q_OBJECT
public:
    explicit QuickPanelController(QObject* parent = nullptr);

    // The panel itself arrives with the panels; until then there is nothing to show.
    void show(NiveloAppState& appState);
    void toggle(NiveloAppState& appState);
};
