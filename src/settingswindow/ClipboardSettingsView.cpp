#include "settingswindow/ClipboardSettingsView.h"

#include <QCheckBox>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QToolButton>
#include <QVBoxLayout>

#include "base/NiveloError.h"
#include "capture/PasteboardService.h"
#include "clipboard/ClipboardHistoryService.h"
#include "settingswindow/ClampedTextLabel.h"
#include "settingswindow/SettingsBinding.h"
#include "settingswindow/SettingsBlock.h"
#include "settingswindow/SettingsStepper.h"
#include "state/NiveloAppState.h"
#include "theme/NiveloTheme.h"
#include "theme/ThemeIcons.h"

using NiveloTheme::Role;

namespace {

QToolButton* symbolButton(QWidget* parent) {
    auto* button = new QToolButton(parent);
    button->setAutoRaise(true);
    button->setIconSize(QSize(16, 16));
    button->setFixedSize(26, 26);
    return button;
}

}  // namespace

QString localizedClipboardDays(const QString& days, UiLanguage lang) {
    if (days == QLatin1String("forever")) {
        return tr2(lang, QStringLiteral("forever"), QStringLiteral("всегда"));
    }
    return days;
}

ClipboardPageModel clipboardPageModel(const NiveloSettings& s,
                                      const QList<ClipboardHistoryItem>& items) {
    const UiLanguage lang = s.uiLanguage;
    ClipboardPageModel m;
    m.historyToggle = tr2(lang, QStringLiteral("Keep local clipboard history"),
                          QStringLiteral("Хранить локальную историю буфера"));
    m.historyEnabled = s.clipboardHistoryEnabled;
    m.limit = s.clipboardLimit;
    m.limitText = tr2(lang, QStringLiteral("History limit"), QStringLiteral("Лимит истории")) +
                  QStringLiteral(": ") + QString::number(s.clipboardLimit);
    m.daysTitle = tr2(lang, QStringLiteral("Keep for days"), QStringLiteral("Хранить дней"));
    m.days = localizedClipboardDays(s.clipboardDays, lang);
    m.clearTitle = tr2(lang, QStringLiteral("Clear history"), QStringLiteral("Очистить историю"));
    m.recentHeading =
        tr2(lang, QStringLiteral("Recent clipboard"), QStringLiteral("Недавний буфер"));
    if (items.isEmpty()) {
        m.emptyText = tr2(lang, QStringLiteral("Clipboard history is empty."),
                          QStringLiteral("История буфера пуста."));
    }
    for (const ClipboardHistoryItem& item : items) {
        m.rows.append({item.id, item.text});
    }
    m.pasteTitle = tr2(lang, QStringLiteral("Paste"), QStringLiteral("Вставить"));
    m.deleteTitle = tr2(lang, QStringLiteral("Delete"), QStringLiteral("Удалить"));
    return m;
}

ClipboardSettingsView::ClipboardSettingsView(NiveloAppState& state, QWidget* parent)
    : QWidget(parent), state_(state) {
    auto* page = new QVBoxLayout(this);
    page->setContentsMargins(0, 0, 0, 0);
    page->setSpacing(14);

    auto* settingsBlock = new SettingsBlock(this);
    QVBoxLayout* settings = settingsBlock->contentLayout();
    settings->setSpacing(12);
    enabled_ = new QCheckBox(settingsBlock);
    enabled_->setFont(NiveloTheme::font(NiveloTheme::FontRole::body));
    settings->addWidget(enabled_);
    connect(enabled_, &QCheckBox::toggled, this,
            [this](bool on) { binding(state_, &NiveloSettings::clipboardHistoryEnabled).set(on); });

    limit_ = new SettingsStepper(kMinimumLimit, kMaximumLimit, settingsBlock);
    limit_->setObjectName(QStringLiteral("limitStepper"));
    settings->addWidget(limit_);
    connect(limit_, &SettingsStepper::valueStepped, this,
            [this](int value) { binding(state_, &NiveloSettings::clipboardLimit).set(value); });

    auto* daysRow = new QHBoxLayout();
    daysRow->setSpacing(8);
    daysTitle_ = new QLabel(settingsBlock);
    days_ = new QLabel(settingsBlock);
    for (QLabel* label : {daysTitle_, days_}) {
        label->setTextFormat(Qt::PlainText);
        label->setFont(NiveloTheme::font(NiveloTheme::FontRole::body));
        daysRow->addWidget(label);
    }
    daysTitle_->setBuddy(days_);
    daysRow->addStretch(1);
    settings->addLayout(daysRow);

    clear_ = new QPushButton(settingsBlock);
    clear_->setObjectName(QStringLiteral("clearHistory"));
    settings->addWidget(clear_, 0, Qt::AlignLeft);
    // Right away, without asking: the status says it happened.
    connect(clear_, &QPushButton::clicked, this, [this] { state_.clearClipboardHistory(); });
    page->addWidget(settingsBlock);

    auto* recentBlock = new SettingsBlock(this);
    QVBoxLayout* recent = recentBlock->contentLayout();
    recent->setSpacing(10);
    heading_ = new QLabel(recentBlock);
    heading_->setTextFormat(Qt::PlainText);
    heading_->setFont(NiveloTheme::font(NiveloTheme::FontRole::headline));
    recent->addWidget(heading_);
    empty_ = new QLabel(recentBlock);
    empty_->setObjectName(QStringLiteral("emptyLabel"));
    empty_->setTextFormat(Qt::PlainText);
    empty_->setFont(NiveloTheme::font(NiveloTheme::FontRole::body));
    recent->addWidget(empty_);
    rowsLayout_ = new QVBoxLayout();
    rowsLayout_->setSpacing(8);
    recent->addLayout(rowsLayout_);
    page->addWidget(recentBlock);

    connect(&state_, &NiveloAppState::settingsChanged, this, &ClipboardSettingsView::refresh);
    connect(&state_.clipboardHistory(), &ClipboardHistoryService::itemsChanged, this,
            &ClipboardSettingsView::refresh);
    refresh();
    recolour();
}

QStringList ClipboardSettingsView::rowTexts() const {
    QStringList texts;
    for (const QString& id : order_) {
        texts << rows_.value(id).text->fullText();
    }
    return texts;
}

ClipboardSettingsView::EntryRow ClipboardSettingsView::makeRow(const QString& id) {
    EntryRow row;
    row.frame = new RoundedBox(QStringLiteral("Row"), settingsCardLook(10, 0.055, false), this);
    row.frame->setObjectName(QStringLiteral("entry:") + id);
    auto* layout = new QHBoxLayout(row.frame);
    layout->setContentsMargins(10, 10, 10, 10);
    layout->setSpacing(10);
    row.text = new ClampedTextLabel(3, row.frame);
    row.text->setFont(NiveloTheme::font(NiveloTheme::FontRole::body));
    row.paste = symbolButton(row.frame);
    row.paste->setObjectName(QStringLiteral("paste"));
    row.remove = symbolButton(row.frame);
    row.remove->setObjectName(QStringLiteral("delete"));
    layout->addWidget(row.text, 1, Qt::AlignTop);
    layout->addWidget(row.paste, 0, Qt::AlignTop);
    layout->addWidget(row.remove, 0, Qt::AlignTop);
    connect(row.paste, &QToolButton::clicked, this, [this, id] {
        const auto it = rows_.find(id);
        if (it != rows_.end()) {
            paste(QPointer<NiveloAppState>(&state_), it->text->fullText());
        }
    });
    connect(row.remove, &QToolButton::clicked, this, [this, id] { deleteEntry(id); });
    return row;
}

void ClipboardSettingsView::deleteEntry(const QString& id) {
    ClipboardHistoryService& history = state_.clipboardHistory();
    QList<ClipboardHistoryItem> items = history.items();
    items.removeIf([&](const ClipboardHistoryItem& item) { return item.id == id; });
    history.setItems(items);
    history.save();
}

QCoro::Task<> ClipboardSettingsView::paste(QPointer<NiveloAppState> state, QString text) {
    if (!state) {
        co_return;
    }
    PasteboardService& pasteboard = state->pasteboard();
    QString failure;
    bool failed = false;
    try {
        co_await pasteboard.pasteTransient(std::move(text), std::nullopt,
                                           PasteboardTiming::standard());
    } catch (const std::exception& e) {
        failed = true;
        failure = errorDescription(e);
    }
    if (!state) {
        co_return;
    }
    // The entry stays either way; the status alone tells how it went.
    const ActionStatus status =
        failed ? ActionStatus::failed(failure)
               : ActionStatus::done(tr2(state->settings().uiLanguage, QStringLiteral("Pasted"),
                                        QStringLiteral("Вставлено")));
    state->setStatus(status);
}

void ClipboardSettingsView::refresh() {
    const ClipboardPageModel m =
        clipboardPageModel(state_.settings(), state_.clipboardHistory().items());
    {
        const QSignalBlocker blocker(enabled_);
        enabled_->setText(m.historyToggle);
        enabled_->setChecked(m.historyEnabled);
    }
    limit_->setText(m.limitText);
    limit_->setValue(m.limit);
    const UiLanguage lang = state_.settings().uiLanguage;
    limit_->setButtonNames(tr2(lang, QStringLiteral("Fewer"), QStringLiteral("Меньше")),
                           tr2(lang, QStringLiteral("More"), QStringLiteral("Больше")));
    daysTitle_->setText(m.daysTitle);
    days_->setText(m.days);
    days_->setAccessibleName(m.daysTitle);
    clear_->setText(m.clearTitle);
    clear_->setAccessibleName(m.clearTitle);
    heading_->setText(m.recentHeading);
    empty_->setText(m.emptyText);
    empty_->setVisible(m.rows.isEmpty());

    // Rows are kept by id and put back in the history's order.
    QHash<QString, EntryRow> kept;
    order_.clear();
    for (const auto& r : m.rows) {
        if (kept.contains(r.id)) {
            continue;
        }
        EntryRow row = rows_.contains(r.id) ? rows_.take(r.id) : makeRow(r.id);
        row.text->setFullText(r.text);
        row.paste->setAccessibleName(m.pasteTitle);
        row.paste->setToolTip(m.pasteTitle);
        row.remove->setAccessibleName(m.deleteTitle);
        row.remove->setToolTip(m.deleteTitle);
        rowsLayout_->removeWidget(row.frame);
        rowsLayout_->addWidget(row.frame);
        kept.insert(r.id, row);
        order_ << r.id;
    }
    for (const EntryRow& gone : std::as_const(rows_)) {
        delete gone.frame;
    }
    rows_ = kept;
    recolour();
}

void ClipboardSettingsView::recolour() {
    if (!empty_) {
        return;
    }
    // Only the text roles are set, so the rest still follows the window's palette.
    QPalette secondary;
    secondary.setColor(QPalette::WindowText, NiveloTheme::color(Role::secondaryLabel, palette()));
    empty_->setPalette(secondary);
    days_->setPalette(secondary);
    const QColor red = NiveloTheme::color(Role::red, palette());
    QPalette destructive;
    destructive.setColor(QPalette::ButtonText, red);
    clear_->setPalette(destructive);
    const QColor ink = palette().color(QPalette::WindowText);
    for (const EntryRow& row : std::as_const(rows_)) {
        row.paste->setIcon(ThemeIcons::icon(QStringLiteral("arrow.turn.down.left"), ink, 16));
        row.remove->setIcon(ThemeIcons::icon(QStringLiteral("trash"), red, 16));
    }
}

void ClipboardSettingsView::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange) {
        recolour();
    }
}
