#include "settingswindow/StyleEditorCardBase.h"

#include <QAbstractTextDocumentLayout>
#include <QEvent>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QTextEdit>
#include <QToolButton>
#include <QVBoxLayout>
#include <cmath>

#include "base/Text.h"
#include "settingswindow/HotkeyRecorderField.h"
#include "settingswindow/SettingsBlock.h"
#include "settingswindow/SwitchCheckBox.h"
#include "state/NiveloAppState.h"
#include "theme/LineBreakKeyFilter.h"
#include "theme/NiveloTheme.h"
#include "theme/ThemeIcons.h"

StyleEditorCardBase::StyleEditorCardBase(NiveloAppState& state, const QString& id,
                                         HotkeyService::Action::Kind kind, int recorderWidth,
                                         bool hasAutoToggle, QWidget* parent)
    : RoundedBox(id, settingsCardLook(14, 0.055, true), parent), state_(state), id_(id) {
    setObjectName(QStringLiteral("card:") + id);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(12, 12, 12, 12);
    column->setSpacing(10);

    auto* row = new QHBoxLayout();
    row->setSpacing(8);
    name_ = new QLineEdit(this);
    name_->setObjectName(QStringLiteral("nameField"));
    row->addWidget(name_, 1);
    connect(name_, &QLineEdit::textEdited, this,
            [this](const QString& text) { write(Field::name, text); });

    recorder_ = new HotkeyRecorderField(QString(), recorderWidth, this);
    recorder_->setObjectName(QStringLiteral("hotkey"));
    recorder_->setCommand({kind, id});
    row->addWidget(recorder_);
    connect(recorder_, &HotkeyRecorderField::hotkeyEdited, this,
            [this](const QString& hotkey) { write(Field::hotkey, hotkey); });

    if (hasAutoToggle) {
        auto_ = new SwitchCheckBox(this);
        auto_->setObjectName(QStringLiteral("auto"));
        row->addWidget(auto_);
        connect(auto_, &QCheckBox::toggled, this, [this](bool on) { writeAutoReplace(on); });
    }
    delete_ = new QToolButton(this);
    delete_->setObjectName(QStringLiteral("delete"));
    delete_->setAutoRaise(true);
    delete_->setIconSize(QSize(15, 15));
    delete_->setFocusPolicy(Qt::TabFocus);
    row->addWidget(delete_);
    connect(delete_, &QToolButton::clicked, this, [this] { remove(); });
    column->addLayout(row);

    auto* frame = new RoundedBox(QStringLiteral("Prompt"), settingsCardLook(9, 0.055, true), this);
    auto* frameLayout = new QVBoxLayout(frame);
    frameLayout->setContentsMargins(6, 6, 6, 6);
    prompt_ = new QTextEdit(frame);
    prompt_->setObjectName(QStringLiteral("prompt"));
    prompt_->setAcceptRichText(false);
    prompt_->setFrameShape(QFrame::NoFrame);
    prompt_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    prompt_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    prompt_->setTabChangesFocus(true);
    QFont font = prompt_->font();
    font.setPixelSize(12);
    prompt_->setFont(font);
    // Only the base is set, so the text colours follow the window's palette.
    QPalette clearBase;
    clearBase.setColor(QPalette::Base, Qt::transparent);
    prompt_->setPalette(clearBase);
    prompt_->setMinimumHeight(kPromptMinimumHeight);
    LineBreakKeyFilter::install(prompt_);
    frameLayout->addWidget(prompt_);
    column->addWidget(frame);
    connect(prompt_->document()->documentLayout(),
            &QAbstractTextDocumentLayout::documentSizeChanged, this,
            &StyleEditorCardBase::fitPrompt);
    connect(prompt_, &QTextEdit::textChanged, this,
            [this] { write(Field::prompt, text::documentText(*prompt_->document())); });
    recolour();
}

void StyleEditorCardBase::show(const StyleCardModel& m, UiLanguage lang) {
    // A field that already shows the text is left alone: its caret and selection stay.
    if (name_->text() != m.name) {
        const QSignalBlocker blocker(name_);
        name_->setText(m.name);
    }
    const QString nameLabel = tr2(lang, QStringLiteral("Name"), QStringLiteral("Название"));
    name_->setPlaceholderText(nameLabel);
    name_->setAccessibleName(nameLabel);
    recorder_->setHotkey(m.hotkey);
    recorder_->setAccessibleTitle(m.name);
    if (auto_) {
        const QSignalBlocker blocker(auto_);
        auto_->setChecked(m.autoReplace.value_or(false));
        auto_->setLabel(tr2(lang, QStringLiteral("Auto"), QStringLiteral("Авто")));
    }
    delete_->setVisible(m.canDelete);
    delete_->setAccessibleName(tr2(lang, QStringLiteral("Delete"), QStringLiteral("Удалить")));
    if (!text::documentShows(*prompt_->document(), m.prompt)) {
        const QSignalBlocker blocker(prompt_);
        prompt_->setPlainText(m.prompt);
        fitPrompt();
    }
    prompt_->setAccessibleName(tr2(lang, QStringLiteral("Prompt"), QStringLiteral("Промпт")));
    setAccessibleName(m.name);
}

void StyleEditorCardBase::fitPrompt() {
    const int height =
        int(std::ceil(prompt_->document()->size().height())) + 2 * prompt_->frameWidth();
    prompt_->setFixedHeight(std::max(kPromptMinimumHeight, height));
}

void StyleEditorCardBase::recolour() {
    // A destructive control: drawn in red for the scheme.
    const ColorScheme scheme = palette().color(QPalette::Window).lightness() < 128
                                   ? ColorScheme::dark
                                   : ColorScheme::light;
    delete_->setIcon(ThemeIcons::icon(QStringLiteral("trash"),
                                      NiveloTheme::color(NiveloTheme::Role::red, scheme), 15));
}

void StyleEditorCardBase::changeEvent(QEvent* event) {
    RoundedBox::changeEvent(event);
    if (event->type() == QEvent::PaletteChange && delete_) {
        recolour();
    }
}
