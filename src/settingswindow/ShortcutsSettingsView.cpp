#include "settingswindow/ShortcutsSettingsView.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "settingswindow/HotkeyHolders.h"
#include "settingswindow/HotkeyRecorderField.h"
#include "settingswindow/SettingsBinding.h"
#include "settingswindow/SettingsBlock.h"
#include "state/NiveloAppState.h"
#include "theme/NiveloTheme.h"

namespace {

QString text2(UiLanguage lang, const char16_t* english, const char16_t* russian) {
    return tr2(lang, QString::fromUtf16(english), QString::fromUtf16(russian));
}

// The stored style with the copy's id, else the copy.
PromptStyle storedStyle(const NiveloSettings& settings, const PromptStyle& copy) {
    for (const PromptStyle& stored : settings.promptStyles) {
        if (stored.id == copy.id) {
            return stored;
        }
    }
    return copy;
}

}  // namespace

QString StyleHotkeyBinding::value() const {
    return storedStyle(state_.settings(), style_).hotkey;
}

void StyleHotkeyBinding::set(const QString& hotkey) const {
    PromptStyle edited = storedStyle(state_.settings(), style_);
    edited.hotkey = hotkey;
    state_.updatePromptStyle(edited);
}

StyleHotkeyBinding styleHotkeyBinding(NiveloAppState& state, const PromptStyle& style) {
    return StyleHotkeyBinding(state, style);
}

ShortcutsPageModel shortcutsPageModel(const NiveloAppState& state) {
    const NiveloSettings& s = state.settings();
    const UiLanguage lang = s.uiLanguage;
    ShortcutsPageModel m;
    for (const SettingsHotkey& key : settingsHotkeys()) {
        m.settingsRows.append({text2(lang, key.english, key.russian),
                               text2(lang, key.englishSubtitle, key.russianSubtitle),
                               s.*key.member});
    }
    m.stylesHeading = tr2(lang, QStringLiteral("Styles"), QStringLiteral("Стили"));
    for (const PromptStyle& style : state.promptStyles()) {
        m.styleRows.append(
            {state.styleTitle(style),
             style.autoReplace
                 ? tr2(lang, QStringLiteral("Auto replace"), QStringLiteral("Автозамена"))
                 : tr2(lang, QStringLiteral("Manual review"), QStringLiteral("Ручная проверка")),
             storedStyle(s, style).hotkey});
    }
    return m;
}

ShortcutsSettingsView::ShortcutsSettingsView(NiveloAppState& state, QWidget* parent)
    : QWidget(parent), state_(state) {
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    auto* block = new SettingsBlock(this);
    outer->addWidget(block, 0, Qt::AlignTop);
    QVBoxLayout* column = block->contentLayout();
    column->setSpacing(12);

    for (const SettingsHotkey& key : settingsHotkeys()) {
        Row row = hotkeyRow(block);
        row.recorder->setCommand({key.kind, {}});
        const auto member = key.member;
        connect(row.recorder, &HotkeyRecorderField::hotkeyEdited, this,
                [this, member](const QString& text) { binding(state_, member).set(text); });
        column->addWidget(row.widget);
        settingsRows_.append(row);
    }

    stylesHeading_ = new QLabel(block);
    stylesHeading_->setTextFormat(Qt::PlainText);
    stylesHeading_->setFont(NiveloTheme::font(NiveloTheme::FontRole::headline));
    column->addSpacing(4);
    column->addWidget(stylesHeading_);
    styleColumn_ = new QVBoxLayout();
    styleColumn_->setContentsMargins(0, 0, 0, 0);
    styleColumn_->setSpacing(12);
    column->addLayout(styleColumn_);

    connect(&state_, &NiveloAppState::settingsChanged, this, &ShortcutsSettingsView::refresh);
    connect(&state_, &NiveloAppState::promptStylesChanged, this, &ShortcutsSettingsView::refresh);
    refresh();
}

ShortcutsSettingsView::Row ShortcutsSettingsView::hotkeyRow(QWidget* parent) {
    Row row;
    row.widget = new RoundedBox(QStringLiteral("Row"), settingsCardLook(11, 0.055, false), parent);
    auto* layout = new QHBoxLayout(row.widget);
    layout->setContentsMargins(10, 10, 10, 10);
    layout->setSpacing(12);
    auto* texts = new QVBoxLayout();
    texts->setSpacing(2);
    row.title = new QLabel(row.widget);
    row.title->setTextFormat(Qt::PlainText);
    // Long Russian titles wrap rather than widening the page.
    row.title->setWordWrap(true);
    QFont titleFont = NiveloTheme::font(NiveloTheme::FontRole::body);
    titleFont.setWeight(QFont::Medium);
    row.title->setFont(titleFont);
    row.subtitle = new QLabel(row.widget);
    row.subtitle->setTextFormat(Qt::PlainText);
    row.subtitle->setWordWrap(true);
    row.subtitle->setFont(NiveloTheme::font(NiveloTheme::FontRole::caption));
    row.subtitle->setForegroundRole(QPalette::PlaceholderText);
    texts->addWidget(row.title);
    texts->addWidget(row.subtitle);
    // The texts take the room left of the recorder, and wrap only when that runs out.
    layout->addLayout(texts, 1);
    row.recorder = new HotkeyRecorderField(QString(), kRecorderWidth, row.widget);
    layout->addWidget(row.recorder, 0, Qt::AlignVCenter);
    return row;
}

void ShortcutsSettingsView::rebuildStyleRows() {
    // Rebuilt only when the list of styles changes, so a recording row is kept otherwise.
    for (const Row& row : styleRows_) {
        delete row.widget;
    }
    styleRows_.clear();
    styleIds_.clear();
    for (const PromptStyle& style : state_.promptStyles()) {
        Row row = hotkeyRow(stylesHeading_->parentWidget());
        row.recorder->setCommand({HotkeyService::Action::Kind::style, style.id});
        connect(
            row.recorder, &HotkeyRecorderField::hotkeyEdited, this,
            [this, style](const QString& text) { styleHotkeyBinding(state_, style).set(text); });
        styleColumn_->addWidget(row.widget);
        styleRows_.append(row);
        styleIds_.append(style.id);
    }
}

void ShortcutsSettingsView::refresh() {
    QStringList ids;
    for (const PromptStyle& style : state_.promptStyles()) {
        ids.append(style.id);
    }
    if (ids != styleIds_) {
        rebuildStyleRows();
    }
    const ShortcutsPageModel m = shortcutsPageModel(state_);
    const auto fill = [](const Row& row, const ShortcutsPageModel::Row& model) {
        row.title->setText(model.title);
        row.subtitle->setText(model.subtitle);
        row.recorder->setHotkey(model.hotkey);
        row.recorder->setAccessibleTitle(model.title);
        row.widget->setAccessibleName(model.title);
    };
    for (int i = 0; i < settingsRows_.size(); ++i) {
        fill(settingsRows_[i], m.settingsRows[i]);
    }
    for (int i = 0; i < styleRows_.size() && i < m.styleRows.size(); ++i) {
        fill(styleRows_[i], m.styleRows[i]);
    }
    stylesHeading_->setText(m.stylesHeading);
}
