#include "settingswindow/MainSettingsView.h"

#include <QHBoxLayout>
#include <QPainter>
#include <QVBoxLayout>

#include "settingswindow/SettingsDetailView.h"
#include "settingswindow/SettingsSidebarView.h"
#include "state/NiveloAppState.h"

namespace {

// The sidebar column paints its own backdrop under the list.
class SidebarColumn : public QWidget {
public:
    SidebarColumn(const SettingsBackdrop& backdrop, QWidget* parent)
        : QWidget(parent), backdrop_(backdrop) {
        setAccessibleName(QStringLiteral("Settings pages"));
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        paintSidebarBackdrop(painter, QRectF(rect()), backdrop_);
    }

private:
    const SettingsBackdrop& backdrop_;
};

}  // namespace

MainSettingsView::MainSettingsView(Environment environment, QWidget* parent)
    : QWidget(parent), env_(environment), systemPalette_(palette()) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAccessibleName(QStringLiteral("Settings"));
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(26, 30, 28, 24);
    row->setSpacing(14);

    sidebarColumn_ = new SidebarColumn(backdrop_, this);
    sidebarColumn_->setFixedWidth(kSidebarWidth);
    auto* sidebarLayout = new QVBoxLayout(sidebarColumn_);
    sidebarLayout->setContentsMargins(0, 12, 1, 0);
    sidebar_ = new SettingsSidebarView(env_.appState, sidebarColumn_);
    sidebarLayout->addWidget(sidebar_);
    row->addWidget(sidebarColumn_);

    detail_ = new SettingsDetailView(env_, this);
    row->addWidget(detail_, 1);

    connect(&env_.appState, &NiveloAppState::settingsChanged, this, &MainSettingsView::restyle);
    connect(&env_.appState, &NiveloAppState::systemSurfaceModeChanged, this,
            &MainSettingsView::restyle);
    restyle();
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
        setPalette(backdrop_.darkPalette ? NiveloTheme::darkPalette(mode) : systemPalette_);
    }
    update();
}

void MainSettingsView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    paintWindowBackdrop(painter, QRectF(rect()), backdrop_);
}
