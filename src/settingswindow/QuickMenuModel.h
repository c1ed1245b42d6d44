#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include "core/PromptStyle.h"
#include "core/QuickAction.h"

class NiveloAppState;
struct NiveloSettings;

// The quick menu's two lists as the settings page edits them: every action the panel can
// offer shown once in the saved order (the rest after it), and the enabled ones kept in that
// order. Every id is compared and stored in its normalized form.
class QuickMenuModel {
public:
    explicit QuickMenuModel(NiveloAppState& state) : state_(state) {}

    // "ai", "translate", a "style:" id per prompt style but "translate", "clipboard", "layout".
    static QStringList availableActionIds(const QList<PromptStyle>& styles);
    static QList<QuickAction> orderedActions(const NiveloSettings& settings,
                                             const QList<PromptStyle>& styles);
    static QStringList enabledIds(const NiveloSettings& settings);

    QStringList availableActionIds() const;
    QList<QuickAction> orderedActions() const;

    // One save: the enabled list, sorted into the display order; an id without a row sorts
    // after the others and keeps its place among them.
    void setAction(const QString& id, bool enabled);
    // Swaps the row with its neighbour (-1 up, +1 down). Two saves: the whole display order,
    // then the enabled actions in that order (an enabled id without a row is dropped). Outside
    // the list nothing is written.
    void moveAction(int index, int direction);

private:
    NiveloAppState& state_;
};
