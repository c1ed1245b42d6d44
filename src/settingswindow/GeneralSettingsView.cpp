#include "settingswindow/GeneralSettingsView.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "settingswindow/SettingsBinding.h"
#include "settingswindow/SettingsBlock.h"
#include "state/NiveloAppState.h"
#include "theme/NiveloTheme.h"

namespace {

template <typename T>
GeneralPageModel::Picker picker(const QString& label, T current, UiLanguage lang) {
    GeneralPageModel::Picker p{label, {}, 0};
    const QList<T> cases = allCases<T>();
    for (const T value : cases) {
        p.options << localizedTitle(value, lang);
    }
    p.current = int(cases.indexOf(current));
    return p;
}

template <typename T>
void bindCombo(QComboBox* combo, NiveloAppState& state, T NiveloSettings::*member) {
    QObject::connect(combo, &QComboBox::currentIndexChanged, combo, [&state, member](int index) {
        const QList<T> cases = allCases<T>();
        if (index >= 0 && index < cases.size()) {
            binding(state, member).set(cases[index]);
        }
    });
}

void setOptions(QComboBox* combo, const GeneralPageModel::Picker& p) {
    const QSignalBlocker blocker(combo);
    for (int i = 0; i < p.options.size(); ++i) {
        if (i < combo->count()) {
            combo->setItemText(i, p.options[i]);
        } else {
            combo->addItem(p.options[i]);
        }
    }
    combo->setCurrentIndex(p.current);
    combo->setAccessibleName(p.label);
}

}  // namespace

GeneralPageModel generalPageModel(const NiveloSettings& s) {
    const UiLanguage lang = s.uiLanguage;
    GeneralPageModel m;
    m.appearance = picker(tr2(lang, QStringLiteral("Appearance"), QStringLiteral("Внешний вид")),
                          s.appearanceMode, lang);
    m.language = {
        tr2(lang, QStringLiteral("Interface language"), QStringLiteral("Язык интерфейса")),
        {QStringLiteral("English"), QStringLiteral("Русский")},
        s.uiLanguage == UiLanguage::ru ? 1 : 0};
    m.menuSize = picker(tr2(lang, QStringLiteral("Menu size"), QStringLiteral("Размер меню")),
                        s.quickMenuSize, lang);
    m.toggles = {
        {tr2(lang, QStringLiteral("Open main window on launch"),
             QStringLiteral("Открывать окно при запуске")),
         s.openMainWindowOnLaunch},
        {tr2(lang, QStringLiteral("Show menu bar icon"),
             QStringLiteral("Показывать иконку в строке меню")),
         s.menuBarIconVisible},
        {tr2(lang, QStringLiteral("Keep NiveloAI in menu bar when closing"),
             QStringLiteral("Оставлять NiveloAI в строке меню при закрытии")),
         s.closeToMenuBar},
    };
    return m;
}

GeneralSettingsView::GeneralSettingsView(NiveloAppState& state, QWidget* parent)
    : QWidget(parent), state_(state) {
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    auto* block = new SettingsBlock(this);
    outer->addWidget(block, 0, Qt::AlignLeft | Qt::AlignTop);
    QVBoxLayout* column = block->contentLayout();

    auto addRow = [&](QComboBox* combo, int width) {
        auto* row = new QHBoxLayout();
        row->setContentsMargins(0, 6, 0, 6);
        row->setSpacing(16);
        auto* label = new QLabel(block);
        label->setTextFormat(Qt::PlainText);
        label->setFont(NiveloTheme::font(NiveloTheme::FontRole::body));
        label->setFixedWidth(150);
        label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        label->setBuddy(combo);
        labels_.append(label);
        auto* holder = new QWidget(block);
        holder->setFixedWidth(220);
        auto* holderLayout = new QHBoxLayout(holder);
        holderLayout->setContentsMargins(0, 0, 0, 0);
        combo->setParent(holder);
        combo->setFixedWidth(width);
        holderLayout->addWidget(combo, 0, Qt::AlignLeft);
        row->addWidget(label);
        row->addWidget(holder);
        row->addStretch(1);
        column->addLayout(row);
    };
    appearance_ = new QComboBox(block);
    language_ = new QComboBox(block);
    menuSize_ = new QComboBox(block);
    addRow(appearance_, 190);
    addRow(language_, 160);
    addRow(menuSize_, 160);
    bindCombo(appearance_, state_, &NiveloSettings::appearanceMode);
    bindCombo(language_, state_, &NiveloSettings::uiLanguage);
    bindCombo(menuSize_, state_, &NiveloSettings::quickMenuSize);

    auto* divider = new SettingsDivider(block);
    column->addSpacing(8);
    column->addWidget(divider);
    column->addSpacing(8);

    bool NiveloSettings::*const flags[] = {&NiveloSettings::openMainWindowOnLaunch,
                                           &NiveloSettings::menuBarIconVisible,
                                           &NiveloSettings::closeToMenuBar};
    for (const auto member : flags) {
        auto* toggle = new QCheckBox(block);
        toggle->setFont(NiveloTheme::font(NiveloTheme::FontRole::body));
        auto* row = new QHBoxLayout();
        row->setContentsMargins(0, 6, 0, 6);
        row->addWidget(toggle);
        column->addLayout(row);
        connect(toggle, &QCheckBox::toggled, this,
                [this, member](bool on) { binding(state_, member).set(on); });
        toggles_.append(toggle);
    }

    connect(&state_, &NiveloAppState::settingsChanged, this, &GeneralSettingsView::refresh);
    refresh();
}

void GeneralSettingsView::refresh() {
    const GeneralPageModel m = generalPageModel(state_.settings());
    const GeneralPageModel::Picker* pickers[] = {&m.appearance, &m.language, &m.menuSize};
    QComboBox* combos[] = {appearance_, language_, menuSize_};
    for (int i = 0; i < 3; ++i) {
        labels_[i]->setText(pickers[i]->label);
        setOptions(combos[i], *pickers[i]);
    }
    for (int i = 0; i < toggles_.size(); ++i) {
        const QSignalBlocker blocker(toggles_[i]);
        toggles_[i]->setText(m.toggles[i].title);
        toggles_[i]->setChecked(m.toggles[i].on);
    }
}
