#include "settingswindow/MainSettingsView.h"

#include <QHBoxLayout>
#include <QResizeEvent>
#include <QVBoxLayout>

#include "settingswindow/SettingsDetailView.h"
#include "settingswindow/SettingsSidebarView.h"
#include "state/NiveloAppState.h"
#include "theme/PopupPalette.h"

namespace {

// Parts named for accessibility only: each name in both languages, so that a change of the
// interface language finds it in either.
constexpr std::pair<const char16_t*, const char16_t*> kPartNames[] = {
    {u"Settings", u"Настройки"},
    {u"Settings pages", u"Страницы настроек"},
    {u"Settings group", u"Группа настроек"},
    {u"Settings section", u"Раздел настроек"},
    {u"Background", u"Фон"},
    {u"Separator", u"Разделитель"},
    {u"Shortcut capture", u"Запись сочетания клавиш"},
    {u"Prompt", u"Промпт"},
};

}  // namespace

MainSettingsView::MainSettingsView(Environment environment, QWidget* parent)
    : QWidget(parent), env_(environment), systemPalette_(palette()) {
    setAccessibleName(QStringLiteral("Settings"));
    windowBackdrop_ = new SettingsWindowBackdrop(this);
    windowBackdrop_->setObjectName(QStringLiteral("windowBackdrop"));
    windowBackdrop_->lower();
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(26, 30, 28, 24);
    row->setSpacing(14);

    sidebarColumn_ = new QWidget(this);
    sidebarColumn_->setAccessibleName(QStringLiteral("Settings pages"));
    sidebarColumn_->setFixedWidth(kSidebarWidth);
    sidebarBackdrop_ = new SettingsSidebarBackdrop(sidebarColumn_);
    sidebarBackdrop_->setObjectName(QStringLiteral("sidebarBackdrop"));
    sidebarBackdrop_->lower();
    sidebarColumn_->installEventFilter(this);
    auto* sidebarLayout = new QVBoxLayout(sidebarColumn_);
    sidebarLayout->setContentsMargins(0, 12, 1, 0);
    auto* sidebar = new SettingsSidebarView(env_.appState, sidebarColumn_);
    sidebar->setObjectName(QStringLiteral("sidebar"));
    sidebarLayout->addWidget(sidebar);
    row->addWidget(sidebarColumn_);

    auto* detail = new SettingsDetailView(env_, this);
    detail->setObjectName(QStringLiteral("detail"));
    row->addWidget(detail, 1);

    connect(&env_.appState, &NiveloAppState::settingsChanged, this, &MainSettingsView::restyle);
    // On the next turn, so that a page built or rebuilt for the change is named too.
    connect(&env_.appState, &NiveloAppState::settingsChanged, this, &MainSettingsView::nameParts,
            Qt::QueuedConnection);
    connect(&env_.appState, &NiveloAppState::selectedSettingsPageChanged, this,
            &MainSettingsView::nameParts, Qt::QueuedConnection);
    connect(&env_.appState, &NiveloAppState::systemSurfaceModeChanged, this,
            &MainSettingsView::restyle);
    // Pop-ups, menus and alerts of the window take its palette as they open.
    new PopupPalette(this);
    restyle();
    nameParts();
}

void MainSettingsView::nameParts() {
    const UiLanguage lang = env_.appState.settings().uiLanguage;
    QList<QWidget*> parts = findChildren<QWidget*>();
    parts.prepend(this);
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

void MainSettingsView::restyle() {
    const AppearanceMode mode = env_.appState.settings().appearanceMode;
    const ColorScheme environment = systemPalette_.color(QPalette::Window).lightness() < 128
                                        ? ColorScheme::dark
                                        : ColorScheme::light;
    const SettingsBackdrop next = settingsBackdrop(
        mode, env_.appState.systemSurfaceMode(), environment, systemPalette_.color(QPalette::Mid));
    const bool paletteChanged = next.darkPalette != backdrop_.darkPalette ||
                                palette().color(QPalette::Highlight) !=
                                    (next.darkPalette ? NiveloTheme::accentColor(mode)
                                                      : systemPalette_.color(QPalette::Highlight));
    backdrop_ = next;
    if (paletteChanged) {
        applyPalette(backdrop_.darkPalette ? NiveloTheme::darkPalette(mode) : systemPalette_);
    }
    windowBackdrop_->setBackdrop(backdrop_);
    sidebarBackdrop_->setBackdrop(backdrop_);
}

void MainSettingsView::applyPalette(QPalette palette) {
    NiveloTheme::makeHighlightReadable(palette);
    setPalette(palette);
    QWidget* top = window();
    if (top != this) {
        // The window's menu bar follows the content.
        top->setPalette(palette);
    }
}

void MainSettingsView::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ParentChange) {
        applyPalette(palette());
    }
}

void MainSettingsView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    windowBackdrop_->setGeometry(rect());
}

bool MainSettingsView::eventFilter(QObject* watched, QEvent* event) {
    if (watched == sidebarColumn_ && event->type() == QEvent::Resize) {
        sidebarBackdrop_->setGeometry(sidebarColumn_->rect());
    }
    return QWidget::eventFilter(watched, event);
}
