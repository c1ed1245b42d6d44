#include "settingswindow/QuickMenuSettingsView.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QSignalBlocker>
#include <QToolButton>
#include <QVBoxLayout>

#include "settingswindow/HotkeyRecorderField.h"
#include "settingswindow/QuickMenuModel.h"
#include "settingswindow/SettingsBinding.h"
#include "settingswindow/SettingsBlock.h"
#include "settingswindow/SettingsToggle.h"
#include "state/NiveloAppState.h"
#include "theme/NiveloTheme.h"
#include "theme/ThemeIcons.h"

namespace {

constexpr double kEnabledFill = 0.075;
constexpr double kDisabledFill = 0.035;

QLabel* plainLabel(QWidget* parent, NiveloTheme::FontRole role = NiveloTheme::FontRole::body) {
    auto* label = new QLabel(parent);
    label->setTextFormat(Qt::PlainText);
    label->setFont(NiveloTheme::font(role));
    return label;
}

QToolButton* arrowButton(QWidget* parent) {
    auto* button = new QToolButton(parent);
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::TabFocus);
    button->setIconSize(QSize(14, 14));
    return button;
}

// Drawn faint when disabled: the style's own disabled form barely differs on a dark palette.
QIcon arrowIcon(const QString& symbol, const QColor& ink, qreal dpr) {
    QIcon icon;
    icon.addPixmap(ThemeIcons::pixmap(symbol, ink, 14, dpr), QIcon::Normal);
    icon.addPixmap(ThemeIcons::pixmap(symbol, NiveloTheme::withOpacity(ink, 0.25), 14, dpr),
                   QIcon::Disabled);
    return icon;
}

}  // namespace

QuickMenuPageModel quickMenuPageModel(const NiveloAppState& state) {
    const NiveloSettings& s = state.settings();
    const UiLanguage lang = s.uiLanguage;
    QuickMenuPageModel m;
    m.sizeLabel = tr2(lang, QStringLiteral("Size"), QStringLiteral("Размер"));
    const QList<MenuScale> scales = allCases<MenuScale>();
    for (const MenuScale scale : scales) {
        m.sizeOptions << localizedTitle(scale, lang);
    }
    m.sizeIndex = int(scales.indexOf(s.quickMenuSize));
    m.hotkeyLabel = tr2(lang, QStringLiteral("Hotkey"), QStringLiteral("Хоткей"));
    m.selectAllTitle = tr2(lang, QStringLiteral("Select all before Fix, Translate, and styles"),
                           QStringLiteral("Выделять всё перед исправлением, переводом и стилями"));
    m.selectAll = s.autoSelectAllBeforeAction;
    m.actionsHeading = tr2(lang, QStringLiteral("Actions"), QStringLiteral("Действия"));
    const QList<QuickAction> actions = QuickMenuModel::orderedActions(s, state.promptStyles());
    const QStringList enabled = QuickMenuModel::enabledIds(s);
    for (int i = 0; i < actions.size(); ++i) {
        const QuickAction& action = actions[i];
        m.rows.append({action.id, state.title(action), action.symbolName(),
                       enabled.contains(action.id), i > 0, i < actions.size() - 1});
    }
    return m;
}

QuickMenuSettingsView::QuickMenuSettingsView(NiveloAppState& state, QWidget* parent)
    : QWidget(parent), state_(state) {
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    auto* block = new SettingsBlock(this);
    outer->addWidget(block);
    QVBoxLayout* column = block->contentLayout();
    column->setSpacing(12);

    auto* sizeRow = new QHBoxLayout();
    sizeRow->setSpacing(8);
    sizeLabel_ = plainLabel(block);
    size_ = new QComboBox(block);
    size_->setObjectName(QStringLiteral("sizePicker"));
    sizeLabel_->setBuddy(size_);
    sizeRow->addWidget(sizeLabel_);
    sizeRow->addWidget(size_);
    sizeRow->addStretch(1);
    column->addLayout(sizeRow);
    connect(size_, &QComboBox::currentIndexChanged, this, [this](int index) {
        const QList<MenuScale> scales = allCases<MenuScale>();
        if (index >= 0 && index < scales.size()) {
            binding(state_, &NiveloSettings::quickMenuSize).set(scales[index]);
        }
    });

    auto* hotkeyRow = new QHBoxLayout();
    hotkeyRow->setSpacing(8);
    hotkeyLabel_ = plainLabel(block);
    recorder_ = new HotkeyRecorderField(state_.settings().quickMenuHotkey, kRecorderWidth, block);
    recorder_->setCommand({HotkeyService::Action::Kind::quickMenu, {}});
    connect(recorder_, &HotkeyRecorderField::hotkeyEdited, this, [this](const QString& hotkey) {
        binding(state_, &NiveloSettings::quickMenuHotkey).set(hotkey);
    });
    hotkeyLabel_->setBuddy(recorder_);
    hotkeyRow->addWidget(hotkeyLabel_);
    hotkeyRow->addWidget(recorder_);
    hotkeyRow->addStretch(1);
    column->addLayout(hotkeyRow);

    // Its long Russian title wraps rather than widening the page.
    selectAll_ = new SettingsToggle(block);
    column->addWidget(selectAll_);
    connect(selectAll_, &SettingsToggle::toggled, this, [this](bool on) {
        binding(state_, &NiveloSettings::autoSelectAllBeforeAction).set(on);
    });

    auto* actions = new QVBoxLayout();
    actions->setSpacing(8);
    actionsHeading_ = plainLabel(block, NiveloTheme::FontRole::headline);
    actions->addWidget(actionsHeading_);
    rowsLayout_ = new QVBoxLayout();
    rowsLayout_->setSpacing(8);
    actions->addLayout(rowsLayout_);
    column->addLayout(actions);

    connect(&state_, &NiveloAppState::settingsChanged, this, &QuickMenuSettingsView::refresh);
    refresh();
}

QuickMenuSettingsView::ActionRow QuickMenuSettingsView::makeRow(const QString& id) {
    ActionRow row;
    row.panel = new RoundedBox(id, settingsCardLook(11, kEnabledFill, false), this);
    row.panel->setObjectName(QStringLiteral("action:") + id);
    auto* layout = new QHBoxLayout(row.panel);
    layout->setContentsMargins(10, 10, 10, 10);
    layout->setSpacing(10);
    row.toggle = new QCheckBox(row.panel);
    row.toggle->setObjectName(QStringLiteral("toggle"));
    row.icon = new QLabel(row.panel);
    row.icon->setFixedSize(16, 16);
    row.title = plainLabel(row.panel);
    row.up = arrowButton(row.panel);
    row.up->setObjectName(QStringLiteral("up"));
    row.down = arrowButton(row.panel);
    row.down->setObjectName(QStringLiteral("down"));
    layout->addWidget(row.toggle);
    layout->addWidget(row.icon);
    layout->addWidget(row.title, 1);
    layout->addWidget(row.up);
    layout->addWidget(row.down);
    // The row's place is looked up when pressed: rows move without being rebuilt.
    connect(row.toggle, &QCheckBox::toggled, this,
            [this, id](bool on) { QuickMenuModel(state_).setAction(id, on); });
    connect(row.up, &QToolButton::clicked, this,
            [this, id] { QuickMenuModel(state_).moveAction(positionOf(id), -1); });
    connect(row.down, &QToolButton::clicked, this,
            [this, id] { QuickMenuModel(state_).moveAction(positionOf(id), +1); });
    return row;
}

void QuickMenuSettingsView::refresh() {
    const QuickMenuPageModel m = quickMenuPageModel(state_);
    const UiLanguage lang = state_.settings().uiLanguage;
    sizeLabel_->setText(m.sizeLabel);
    size_->setAccessibleName(m.sizeLabel);
    {
        const QSignalBlocker blocker(size_);
        for (int i = 0; i < m.sizeOptions.size(); ++i) {
            if (i < size_->count()) {
                size_->setItemText(i, m.sizeOptions[i]);
            } else {
                size_->addItem(m.sizeOptions[i]);
            }
        }
        size_->setCurrentIndex(m.sizeIndex);
    }
    hotkeyLabel_->setText(m.hotkeyLabel);
    recorder_->setHotkey(state_.settings().quickMenuHotkey);
    recorder_->setAccessibleTitle(m.hotkeyLabel);
    selectAll_->setText(m.selectAllTitle);
    selectAll_->setChecked(m.selectAll);
    actionsHeading_->setText(m.actionsHeading);

    const QColor ink = palette().color(QPalette::WindowText);
    const QIcon upIcon = arrowIcon(QStringLiteral("chevron.up"), ink, devicePixelRatioF());
    const QIcon downIcon = arrowIcon(QStringLiteral("chevron.down"), ink, devicePixelRatioF());
    QHash<QString, ActionRow> kept;
    order_.clear();
    for (const auto& r : m.rows) {
        ActionRow row = rows_.contains(r.id) ? rows_.take(r.id) : makeRow(r.id);
        row.panel->setLook(settingsCardLook(11, r.enabled ? kEnabledFill : kDisabledFill, false));
        row.panel->setAccessibleName(r.title);
        {
            const QSignalBlocker blocker(row.toggle);
            row.toggle->setChecked(r.enabled);
        }
        row.toggle->setAccessibleName(r.title);
        row.icon->setPixmap(ThemeIcons::pixmap(r.symbol, ink, 16, devicePixelRatioF()));
        row.title->setText(r.title);
        row.up->setIcon(upIcon);
        row.up->setEnabled(r.canMoveUp);
        row.up->setAccessibleName(tr2(lang, QStringLiteral("Move up: "), QStringLiteral("Выше: ")) +
                                  r.title);
        row.down->setIcon(downIcon);
        row.down->setEnabled(r.canMoveDown);
        row.down->setAccessibleName(
            tr2(lang, QStringLiteral("Move down: "), QStringLiteral("Ниже: ")) + r.title);
        if (rowsLayout_->indexOf(row.panel) != order_.size()) {
            rowsLayout_->removeWidget(row.panel);
            rowsLayout_->insertWidget(int(order_.size()), row.panel);
        }
        kept.insert(r.id, row);
        order_.append(r.id);
    }
    for (const ActionRow& gone : std::as_const(rows_)) {
        rowsLayout_->removeWidget(gone.panel);
        gone.panel->hide();
        gone.panel->setObjectName(QString());  // until it is deleted, only live rows go by id
        gone.panel->deleteLater();
    }
    rows_ = kept;
}

void QuickMenuSettingsView::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    // The symbols are drawn in the text colour.
    if (event->type() == QEvent::PaletteChange && rowsLayout_) {
        refresh();
    }
}
