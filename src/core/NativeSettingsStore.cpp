#include "core/NativeSettingsStore.h"

#include <algorithm>

#include "base/Json.h"
#include "core/AIReplyStyleLibrary.h"
#include "core/NiveloPromptLibrary.h"
#include "core/QuickAction.h"
#include "platform/Defaults.h"
#include "platform/Platform.h"

namespace {

namespace key {
const QString theme = QStringLiteral("nivelo.theme");
const QString surfaceMode = QStringLiteral("nivelo.surfaceMode");
const QString menuScale = QStringLiteral("nivelo.menuScale");
const QString targetLanguage = QStringLiteral("nivelo.targetLanguage");
const QString translatePreviewTargetLanguage =
    QStringLiteral("nivelo.translationPreviewTargetLanguage");
const QString uiLanguage = QStringLiteral("nivelo.uiLanguage");
const QString selectedStyleId = QStringLiteral("nivelo.selectedStyleId");
const QString promptStyles = QStringLiteral("nivelo.promptStyles");
const QString aiReplyStyles = QStringLiteral("nivelo.aiReplyStyles");
const QString quickMenuHotkey = QStringLiteral("nivelo.quickMenuHotkey");
const QString assistantHotkey = QStringLiteral("nivelo.assistantHotkey");
const QString clipboardHotkey = QStringLiteral("nivelo.clipboardHotkey");
const QString layoutHotkey = QStringLiteral("nivelo.layoutHotkey");
const QString translatePreviewHotkey = QStringLiteral("nivelo.translatePreviewHotkey");
const QString layoutLatinSource = QStringLiteral("nivelo.layoutLatinSource");
const QString layoutNativeSource = QStringLiteral("nivelo.layoutNativeSource");
const QString layoutAutoSwitch = QStringLiteral("nivelo.layoutAutoSwitch");
const QString appLayoutSwitchingEnabled = QStringLiteral("nivelo.appLayoutSwitching.enabled");
const QString appLayoutRules = QStringLiteral("nivelo.appLayoutSwitching.rules");
const QString autoQuickMenuEnabled = QStringLiteral("nivelo.autoQuickMenuEnabled");
const QString floatingButtonVisible = QStringLiteral("nivelo.quickMenu.floatingButtonVisible");
const QString quickMenuSize = QStringLiteral("nivelo.quickMenu.size");
const QString quickMenuOpenMode = QStringLiteral("nivelo.quickMenu.openMode");
const QString quickMenuActions = QStringLiteral("nivelo.quickMenu.actions");
const QString quickMenuOrder = QStringLiteral("nivelo.quickMenu.order");
const QString clipboardHistoryEnabled = QStringLiteral("nivelo.clipboardHistory.enabled");
const QString clipboardLimit = QStringLiteral("nivelo.clipboardLimit");
const QString clipboardDays = QStringLiteral("nivelo.clipboardDays");
const QString openMainWindowOnLaunch = QStringLiteral("nivelo.openMainWindowOnLaunch");
const QString menuBarIconVisible = QStringLiteral("nivelo.menuBarIconVisible");
const QString closeToMenuBar = QStringLiteral("nivelo.closeToMenuBar");
const QString autoSelectAllBeforeAction = QStringLiteral("nivelo.autoSelectAllBeforeAction");
const QString aiContextEnabled = QStringLiteral("nivelo.aiContextEnabled");
const QString updateNotificationsEnabled = QStringLiteral("nivelo.updates.notificationsEnabled");
const QString automaticUpdateChecksEnabled =
    QStringLiteral("nivelo.updates.automaticChecksEnabled");
}  // namespace key

const QString kAuto = QStringLiteral("Auto");
const QString kEmojiAction = QStringLiteral("style:emoji");

QString knownLanguageOr(const QString& name, const QString& fallback) {
    return NiveloPromptLibrary::languages().contains(name) ? name : fallback;
}

}  // namespace

NativeSettingsStore::NativeSettingsStore(Defaults& defaults) : defaults_(defaults) {}

NativeSettingsStore& NativeSettingsStore::shared() {
    static NativeSettingsStore store(*Platform::current().defaults);
    return store;
}

NiveloSettings NativeSettingsStore::load() const {
    const NiveloSettings d;
    NiveloSettings s;

    // The emoji row came later: lists saved before it get it back, switched on. Once a stored
    // order holds it, its absence from the enabled list is the user's choice and stays.
    const QStringList storedOrder = normalizedQuickMenuList(stringArray(key::quickMenuOrder, {}));
    const QStringList actions = stringArray(key::quickMenuActions, d.quickMenuActions);
    s.quickMenuActions = storedOrder.contains(kEmojiAction) ? normalizedQuickMenuList(actions)
                                                            : restoredQuickMenuList(actions);
    s.quickMenuOrder =
        restoredQuickMenuList(storedOrder.isEmpty() ? d.quickMenuOrder : storedOrder);

    s.appearanceMode = fromRawValue<AppearanceMode>(defaults_.stringValue(key::theme).value_or(""))
                           .value_or(AppearanceMode::system);
    s.surfaceMode =
        string(key::surfaceMode, rawValue(d.surfaceMode)) == rawValue(SurfaceMode::solid)
            ? SurfaceMode::solid
            : SurfaceMode::translucent;
    s.menuScale = fromRawValue<MenuScale>(string(key::menuScale, rawValue(d.menuScale)))
                      .value_or(MenuScale::tiny);
    s.targetLanguage =
        knownLanguageOr(string(key::targetLanguage, d.targetLanguage), d.targetLanguage);
    s.translatePreviewTargetLanguage = knownLanguageOr(
        string(key::translatePreviewTargetLanguage, d.translatePreviewTargetLanguage),
        d.translatePreviewTargetLanguage);
    s.uiLanguage = uiLanguageFromRaw(string(key::uiLanguage, rawValue(d.uiLanguage)));
    s.selectedStyleId = string(key::selectedStyleId, d.selectedStyleId);
    s.promptStyles = promptStyles();
    s.aiReplyStyles = aiReplyStyles();
    s.quickMenuHotkey = string(key::quickMenuHotkey, d.quickMenuHotkey);
    s.assistantHotkey = string(key::assistantHotkey, d.assistantHotkey);
    s.clipboardHotkey = string(key::clipboardHotkey, d.clipboardHotkey);
    s.layoutHotkey = string(key::layoutHotkey, d.layoutHotkey);
    s.translatePreviewHotkey = string(key::translatePreviewHotkey, d.translatePreviewHotkey);
    s.layoutLatinSource = string(key::layoutLatinSource, d.layoutLatinSource);
    if (s.layoutLatinSource == kAuto) {
        s.layoutLatinSource = d.layoutLatinSource;
    }
    s.layoutNativeSource = string(key::layoutNativeSource, d.layoutNativeSource);
    if (s.layoutNativeSource == kAuto) {
        s.layoutNativeSource = d.layoutNativeSource;
    }
    s.layoutAutoSwitch = boolean(key::layoutAutoSwitch, d.layoutAutoSwitch);
    s.appLayoutSwitchingEnabled =
        boolean(key::appLayoutSwitchingEnabled, d.appLayoutSwitchingEnabled);
    s.appLayoutRules = appLayoutRules();
    // The selection trigger's two switches have no control yet: they always load as off.
    s.autoQuickMenuEnabled = false;
    s.floatingButtonVisible = false;
    s.quickMenuSize = fromRawValue<MenuScale>(string(key::quickMenuSize, rawValue(d.quickMenuSize)))
                          .value_or(MenuScale::tiny);
    s.quickMenuOpenMode = string(key::quickMenuOpenMode, rawValue(d.quickMenuOpenMode)) ==
                                  rawValue(QuickMenuOpenMode::button)
                              ? QuickMenuOpenMode::button
                              : QuickMenuOpenMode::input;
    s.clipboardHistoryEnabled = boolean(key::clipboardHistoryEnabled, d.clipboardHistoryEnabled);
    s.clipboardLimit = static_cast<int>(integer(key::clipboardLimit, d.clipboardLimit, 1, 1000));
    s.clipboardDays = string(key::clipboardDays, d.clipboardDays);
    s.openMainWindowOnLaunch = boolean(key::openMainWindowOnLaunch, d.openMainWindowOnLaunch);
    s.menuBarIconVisible = boolean(key::menuBarIconVisible, d.menuBarIconVisible);
    s.closeToMenuBar = boolean(key::closeToMenuBar, d.closeToMenuBar);
    s.autoSelectAllBeforeAction =
        boolean(key::autoSelectAllBeforeAction, d.autoSelectAllBeforeAction);
    s.aiContextEnabled = boolean(key::aiContextEnabled, d.aiContextEnabled);
    s.updateNotificationsEnabled =
        boolean(key::updateNotificationsEnabled, d.updateNotificationsEnabled);
    s.automaticUpdateChecksEnabled =
        boolean(key::automaticUpdateChecksEnabled, d.automaticUpdateChecksEnabled);
    return s;
}

void NativeSettingsStore::save(const NiveloSettings& s) {
    auto setJSON = [this](const QByteArray& data, const QString& k) { defaults_.setData(k, data); };

    defaults_.setString(key::theme, rawValue(s.appearanceMode));
    defaults_.setString(key::surfaceMode, rawValue(s.surfaceMode));
    defaults_.setString(key::menuScale, rawValue(s.menuScale));
    defaults_.setString(key::targetLanguage, s.targetLanguage);
    defaults_.setString(key::translatePreviewTargetLanguage, s.translatePreviewTargetLanguage);
    defaults_.setString(key::uiLanguage, rawValue(s.uiLanguage));
    defaults_.setString(key::selectedStyleId, s.selectedStyleId);
    setJSON(json::encodeList(s.promptStyles, [](const PromptStyle& p) { return p.toJson(); }),
            key::promptStyles);
    setJSON(json::encodeList(s.aiReplyStyles, [](const AIReplyStyle& r) { return r.toJson(); }),
            key::aiReplyStyles);
    defaults_.setString(key::quickMenuHotkey, s.quickMenuHotkey);
    defaults_.setString(key::assistantHotkey, s.assistantHotkey);
    defaults_.setString(key::clipboardHotkey, s.clipboardHotkey);
    defaults_.setString(key::layoutHotkey, s.layoutHotkey);
    defaults_.setString(key::translatePreviewHotkey, s.translatePreviewHotkey);
    defaults_.setString(key::layoutLatinSource, s.layoutLatinSource);
    defaults_.setString(key::layoutNativeSource, s.layoutNativeSource);
    defaults_.setBool(key::layoutAutoSwitch, s.layoutAutoSwitch);
    defaults_.setBool(key::appLayoutSwitchingEnabled, s.appLayoutSwitchingEnabled);
    setJSON(json::encodeList(s.appLayoutRules, [](const AppLayoutRule& r) { return r.toJson(); }),
            key::appLayoutRules);
    defaults_.setBool(key::autoQuickMenuEnabled, false);
    defaults_.setBool(key::floatingButtonVisible, false);
    defaults_.setString(key::quickMenuSize, rawValue(s.quickMenuSize));
    defaults_.setString(key::quickMenuOpenMode, rawValue(s.quickMenuOpenMode));
    setJSON(json::encodeStringList(s.quickMenuActions), key::quickMenuActions);
    setJSON(json::encodeStringList(s.quickMenuOrder), key::quickMenuOrder);
    defaults_.setBool(key::clipboardHistoryEnabled, s.clipboardHistoryEnabled);
    defaults_.setInteger(key::clipboardLimit, s.clipboardLimit);
    defaults_.setString(key::clipboardDays, s.clipboardDays);
    defaults_.setBool(key::openMainWindowOnLaunch, s.openMainWindowOnLaunch);
    defaults_.setBool(key::menuBarIconVisible, s.menuBarIconVisible);
    defaults_.setBool(key::closeToMenuBar, s.closeToMenuBar);
    defaults_.setBool(key::autoSelectAllBeforeAction, s.autoSelectAllBeforeAction);
    defaults_.setBool(key::aiContextEnabled, s.aiContextEnabled);
    defaults_.setBool(key::updateNotificationsEnabled, s.updateNotificationsEnabled);
    defaults_.setBool(key::automaticUpdateChecksEnabled, s.automaticUpdateChecksEnabled);
}

QString NativeSettingsStore::string(const QString& k, const QString& fallback) const {
    const auto stored = defaults_.stringValue(k);
    return stored && !stored->isEmpty() ? *stored : fallback;
}

bool NativeSettingsStore::boolean(const QString& k, bool fallback) const {
    return defaults_.hasObject(k) ? defaults_.boolValue(k) : fallback;
}

qint64 NativeSettingsStore::integer(const QString& k, qint64 fallback, qint64 lowest,
                                    qint64 highest) const {
    if (!defaults_.hasObject(k)) {
        return fallback;
    }
    return std::clamp(defaults_.integerValue(k), lowest, highest);
}

std::optional<QByteArray> NativeSettingsStore::jsonBytes(const QString& k) const {
    if (auto data = defaults_.dataValue(k)) {
        return data;
    }
    if (auto text = defaults_.stringValue(k)) {
        return text->toUtf8();
    }
    return std::nullopt;
}

QStringList NativeSettingsStore::stringArray(const QString& k, const QStringList& fallback) const {
    const auto bytes = jsonBytes(k);
    if (!bytes) {
        return fallback;
    }
    const auto list = json::decodeStringList(*bytes);
    return list && !list->isEmpty() ? *list : fallback;
}

QList<PromptStyle> NativeSettingsStore::promptStyles() const {
    const auto bytes = jsonBytes(key::promptStyles);
    if (bytes) {
        const auto list = json::decodeList<PromptStyle>(*bytes, &PromptStyle::fromJson);
        if (list && !list->isEmpty()) {
            return NiveloPromptLibrary::mergeSavedStyles(*list);
        }
    }
    return NiveloPromptLibrary::defaultStyles();
}

QList<AIReplyStyle> NativeSettingsStore::aiReplyStyles() const {
    QList<AIReplyStyle> saved;
    if (const auto bytes = jsonBytes(key::aiReplyStyles)) {
        saved = json::decodeList<AIReplyStyle>(*bytes, &AIReplyStyle::fromJson).value_or(saved);
    }
    return AIReplyStyleLibrary::restoredStyles(saved);
}

QList<AppLayoutRule> NativeSettingsStore::appLayoutRules() const {
    const auto data = defaults_.dataValue(key::appLayoutRules);
    if (!data) {
        return {};
    }
    return json::decodeList<AppLayoutRule>(*data, &AppLayoutRule::fromJson)
        .value_or(QList<AppLayoutRule>());
}

QStringList NativeSettingsStore::normalizedQuickMenuList(const QStringList& ids) {
    QStringList out;
    out.reserve(ids.size() + 1);
    for (const QString& id : ids) {
        out.append(QuickAction::normalize(id));
    }
    return out;
}

QStringList NativeSettingsStore::restoredQuickMenuList(const QStringList& ids) {
    QStringList out = normalizedQuickMenuList(ids);
    if (out.contains(kEmojiAction)) {
        return out;
    }
    const qsizetype polite = out.indexOf(QStringLiteral("style:polite"));
    if (polite >= 0) {
        out.insert(polite, kEmojiAction);
    } else {
        out.append(kEmojiAction);
    }
    return out;
}
