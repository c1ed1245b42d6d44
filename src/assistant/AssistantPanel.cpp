#include "assistant/AssistantPanel.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QShowEvent>
#include <QVBoxLayout>

#include "assistant/AssistantComposer.h"
#include "assistant/AssistantComposerTextView.h"
#include "assistant/AssistantLanguageList.h"
#include "assistant/AssistantPanelController.h"
#include "assistant/AssistantReplyBar.h"
#include "assistant/AssistantTranscript.h"
#include "theme/CloseButton.h"
#include "theme/NiveloTheme.h"
#include "theme/PaintedButton.h"
#include "theme/SharedPartNames.h"
#include "theme/ThemeIcons.h"
#include "theme/WindowDragHandle.h"

namespace {

constexpr int kHeaderSymbolSize = 18;

// Menus read "&" as a mnemonic marker.
QString escapedMnemonic(QString text) {
    return text.replace(QLatin1Char('&'), QLatin1String("&&"));
}

QColor orange(const QPalette& palette) {
    const ColorScheme scheme =
        palette.color(QPalette::Window).lightness() < 128 ? ColorScheme::dark : ColorScheme::light;
    return NiveloTheme::color(NiveloTheme::Role::orange, scheme);
}

// Parts named for accessibility only, with no text of their own on screen: each name in both
// languages, so a change of the interface language finds it in either.
constexpr std::pair<const char16_t*, const char16_t*> kPartNames[] = {
    {u"AI assistant", u"AI помощник"},
    {u"Transcript", u"Переписка"},
    {u"Conversation", u"Беседа"},
    {u"Empty conversation", u"Пустая беседа"},
    {u"Composer", u"Запрос"},
    {u"Request field", u"Поле запроса"},
    {u"Reply actions", u"Действия с ответом"},
    {u"Divider", u"Разделитель"},
    {u"Languages", u"Языки"},
};

void nameParts(QWidget* panel, UiLanguage lang) {
    nameSharedParts(panel, lang);
    QList<QWidget*> parts = panel->findChildren<QWidget*>();
    parts.prepend(panel);
    for (QWidget* part : parts) {
        const QString name = part->accessibleName();
        for (const auto& [english, russian] : kPartNames) {
            if (name == QStringView(english) || name == QStringView(russian)) {
                part->setAccessibleName(
                    tr2(lang, QString::fromUtf16(english), QString::fromUtf16(russian)));
            }
        }
    }
}

}  // namespace

AssistantPanel::AssistantPanel(AssistantPanelController& controller, QWidget* parent)
    : QWidget(parent), controller_(&controller) {
    setAccessibleName(QStringLiteral("AI assistant"));
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(18, 18, 18, 18);
    column->setSpacing(10);

    // The header's background moves the window; the empty square leaves room for the close
    // control.
    auto* header = new WindowDragHandle(this);
    auto* headerRow = new QHBoxLayout(header);
    headerRow->setContentsMargins(0, 0, 0, 2);
    headerRow->setSpacing(8);
    headerRow->addSpacing(18);
    headerSymbol_ = new QLabel(header);
    headerSymbol_->setAccessibleName(QStringLiteral("Conversation"));
    headerSymbol_->setFixedSize(kHeaderSymbolSize, kHeaderSymbolSize);
    headerRow->addWidget(headerSymbol_);
    title_ = new QLabel(header);
    title_->setObjectName(QStringLiteral("title"));
    title_->setTextFormat(Qt::PlainText);
    QFont headline = NiveloTheme::font(NiveloTheme::FontRole::headline);
    headline.setWeight(QFont::DemiBold);
    title_->setFont(headline);
    headerRow->addWidget(title_);
    headerRow->addStretch(1);
    newChat_ = new PaintedButton(header);
    newChat_->setObjectName(QStringLiteral("newChatButton"));
    PaintedButton::Look newChatLook;
    newChatLook.fixedWidth = 26;
    newChatLook.fixedHeight = 24;
    newChat_->setLook(newChatLook);
    connect(newChat_, &QAbstractButton::clicked, this, [this] {
        if (controller_) {
            controller_->newChat();
        }
    });
    headerRow->addWidget(newChat_);
    replyStyle_ = new PaintedButton(header);
    replyStyle_->setObjectName(QStringLiteral("replyStyleButton"));
    replyStyleMenu_ = new QMenu(replyStyle_);
    replyStyleMenu_->setObjectName(QStringLiteral("replyStyleMenu"));
    connect(replyStyle_, &QAbstractButton::clicked, this, [this] {
        replyStyleMenu_->popup(replyStyle_->mapToGlobal(QPoint(0, replyStyle_->height() + 2)));
    });
    headerRow->addWidget(replyStyle_);
    column->addWidget(header);

    transcript_ = new AssistantTranscript(this);
    transcript_->setObjectName(QStringLiteral("transcript"));
    connect(transcript_, &AssistantTranscript::copyClicked, this, [this](const QUuid& id) {
        if (!controller_) {
            return;
        }
        for (const AssistantConversationTurn& turn : controller_->turns()) {
            if (turn.id == id) {
                controller_->copyMessage(turn);
                return;
            }
        }
    });
    column->addWidget(transcript_, 1);

    error_ = new QLabel(this);
    error_->setObjectName(QStringLiteral("errorLabel"));
    error_->setTextFormat(Qt::PlainText);
    error_->setWordWrap(true);
    error_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    QFont footnote = NiveloTheme::font(NiveloTheme::FontRole::footnote);
    footnote.setWeight(QFont::DemiBold);
    error_->setFont(footnote);
    column->addWidget(error_);

    composer_ = new AssistantComposer(this);
    composer_->setObjectName(QStringLiteral("composer"));
    connect(composer_, &AssistantComposer::contextChipClicked, this, [this] {
        if (controller_) {
            controller_->setContextEnabled(!controller_->contextEnabled());
        }
    });
    connect(composer_, &AssistantComposer::pasteResultClicked, this, [this] {
        if (controller_) {
            controller_->pasteResult();
        }
    });
    connect(composer_, &AssistantComposer::requestEdited, this, [this](const QString& text) {
        if (controller_) {
            controller_->setRequestText(text);
        }
    });
    // The submit key sends even where the send button is disabled; run() decides.
    connect(composer_, &AssistantComposer::sendRequested, this, [this] {
        if (controller_) {
            controller_->run();
        }
    });
    column->addWidget(composer_);

    replyBar_ = new AssistantReplyBar(this);
    replyBar_->setObjectName(QStringLiteral("replyBar"));
    const auto call = [this](void (AssistantPanelController::*operation)()) {
        return [this, operation] {
            if (controller_) {
                (controller_.data()->*operation)();
            }
        };
    };
    connect(replyBar_, &AssistantReplyBar::regenerateClicked, this,
            call(&AssistantPanelController::regenerateReply));
    connect(replyBar_, &AssistantReplyBar::addEmojisClicked, this,
            call(&AssistantPanelController::addEmojisToReply));
    connect(replyBar_, &AssistantReplyBar::translateClicked, this,
            call(&AssistantPanelController::translateReply));
    connect(replyBar_, &AssistantReplyBar::copyClicked, this,
            call(&AssistantPanelController::copyResult));
    connect(replyBar_, &AssistantReplyBar::pasteClicked, this,
            call(&AssistantPanelController::pasteResult));
    connect(replyBar_, &AssistantReplyBar::languageChipClicked, this,
            [this] { setLanguageListVisible(!languageListVisible_); });
    column->addWidget(replyBar_);

    languageList_ = new AssistantLanguageList(this);
    languageList_->setObjectName(QStringLiteral("languageList"));
    languageList_->hide();
    // The list follows its chip wherever the layout moves it.
    replyBar_->installEventFilter(this);
    replyBar_->languageChip()->installEventFilter(this);
    connect(languageList_, &AssistantLanguageList::languageChosen, this,
            &AssistantPanel::chooseLanguage);

    addPanelCloseButton(this, [this] {
        if (controller_) {
            controller_->hidePanel();
        }
    });

    const auto changed = [this] { refresh(); };
    AssistantPanelController* c = &controller;
    connect(c, &AssistantPanelController::contextTextChanged, this, changed);
    connect(c, &AssistantPanelController::contextEnabledChanged, this, changed);
    connect(c, &AssistantPanelController::requestTextChanged, this, changed);
    connect(c, &AssistantPanelController::resultTextChanged, this, changed);
    connect(c, &AssistantPanelController::turnsChanged, this, changed);
    connect(c, &AssistantPanelController::copiedTurnIDChanged, this, changed);
    connect(c, &AssistantPanelController::isRunningChanged, this, changed);
    connect(c, &AssistantPanelController::errorTextChanged, this, changed);
    connect(c, &AssistantPanelController::appearanceModeChanged, this, changed);
    connect(c, &AssistantPanelController::surfaceModeChanged, this, changed);
    connect(c, &AssistantPanelController::uiLanguageChanged, this, changed);
    connect(c, &AssistantPanelController::isReplyModeChanged, this, changed);
    connect(c, &AssistantPanelController::replyStyleNameChanged, this, changed);
    connect(c, &AssistantPanelController::replyStylesChanged, this, changed);
    connect(c, &AssistantPanelController::selectedReplyStyleIDChanged, this, changed);
    connect(c, &AssistantPanelController::replyTranslationLanguageChanged, this, changed);
    refresh();
}

void AssistantPanel::setLanguageListVisible(bool visible) {
    if (languageListVisible_ != visible) {
        languageListVisible_ = visible;
        refresh();
    }
}

void AssistantPanel::chooseLanguage(const QString& language) {
    // Closed first, then chosen: the choice may start a translation.
    setLanguageListVisible(false);
    if (controller_) {
        controller_->selectReplyTranslationLanguage(language);
    }
}

void AssistantPanel::refresh() {
    if (!controller_) {
        return;
    }
    const AssistantPanelState state = AssistantPanelState::of(*controller_, languageListVisible_);
    model_ = assistantPanelModel(state);
    nameParts(window(), controller_->uiLanguage());

    const QColor primary = palette().color(QPalette::WindowText);
    headerSymbol_->setPixmap(ThemeIcons::pixmap(QStringLiteral("bubble.left.and.bubble.right"),
                                                primary, kHeaderSymbolSize, devicePixelRatioF()));
    title_->setText(model_.title);
    title_->setAccessibleName(model_.title);

    newChat_->setVisible(model_.showsNewChat);
    PaintedButton::Look newChatLook = newChat_->look();
    newChatLook.leading = {{model_.newChat.symbol, 16}};
    newChat_->setLook(newChatLook);
    newChat_->setToolTip(model_.newChat.toolTip);
    newChat_->setAccessibleName(model_.newChat.toolTip);

    replyStyle_->setVisible(model_.showsReplyStyleMenu);
    PaintedButton::Look styleLook;
    styleLook.text = model_.replyStyleLabel;
    QFont caption = NiveloTheme::font(NiveloTheme::FontRole::caption);
    caption.setWeight(QFont::DemiBold);
    styleLook.font = caption;
    styleLook.padding = {9, 5, 9, 5};
    styleLook.shape = PaintedButton::Shape::capsule;
    styleLook.fill = {ThemeColor::Role::primary, 0.045};
    replyStyle_->setLook(styleLook);
    replyStyle_->setEnabled(model_.replyStyleMenuEnabled);
    replyStyle_->setToolTip(model_.replyStyleToolTip);
    replyStyle_->setAccessibleName(model_.replyStyleToolTip);
    replyStyleMenu_->setAccessibleName(model_.replyStyleToolTip);
    if (!model_.replyStyleMenuEnabled) {
        replyStyleMenu_->hide();
    }
    rebuildReplyStyleMenu();

    // Typing changes the request alone: the transcript is left as it is.
    TranscriptInputs inputs{state.turns, state.copiedTurnID, state.uiLanguage, state.isRunning};
    if (inputs != transcriptInputs_) {
        transcriptInputs_ = std::move(inputs);
        transcript_->setModel(model_);
    }
    const int turnCount = int(model_.turns.size());
    if (refreshed_ && (turnCount != lastTurnCount_ || state.isRunning != lastRunning_)) {
        transcript_->scrollToBottom();
    }
    lastTurnCount_ = turnCount;
    lastRunning_ = state.isRunning;
    refreshed_ = true;

    error_->setVisible(!model_.errorText.isEmpty());
    error_->setText(model_.errorText);
    error_->setAccessibleName(model_.errorText);
    QPalette errorPalette = error_->palette();
    errorPalette.setColor(QPalette::WindowText, orange(palette()));
    error_->setPalette(errorPalette);

    composer_->setVisible(model_.showsComposer);
    composer_->setModel(model_, state.requestText);
    replyBar_->setVisible(model_.showsReplyBar);
    replyBar_->setModel(model_);

    languageList_->setCurrent(state.replyTranslationLanguage, model_.languageChip.toolTip);
    const bool listShown = model_.showsLanguageList && model_.showsReplyBar;
    if (listShown) {
        placeLanguageList();
        languageList_->raise();
    }
    languageList_->setVisible(listShown);
}

void AssistantPanel::rebuildReplyStyleMenu() {
    if (menuEntries_ == model_.replyStyleEntries && !replyStyleMenu_->isEmpty()) {
        return;
    }
    menuEntries_ = model_.replyStyleEntries;
    replyStyleMenu_->clear();
    const QColor primary = palette().color(QPalette::WindowText);
    for (const AssistantReplyStyleEntry& entry : menuEntries_) {
        QAction* action = replyStyleMenu_->addAction(escapedMnemonic(entry.name));
        if (entry.checked) {
            action->setIcon(ThemeIcons::icon(QStringLiteral("checkmark"), primary, 14));
        }
        const QString id = entry.id;
        connect(action, &QAction::triggered, this, [this, id] {
            if (controller_) {
                controller_->selectReplyStyle(id);
            }
        });
    }
}

void AssistantPanel::placeLanguageList() {
    PaintedButton* chip = replyBar_->languageChip();
    const QPoint chipBottomLeft = chip->mapTo(this, QPoint(0, chip->height()));
    languageList_->move(chipBottomLeft.x(),
                        chipBottomLeft.y() - kLanguageListLift - languageList_->height());
}

bool AssistantPanel::eventFilter(QObject* watched, QEvent* event) {
    if ((event->type() == QEvent::Move || event->type() == QEvent::Resize) &&
        languageList_->isVisible()) {
        placeLanguageList();
    }
    return QWidget::eventFilter(watched, event);
}

void AssistantPanel::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (languageList_->isVisible()) {
        placeLanguageList();
    }
}

void AssistantPanel::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange) {
        // Symbols and the error line are tinted from the palette: a new appearance redraws them.
        transcriptInputs_.reset();
        refresh();
    }
}

void AssistantPanel::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (languageList_->isVisible()) {
        placeLanguageList();
    }
    if (composer_->isVisible()) {
        composer_->editor()->setFocus(Qt::OtherFocusReason);
    }
}
