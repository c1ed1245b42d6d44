#include "state/NiveloAppState.h"

#include <QGuiApplication>
#include <QUuid>

#include "base/Async.h"
#include "base/Text.h"
#include "capture/KeyboardLayoutService.h"
#include "capture/PasteboardService.h"
#include "capture/PasteboardServiceError.h"
#include "clipboard/ClipboardHistoryService.h"
#include "core/AIReplyStyleLibrary.h"
#include "core/NativeSettingsStore.h"
#include "core/NiveloPromptLibrary.h"
#include "core/SaveFailure.h"
#include "platform/Clock.h"
#include "platform/Platform.h"
#include "platform/SaveReport.h"
#include "platform/SystemAppearance.h"
#include "state/NiveloCore.h"
#include "theme/SystemSurfaceMode.h"

namespace {

const QString kStylePrefix = QStringLiteral("style:");

QList<QuickAction> normalizedActions(const QStringList& ids) {
    QList<QuickAction> actions;
    actions.reserve(ids.size());
    for (const QString& id : ids) {
        actions.append(QuickAction{QuickAction::normalize(id)});
    }
    return actions;
}

template <typename Style>
bool hasStyleId(const QList<Style>& styles, const QString& id) {
    return std::any_of(styles.begin(), styles.end(),
                       [&](const Style& style) { return style.id == id; });
}

}  // namespace

NiveloAppState::NiveloAppState(Dependencies dependencies, QObject* parent)
    : QObject(parent),
      deps_(std::move(dependencies)),
      layouts_(std::make_unique<KeyboardLayoutService>(deps_.inputSources)),
      quickActions_(QuickAction::defaultActions()),
      promptStyles_(NiveloPromptLibrary::defaultStyles()),
      aiReplyStyles_(AIReplyStyleLibrary::defaultStyles()),
      sampleText_(QStringLiteral("Hi, how are you?")),
      targetLanguage_(QStringLiteral("English")),
      systemSurfaceMode_(systemResolvedSurfaceMode(deps_.appearance)) {
    settings_ = deps_.settingsStore.load();
    promptStyles_ = settings_.promptStyles;
    aiReplyStyles_ = settings_.aiReplyStyles;
    quickActions_ = normalizedActions(settings_.quickMenuActions);
    targetLanguage_ = settings_.targetLanguage;
    systemSurfaceMode_ = systemResolvedSurfaceMode(deps_.appearance);
    if (deps_.saveReport) {
        connect(deps_.saveReport, &SaveReport::saveFailed, this, [this](int error) {
            setStatus(ActionStatus::failed(saveFailureMessage(language(), error)));
        });
    }
}

NiveloAppState::Dependencies NiveloAppState::sharedDependencies() {
    Platform& platform = Platform::current();
    return Dependencies{*platform.clock,
                        NativeSettingsStore::shared(),
                        NiveloCore::shared(),
                        PasteboardService::shared(),
                        *platform.inputSources,
                        ClipboardHistoryService::shared(),
                        *platform.systemAppearance,
                        {},
                        platform.saveReport.get()};
}

NiveloAppState::~NiveloAppState() {
    statusResetToken_.cancel();
    if (observingSurface_) {
        deps_.clock.cancelCall(surfacePollCall_);
    }
}

QString NiveloAppState::localized(const QString& english, const QString& russian) const {
    return tr2(language(), english, russian);
}

// Published properties

void NiveloAppState::setSelectedSettingsPage(SettingsPage page) {
    selectedSettingsPage_ = page;
    Q_EMIT selectedSettingsPageChanged(selectedSettingsPage_);
}

void NiveloAppState::setStatus(const ActionStatus& status) {
    status_ = status;
    Q_EMIT statusChanged(status_);
    scheduleStatusReset(status_);
}

void NiveloAppState::setSampleText(const QString& text) {
    sampleText_ = text;
    Q_EMIT sampleTextChanged(sampleText_);
}

void NiveloAppState::setLatestOutput(const QString& text) {
    latestOutput_ = text;
    Q_EMIT latestOutputChanged(latestOutput_);
}

void NiveloAppState::setPermissionState(const PermissionState& state) {
    permissionState_ = state;
    Q_EMIT permissionStateChanged(permissionState_);
}

void NiveloAppState::setSettings(const NiveloSettings& settings) {
    settings_ = settings;
    settingsDidChange();
}

void NiveloAppState::editSettings(const std::function<void(NiveloSettings&)>& edit) {
    edit(settings_);
    settingsDidChange();
}

void NiveloAppState::settingsDidChange() {
    // No comparison with the old record: every assignment saves and republishes.
    deps_.settingsStore.save(settings_);
    promptStyles_ = settings_.promptStyles;
    Q_EMIT promptStylesChanged(promptStyles_);
    aiReplyStyles_ = settings_.aiReplyStyles;
    Q_EMIT aiReplyStylesChanged(aiReplyStyles_);
    quickActions_ = normalizedActions(settings_.quickMenuActions);
    Q_EMIT quickActionsChanged(quickActions_);
    targetLanguage_ = settings_.targetLanguage;
    Q_EMIT targetLanguageChanged(targetLanguage_);
    Q_EMIT settingsChanged(settings_);
}

Subscription NiveloAppState::subscribeSettings(std::function<void(const NiveloSettings&)> fn) {
    return subscribe(this, &NiveloAppState::settingsChanged, &NiveloAppState::settings,
                     std::move(fn));
}

// Status reset

void NiveloAppState::scheduleStatusReset(const ActionStatus& status) {
    statusResetToken_.cancel();
    if (status.kind() == ActionStatus::Kind::running || status.isIdle()) {
        return;
    }
    statusResetToken_ = CancelToken();
    statusReset(QPointer<NiveloAppState>(this), deps_.clock, status, statusResetToken_);
}

QCoro::Task<> NiveloAppState::statusReset(QPointer<NiveloAppState> self, Clock& clock,
                                          ActionStatus status, CancelToken token) {
    const qint64 delay = status.kind() == ActionStatus::Kind::done ? kDoneResetMs : kFailedResetMs;
    const bool elapsed = co_await clock.sleep(delay, token);
    if (!elapsed || !self || self->status_ != status) {
        co_return;
    }
    self->setStatus(ActionStatus::idle());
}

// System surface mode

void NiveloAppState::refreshSystemSurfaceMode() {
    const SurfaceMode mode = systemResolvedSurfaceMode(deps_.appearance);
    if (mode != systemSurfaceMode_) {
        systemSurfaceMode_ = mode;
        Q_EMIT systemSurfaceModeChanged(systemSurfaceMode_);
    }
}

void NiveloAppState::startSystemSurfaceObserver() {
    refreshSystemSurfaceMode();
    if (observingSurface_) {
        return;
    }
    observingSurface_ = true;
    connect(&deps_.appearance, &SystemAppearance::displayOptionsChanged, this,
            &NiveloAppState::refreshSystemSurfaceMode);
    if (auto* app = qGuiApp) {
        connect(app, &QGuiApplication::applicationStateChanged, this,
                [this](Qt::ApplicationState state) {
                    if (state == Qt::ApplicationActive) {
                        refreshSystemSurfaceMode();
                    }
                });
    }
    // The defaults have no change notice: the poll sees a changed setting.
    pollSystemSurfaceMode();
}

void NiveloAppState::pollSystemSurfaceMode() {
    QPointer<NiveloAppState> self(this);
    surfacePollCall_ = deps_.clock.callAfter(kSurfacePollMs, [self] {
        if (!self) {
            return;
        }
        self->refreshSystemSurfaceMode();
        self->pollSystemSurfaceMode();
    });
}

// Titles

QString NiveloAppState::title(const QuickAction& action) const {
    if (action.id == QLatin1String("ai")) {
        return localized(QStringLiteral("AI assistant"), QStringLiteral("AI помощник"));
    }
    if (action.id == QLatin1String("clipboard")) {
        return localized(QStringLiteral("Clipboard"), QStringLiteral("Буфер"));
    }
    if (action.id == QLatin1String("layout")) {
        return localized(QStringLiteral("Layout"), QStringLiteral("Раскладка"));
    }
    const std::optional<QString> styleId = action.styleId();
    if (!styleId) {
        return action.title();
    }
    if (*styleId == QLatin1String("translate")) {
        return localized(QStringLiteral("Translate"), QStringLiteral("Перевод"));
    }
    for (const PromptStyle& style : promptStyles_) {
        if (style.id == *styleId) {
            return styleTitle(style);
        }
    }
    return action.title();
}

QString NiveloAppState::styleTitle(const PromptStyle& style) const {
    struct Titles {
        const char* id;
        const char* english;
        const char* russian;
    };
    static const Titles titles[] = {
        {"original", "Fix", "Исправить"},
        {"friendly", "Friendly", "Дружелюбно"},
        {"emoji", "Emojis", "Смайлики"},
        {"polite", "Polite", "Вежливо"},
        {"professional", "Professional", "Профессионально"},
        {"short", "Short", "Кратко"},
        {"detailed", "Detailed", "Подробно"},
        {"humor", "Humor", "С юмором"},
        {"flirt", "Flirt", "Флирт"},
        {"romantic", "Romantic", "Романтично"},
        {"sexy", "Sexy", "Сексуально"},
        {"formal", "Formal", "Официально"},
        {"casual", "Casual", "Неформально"},
        {"support", "Support", "Поддержка"},
        {"expert", "Expert", "Эксперт"},
        {"social", "Social Media", "Соцсети"},
        {"translate", "Translate", "Перевод"},
    };
    for (const Titles& t : titles) {
        if (style.id == QLatin1String(t.id)) {
            return localized(QString::fromUtf8(t.english), QString::fromUtf8(t.russian));
        }
    }
    return style.name;
}

// Styles

QString NiveloAppState::newIdCharacters() const {
    if (deps_.newIdCharacters) {
        return deps_.newIdCharacters();
    }
    return QUuid::createUuid().toString(QUuid::WithoutBraces).left(8).toLower();
}

void NiveloAppState::addPromptStyle() {
    QString id;
    do {
        id = QStringLiteral("custom-") + newIdCharacters();
    } while (hasStyleId(settings_.promptStyles, id));

    PromptStyle style;
    style.id = id;
    style.name = localized(QStringLiteral("New Style"), QStringLiteral("Новый стиль"));
    style.prompt = localized(
        QStringLiteral("Rewrite the text in the requested style. Preserve the meaning and return "
                       "only the final text."),
        QStringLiteral("Перепиши текст в нужном стиле. Сохрани смысл и верни только готовый "
                       "текст."));
    style.hotkey = QStringLiteral("Not assigned");
    style.autoReplace = true;
    editSettings([&](NiveloSettings& s) { s.promptStyles.append(style); });

    const QString actionId = kStylePrefix + id;
    if (!settings_.quickMenuOrder.contains(actionId)) {
        editSettings([&](NiveloSettings& s) { s.quickMenuOrder.append(actionId); });
    }
    if (!settings_.quickMenuActions.contains(actionId)) {
        editSettings([&](NiveloSettings& s) { s.quickMenuActions.append(actionId); });
    }
    setSelectedSettingsPage(SettingsPage::styles);
}

void NiveloAppState::updatePromptStyle(const PromptStyle& style) {
    for (qsizetype i = 0; i < settings_.promptStyles.size(); ++i) {
        if (settings_.promptStyles.at(i).id == style.id) {
            editSettings([&](NiveloSettings& s) { s.promptStyles[i] = style; });
            return;
        }
    }
}

void NiveloAppState::deletePromptStyle(const PromptStyle& style) {
    if (NiveloPromptLibrary::builtInStyleIds().contains(style.id)) {
        return;
    }
    const QString id = style.id;
    const QString actionId = kStylePrefix + id;
    const auto isItsAction = [&](const QString& entry) {
        return QuickAction::normalize(entry) == actionId;
    };
    editSettings([&](NiveloSettings& s) {
        s.promptStyles.removeIf([&](const PromptStyle& p) { return p.id == id; });
    });
    editSettings([&](NiveloSettings& s) { s.quickMenuActions.removeIf(isItsAction); });
    editSettings([&](NiveloSettings& s) { s.quickMenuOrder.removeIf(isItsAction); });
}

void NiveloAppState::addAIReplyStyle() {
    QString id;
    do {
        id = QStringLiteral("custom-reply-") + newIdCharacters();
    } while (hasStyleId(settings_.aiReplyStyles, id));

    AIReplyStyle style;
    style.id = id;
    style.name = localized(QStringLiteral("New Reply Style"), QStringLiteral("Новый стиль ответа"));
    style.prompt = localized(
        QStringLiteral("Write a natural ready-to-send reply in the requested style. Return only "
                       "the reply text."),
        QStringLiteral("Напиши естественный готовый ответ в нужном стиле. Верни только текст "
                       "ответа."));
    style.hotkey = QStringLiteral("Not assigned");
    editSettings([&](NiveloSettings& s) { s.aiReplyStyles.append(style); });
    setSelectedSettingsPage(SettingsPage::aiReply);
}

void NiveloAppState::updateAIReplyStyle(const AIReplyStyle& style) {
    for (qsizetype i = 0; i < settings_.aiReplyStyles.size(); ++i) {
        if (settings_.aiReplyStyles.at(i).id == style.id) {
            editSettings([&](NiveloSettings& s) { s.aiReplyStyles[i] = style; });
            return;
        }
    }
}

void NiveloAppState::deleteAIReplyStyle(const AIReplyStyle& style) {
    if (AIReplyStyleLibrary::builtInStyleIds().contains(style.id)) {
        return;
    }
    const QString id = style.id;
    editSettings([&](NiveloSettings& s) {
        s.aiReplyStyles.removeIf([&](const AIReplyStyle& r) { return r.id == id; });
    });
}

// Clipboard

void NiveloAppState::clearClipboardHistory() {
    deps_.clipboardHistory.setItems({});
    deps_.clipboardHistory.save();
    setStatus(ActionStatus::done(localized(QStringLiteral("Clipboard history cleared"),
                                           QStringLiteral("История буфера очищена"))));
}

// Permissions

void NiveloAppState::refreshPermissions() {
    QPointer<NiveloAppState> self(this);
    launchLater(this, [self] {
        if (self) {
            self->setPermissionState(self->deps_.core.permissionSnapshot());
        }
    });
}

PermissionOffers NiveloAppState::permissionOffers() const {
    return deps_.core.permissionOffers();
}

void NiveloAppState::openPermissionSettings(PermissionSettingsTarget target) {
    QPointer<NiveloAppState> self(this);
    launchLater(this, [self, target] {
        if (self) {
            self->deps_.core.openPermissionSettings(target);
        }
    });
}

void NiveloAppState::requestPermissions() {
    // Saying a request was sent when the desktop has nobody to ask would report an action
    // that never happened: there the request is a fresh check, without a status.
    if (!deps_.core.canRequestPermissions()) {
        refreshPermissions();
        return;
    }
    setStatus(ActionStatus::running(localized(QStringLiteral("Requesting permissions"),
                                              QStringLiteral("Запрашиваю разрешения"))));
    QPointer<NiveloAppState> self(this);
    launchLater(this, [self] {
        if (!self) {
            return;
        }
        self->setPermissionState(self->deps_.core.requestPermissions());
        self->setStatus(
            ActionStatus::done(self->localized(QStringLiteral("Permission request sent"),
                                               QStringLiteral("Запрос разрешений отправлен"))));
    });
}

void NiveloAppState::resetNiveloPermissions(bool requestAgain) {
    setStatus(ActionStatus::running(localized(QStringLiteral("Resetting permissions"),
                                              QStringLiteral("Сбрасываю разрешения"))));
    QPointer<NiveloAppState> self(this);
    launchLater(this, [self, requestAgain] { resetPermissions(self, requestAgain); });
}

QCoro::Task<> NiveloAppState::resetPermissions(QPointer<NiveloAppState> self, bool requestAgain) {
    if (!self) {
        co_return;
    }
    NiveloCore& core = self->deps_.core;
    Clock& clock = self->deps_.clock;
    try {
        // The report lines are for diagnosis only; the status says enough.
        co_await core.resetNiveloPermissions();
    } catch (const std::exception& e) {
        if (self) {
            self->setStatus(ActionStatus::failed(errorDescription(e)));
        }
        co_return;
    }
    co_await clock.sleep(kPermissionResetPauseMs);
    if (!self) {
        co_return;
    }
    self->setPermissionState(requestAgain ? core.requestPermissions() : core.permissionSnapshot());
    self->setStatus(ActionStatus::done(
        requestAgain
            ? self->localized(QStringLiteral("Permissions reset. Request sent."),
                              QStringLiteral("Разрешения сброшены. Новый запрос отправлен."))
            : self->localized(QStringLiteral("Nivelo permissions reset"),
                              QStringLiteral("Разрешения Nivelo сброшены"))));
}

// The action pipeline

void NiveloAppState::run(const QuickAction& action, bool pasteResult, bool updateSampleText) {
    // One reading run at a time: a second press while one is under way would read and paste
    // again. A run on the sample text reads and pastes nothing, so each press starts one.
    if (pasteResult) {
        if (runUnderWay_) {
            return;
        }
        runUnderWay_ = true;
    }
    const bool silent = pasteResult && action.id == QLatin1String("layout");
    if (!silent) {
        const QString name = title(action);
        setStatus(ActionStatus::running(
            localized(name + QStringLiteral(" running"), QStringLiteral("Выполняю: ") + name)));
    }
    QPointer<NiveloAppState> self(this);
    launchLater(this, [self, action, pasteResult, updateSampleText, silent] {
        runAction(self, action, pasteResult, updateSampleText, silent);
    });
}

QCoro::Task<> NiveloAppState::runAction(QPointer<NiveloAppState> self, QuickAction action,
                                        bool pasteResult, bool updateSampleText, bool silent) {
    if (!self) {
        co_return;
    }
    struct RunEnd {
        QPointer<NiveloAppState> state;
        bool held;
        ~RunEnd() {
            if (state && held) {
                state->runUnderWay_ = false;
            }
        }
    } const runEnd{self, pasteResult};
    // The services outlive the state; the state itself is checked after every pause.
    PasteboardService& pasteboard = self->deps_.pasteboard;
    NiveloCore& core = self->deps_.core;
    const bool isLayout = action.id == QLatin1String("layout");
    try {
        // 1. The input.
        QString input;
        bool fromAccessibility = false;
        // Where the input came from: the result goes back there, or nowhere.
        std::optional<FocusTarget> target;
        if (!pasteResult) {
            input = self->sampleText_;
        } else if (!silent) {
            self->setStatus(ActionStatus::running(self->localized(
                QStringLiteral("Reading selection"), QStringLiteral("Читаю выделение"))));
            const bool selectAll = self->settings_.autoSelectAllBeforeAction &&
                                   action.id != QLatin1String("ai") &&
                                   action.id != QLatin1String("clipboard") && !isLayout;
            SelectionRead read = co_await pasteboard.readSelectedTextTransient(
                selectAll, true, PasteboardTiming::standard());
            input = std::move(read.text);
            target = std::move(read.target);
        } else {
            const QString candidate = pasteboard.peekSelectedTextForLayoutViaAccessibility();
            if (!text::trimmed(candidate).isEmpty()) {
                input = candidate;
                fromAccessibility = true;
                target = pasteboard.rememberedTarget();
            } else {
                SelectionRead read = co_await pasteboard.readSelectedTextTransient(
                    false, false, PasteboardTiming::fast());
                input = std::move(read.text);
                target = std::move(read.target);
            }
        }
        if (!self) {
            co_return;
        }

        // 2. The action's fixed title, the same in both languages.
        if (!silent) {
            self->setStatus(ActionStatus::running(action.title() + QStringLiteral(" running")));
        }

        // 3. The work.
        const QString targetLanguage = self->targetLanguage_;
        QString output;
        QString message;
        if (isLayout) {
            const KeyboardLayoutFixResult result = self->layouts_->fix(input, self->settings_);
            output = result.text;
            if (!pasteResult) {
                message = output;
            } else {
                bool replaced = false;
                if (fromAccessibility) {
                    replaced = co_await pasteboard.replaceSelectedTextViaAccessibility(output);
                }
                if (!replaced) {
                    // A target that never fetched our text pasted something else (its own
                    // late copy): the layout stays as it is.
                    const bool placed =
                        co_await pasteInto(pasteboard, output, target, PasteboardTiming::fast());
                    if (!placed) {
                        throw PasteboardServiceError(PasteboardServiceErrorKind::pasteNotApplied);
                    }
                }
                if (!self) {
                    co_return;
                }
                if (self->settings_.layoutAutoSwitch && !result.targetLayoutName.isEmpty()) {
                    try {
                        self->layouts_->switchLayout(result.targetLayoutName);
                    } catch (const std::exception&) {
                        // The text is fixed; a layout that will not switch changes nothing.
                    }
                }
            }
        } else {
            NativeActionRequest request{.action = action,
                                        .input = input,
                                        .targetLanguage = targetLanguage,
                                        .styles = self->promptStyles_};
            output = co_await core.run(std::move(request));
            if (!self) {
                co_return;
            }
            if (pasteResult) {
                self->setStatus(ActionStatus::running(
                    self->localized(QStringLiteral("Pasting"), QStringLiteral("Вставляю"))));
                co_await pasteInto(pasteboard, text::inPlaceOfSelection(input, output), target,
                                   PasteboardTiming::standard());
                if (!self) {
                    co_return;
                }
                message = self->localized(QStringLiteral("Pasted"), QStringLiteral("Вставлено"));
            } else {
                message = output;
            }
        }

        // 4. Finish.
        self->setLatestOutput(output);
        if (updateSampleText) {
            self->setSampleText(output);
        }
        self->setStatus(silent ? ActionStatus::idle() : ActionStatus::done(message));
    } catch (const std::exception& e) {
        // 5. Failure: both texts keep their values.
        if (self) {
            self->setStatus(ActionStatus::failed(errorDescription(e)));
        }
    }
}

QCoro::Task<bool> NiveloAppState::pasteInto(PasteboardService& pasteboard, QString text,
                                            std::optional<FocusTarget> target,
                                            PasteboardTiming timing) {
    if (!target) {
        throw PasteboardServiceError(PasteboardServiceErrorKind::pasteTargetUnavailable);
    }
    QCoro::Task<bool> paste =
        pasteboard.pasteTransientConfirmed(std::move(text), std::move(*target), timing);
    const bool placed = co_await std::move(paste);
    co_return placed;
}
