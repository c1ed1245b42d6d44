#include "settingswindow/QuickMenuModel.h"

#include <algorithm>
#include <limits>

#include "core/NiveloSettings.h"
#include "state/NiveloAppState.h"

namespace {

QStringList normalized(const QStringList& ids) {
    QStringList out;
    out.reserve(ids.size());
    for (const QString& id : ids) {
        out.append(QuickAction::normalize(id));
    }
    return out;
}

QStringList rowIds(const NiveloSettings& settings, const QList<PromptStyle>& styles) {
    QStringList ids;
    for (const QuickAction& action : QuickMenuModel::orderedActions(settings, styles)) {
        ids.append(action.id);
    }
    return ids;
}

}  // namespace

QStringList QuickMenuModel::availableActionIds(const QList<PromptStyle>& styles) {
    QStringList raw{QStringLiteral("ai"), QStringLiteral("translate")};
    for (const PromptStyle& style : styles) {
        if (style.id != QLatin1String("translate")) {
            raw.append(QStringLiteral("style:") + style.id);
        }
    }
    raw << QStringLiteral("clipboard") << QStringLiteral("layout");
    QStringList ids = normalized(raw);
    ids.removeDuplicates();
    return ids;
}

QList<QuickAction> QuickMenuModel::orderedActions(const NiveloSettings& settings,
                                                  const QList<PromptStyle>& styles) {
    const QStringList available = availableActionIds(styles);
    QStringList ids;
    for (const QString& id : normalized(settings.quickMenuOrder)) {
        if (available.contains(id) && !ids.contains(id)) {
            ids.append(id);
        }
    }
    for (const QString& id : available) {
        if (!ids.contains(id)) {
            ids.append(id);
        }
    }
    QList<QuickAction> actions;
    actions.reserve(ids.size());
    for (const QString& id : ids) {
        actions.append(QuickAction{id});
    }
    return actions;
}

QStringList QuickMenuModel::enabledIds(const NiveloSettings& settings) {
    return normalized(settings.quickMenuActions);
}

QStringList QuickMenuModel::availableActionIds() const {
    return availableActionIds(state_.promptStyles());
}

QList<QuickAction> QuickMenuModel::orderedActions() const {
    return orderedActions(state_.settings(), state_.promptStyles());
}

void QuickMenuModel::setAction(const QString& rawId, bool enabled) {
    const QString id = QuickAction::normalize(rawId);
    QStringList actions = enabledIds(state_.settings());
    if (enabled) {
        if (!actions.contains(id)) {
            actions.append(id);
        }
    } else {
        actions.removeAll(id);
    }
    const QStringList rows = rowIds(state_.settings(), state_.promptStyles());
    const auto position = [&](const QString& entry) {
        const qsizetype at = rows.indexOf(entry);
        return at < 0 ? std::numeric_limits<qsizetype>::max() : at;
    };
    std::stable_sort(actions.begin(), actions.end(),
                     [&](const QString& a, const QString& b) { return position(a) < position(b); });
    state_.editSettings([&](NiveloSettings& s) { s.quickMenuActions = actions; });
}

void QuickMenuModel::moveAction(int index, int direction) {
    QStringList rows = rowIds(state_.settings(), state_.promptStyles());
    const int target = index + direction;
    if (index < 0 || index >= rows.size() || target < 0 || target >= rows.size()) {
        return;
    }
    rows.swapItemsAt(index, target);
    state_.editSettings([&](NiveloSettings& s) { s.quickMenuOrder = rows; });
    const QStringList enabled = enabledIds(state_.settings());
    QStringList actions;
    for (const QString& id : std::as_const(rows)) {
        if (enabled.contains(id)) {
            actions.append(id);
        }
    }
    state_.editSettings([&](NiveloSettings& s) { s.quickMenuActions = actions; });
}
