#include "settingswindow/PermissionsSettingsView.h"

#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "settingswindow/SettingsBlock.h"
#include "state/NiveloAppState.h"
#include "theme/NiveloTheme.h"
#include "theme/ThemeIcons.h"

using Action = PermissionsPageModel::Action;
using NiveloTheme::Role;

namespace {

bool offersAnything(const PermissionOffers& o) {
    return o.canRequest || o.canReset || o.accessibilitySettings || o.inputMonitoringSettings;
}

QLabel* plainLabel(QWidget* parent, NiveloTheme::FontRole role) {
    auto* label = new QLabel(parent);
    label->setTextFormat(Qt::PlainText);
    label->setFont(NiveloTheme::font(role));
    return label;
}

// Only the text roles are set, so the rest still follows the window's palette.
void setTextColour(QWidget* widget, const QColor& colour) {
    QPalette p;
    p.setColor(QPalette::WindowText, colour);
    p.setColor(QPalette::ButtonText, colour);
    widget->setPalette(p);
}

}  // namespace

PermissionBadge permissionBadge(bool granted, bool grantable, UiLanguage lang) {
    if (granted) {
        return {grantable ? tr2(lang, QStringLiteral("Granted"), QStringLiteral("Разрешено"))
                          : tr2(lang, QStringLiteral("Available"), QStringLiteral("Доступно")),
                QStringLiteral("checkmark.circle.fill"), Role::green};
    }
    return {grantable ? tr2(lang, QStringLiteral("Needs Access"), QStringLiteral("Нужен доступ"))
                      : tr2(lang, QStringLiteral("Not available"), QStringLiteral("Недоступно")),
            QStringLiteral("exclamationmark.circle"), Role::orange};
}

PermissionsPageModel permissionsPageModel(const PermissionState& state,
                                          const PermissionOffers& offers, UiLanguage lang) {
    const bool grantable = offersAnything(offers);
    PermissionsPageModel m;
    m.rows = {
        {tr2(lang, QStringLiteral("Accessibility"), QStringLiteral("Универсальный доступ")),
         permissionBadge(state.accessibilityGranted, grantable, lang),
         grantable ? QString()
                   : tr2(lang, QStringLiteral("Sends Copy and Paste to other apps (XTEST)"),
                         QStringLiteral("Отправляет копирование и вставку другим приложениям "
                                        "(XTEST)"))},
        {tr2(lang, QStringLiteral("Input Monitoring"), QStringLiteral("Мониторинг ввода")),
         permissionBadge(state.inputMonitoringGranted, grantable, lang),
         grantable ? QString()
                   : tr2(lang, QStringLiteral("Sees selections made in other apps (XInput 2)"),
                         QStringLiteral("Видит выделение в других приложениях (XInput 2)"))},
    };
    m.buttons.append(
        {Action::refresh, tr2(lang, QStringLiteral("Refresh"), QStringLiteral("Обновить"))});
    if (offers.canRequest) {
        m.buttons.append({Action::request, tr2(lang, QStringLiteral("Request permissions"),
                                               QStringLiteral("Запросить разрешения"))});
    }
    if (offers.accessibilitySettings) {
        m.buttons.append(
            {Action::openAccessibility, tr2(lang, QStringLiteral("Open Accessibility"),
                                            QStringLiteral("Открыть Универсальный доступ"))});
    }
    if (offers.inputMonitoringSettings) {
        m.buttons.append(
            {Action::openInputMonitoring, tr2(lang, QStringLiteral("Open Input Monitoring"),
                                              QStringLiteral("Открыть Мониторинг ввода"))});
    }
    if (offers.canReset) {
        m.reset = PermissionsPageModel::Button{
            Action::reset, tr2(lang, QStringLiteral("Reset Nivelo permissions + request again"),
                               QStringLiteral("Сбросить разрешения Nivelo и запросить снова"))};
        m.note = tr2(lang,
                     QStringLiteral("Clears old Nivelo entries from Accessibility/Input "
                                    "Monitoring, then immediately sends fresh macOS permission "
                                    "requests."),
                     QStringLiteral("Удаляет старые записи Nivelo из Универсального доступа и "
                                    "Мониторинга ввода, затем сразу отправляет новые запросы "
                                    "macOS."));
    } else if (!grantable) {
        m.note = tr2(lang,
                     QStringLiteral("On X11 these depend on the X server's extensions; NiveloAI "
                                    "cannot turn them on."),
                     QStringLiteral("В X11 это зависит от расширений X-сервера; NiveloAI не может "
                                    "их включить."));
    }
    return m;
}

PermissionsSettingsView::PermissionsSettingsView(NiveloAppState& state, QWidget* parent)
    : QWidget(parent), state_(state), offers_(state.permissionOffers()) {
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    auto* block = new SettingsBlock(this);
    outer->addWidget(block);
    QVBoxLayout* column = block->contentLayout();
    column->setSpacing(12);

    // The controls the desktop offers do not change while the app runs: built once.
    const PermissionsPageModel m =
        permissionsPageModel(state_.permissionState(), offers_, state_.settings().uiLanguage);
    for (int i = 0; i < m.rows.size(); ++i) {
        RowWidgets row;
        auto* line = new QHBoxLayout();
        line->setSpacing(6);
        row.title = plainLabel(block, NiveloTheme::FontRole::body);
        row.title->setMinimumWidth(170);
        row.icon = new QLabel(block);
        row.icon->setFixedSize(16, 16);
        row.badge = plainLabel(block, NiveloTheme::FontRole::body);
        row.title->setBuddy(row.badge);
        line->addWidget(row.title);
        line->addSpacing(10);
        line->addWidget(row.icon);
        line->addWidget(row.badge);
        line->addStretch(1);
        auto* group = new QVBoxLayout();
        group->setSpacing(2);
        group->addLayout(line);
        row.caption = plainLabel(block, NiveloTheme::FontRole::footnote);
        row.caption->setWordWrap(true);
        group->addWidget(row.caption);
        column->addLayout(group);
        rows_.append(row);
    }
    buttonRow_ = new QHBoxLayout();
    for (const auto& b : m.buttons) {
        auto* button = new QPushButton(block);
        connect(button, &QPushButton::clicked, this, [this, a = b.action] { run(a); });
        buttonRow_->addWidget(button);
        buttons_.append(button);
    }
    buttonRow_->addStretch(1);
    column->addLayout(buttonRow_);
    if (m.reset) {
        reset_ = new QPushButton(block);
        connect(reset_, &QPushButton::clicked, this, [this] { run(Action::reset); });
        column->addWidget(reset_, 0, Qt::AlignLeft);
    }
    note_ = plainLabel(block, NiveloTheme::FontRole::footnote);
    note_->setWordWrap(true);
    column->addWidget(note_);

    connect(&state_, &NiveloAppState::permissionStateChanged, this,
            &PermissionsSettingsView::refresh);
    connect(&state_, &NiveloAppState::settingsChanged, this, &PermissionsSettingsView::refresh);
    refresh();
}

void PermissionsSettingsView::run(Action action) {
    switch (action) {
        case Action::refresh:
            state_.refreshPermissions();
            break;
        case Action::request:
            state_.requestPermissions();
            break;
        case Action::openAccessibility:
            state_.openPermissionSettings(PermissionSettingsTarget::accessibility);
            break;
        case Action::openInputMonitoring:
            state_.openPermissionSettings(PermissionSettingsTarget::inputMonitoring);
            break;
        case Action::reset:
            // Always asks again: there is no reset-only control.
            state_.resetNiveloPermissions(true);
            break;
    }
}

void PermissionsSettingsView::refresh() {
    const PermissionsPageModel m =
        permissionsPageModel(state_.permissionState(), offers_, state_.settings().uiLanguage);
    const QColor secondary = NiveloTheme::color(Role::secondaryLabel, palette());
    for (int i = 0; i < rows_.size(); ++i) {
        const auto& r = m.rows[i];
        const QColor colour = NiveloTheme::color(r.badge.colour, palette());
        rows_[i].title->setText(r.title);
        rows_[i].badge->setText(r.badge.text);
        rows_[i].badge->setAccessibleName(r.title + QStringLiteral(": ") + r.badge.text);
        setTextColour(rows_[i].badge, colour);
        rows_[i].icon->setPixmap(
            ThemeIcons::pixmap(r.badge.symbol, colour, 16, devicePixelRatioF()));
        rows_[i].icon->setAccessibleName(r.badge.text);
        rows_[i].caption->setText(r.caption);
        rows_[i].caption->setVisible(!r.caption.isEmpty());
        setTextColour(rows_[i].caption, secondary);
    }
    for (int i = 0; i < buttons_.size(); ++i) {
        buttons_[i]->setText(m.buttons[i].title);
        buttons_[i]->setAccessibleName(m.buttons[i].title);
    }
    if (reset_ && m.reset) {
        reset_->setText(m.reset->title);
        reset_->setAccessibleName(m.reset->title);
        setTextColour(reset_, NiveloTheme::color(Role::red, palette()));
    }
    note_->setText(m.note);
    note_->setVisible(!m.note.isEmpty());
    setTextColour(note_, secondary);
}

void PermissionsSettingsView::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange && note_) {
        refresh();
    }
}
