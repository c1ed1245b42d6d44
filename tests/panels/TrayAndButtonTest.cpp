#include <QApplication>
#include <QMenu>
#include <QMouseEvent>
#include <QSystemTrayIcon>
#include <algorithm>

#include "panels/FloatingButtonController.h"
#include "panels/MenuBarController.h"
#include "panels/NiveloMenuBarIcon.h"
#include "panels/QuickPanelFixture.h"
#include "theme/FloatingSurface.h"
#include "theme/NiveloTheme.h"

namespace {

QStringList menuTexts(const QMenu& menu) {
    QStringList texts;
    for (QAction* a : menu.actions()) {
        texts << (a->isSeparator() ? QStringLiteral("-") : a->text());
        EXPECT_TRUE(a->isEnabled()) << a->text().toStdString();
        EXPECT_TRUE(a->shortcut().isEmpty()) << a->text().toStdString();
    }
    return texts;
}

QAction* item(const QMenu& menu, const QString& text) {
    const QList<QAction*> items = menu.actions();
    return *std::ranges::find(items, text, &QAction::text);
}

}  // namespace

TEST_F(QuickPanelTest, FloatingButtonShowsOnlyWhenOnSitsAboveThePointerAndOpensThePanel) {
    FloatingButtonController button(&screens, {&activation, &hints});
    state.editSettings([](NiveloSettings& s) {
        s.floatingButtonVisible = true;
        s.quickMenuActions = QuickAction::defaultIds().mid(0, 3);
    });
    const auto placedAt = [&](QPoint pointer) {
        button.hide();
        screens.pointerAt = pointer;
        button.show(state, controller);
        return button.panel()->isVisible() ? button.panel()->geometry() : QRect();
    };
    // Right of and above the pointer; the top margin wins near the top of the frame.
    EXPECT_EQ(placedAt({500, 400}), QRect(512, 338, 54, 54));
    EXPECT_EQ(placedAt({500, 5}), QRect(512, 12, 54, 54));
    screens.pointerAt = {800, 500};
    button.show(state, controller);
    EXPECT_EQ(button.panel()->pos(), QPoint(512, 12));
    EXPECT_TRUE(activation.requests.isEmpty());

    button.view()->click();
    EXPECT_FALSE(button.panel()->isVisible());
    EXPECT_EQ(controller.panel()->pos(), QPoint(814, 482));

    state.editSettings([](NiveloSettings& s) { s.floatingButtonVisible = false; });
    button.show(state, controller);
    EXPECT_FALSE(button.panel()->isVisible());

    // With a reference gone a click does nothing.
    controller.hide();
    FloatingButtonController orphan(&screens, {});
    orphan.setReferences(nullptr, &controller);
    orphan.click();
    EXPECT_FALSE(controller.isPanelVisible());
}

TEST_F(QuickPanelTest, TrayMenuHoldsTheEnglishItemsAndFollowsTheIconSetting) {
    MenuBarController tray;
    QStringList log;
    MenuBarController::Targets targets{
        &controller,
        &hud,
        &recorder,
        nullptr,
        [&] { log << QStringLiteral("main:%1").arg(int(state.selectedSettingsPage())); },
        [&] { log << "quit"; }};
    state.editSettings([](NiveloSettings& s) { s.uiLanguage = UiLanguage::ru; });
    tray.attach(&state, targets);
    tray.attach(&state, targets);  // a second attach adds no second icon or menu
    VirtualClock::flushEvents();
    ASSERT_TRUE(tray.trayIcon());
    EXPECT_EQ(tray.trayIcon()->toolTip(), "NiveloAI");
    const QStringList expected = {"Open NiveloAI",       "Quick Menu", "Clipboard History",
                                  "Translation Preview", "-",          "Permissions",
                                  "Refresh Permissions", "-",          "Quit NiveloAI"};
    EXPECT_EQ(menuTexts(*tray.menu()), expected);

    item(*tray.menu(), "Permissions")->trigger();
    EXPECT_EQ(log, QStringList{QStringLiteral("main:%1").arg(int(SettingsPage::permissions))});
    item(*tray.menu(), "Quick Menu")->trigger();
    EXPECT_TRUE(controller.isPanelVisible());
    item(*tray.menu(), "Clipboard History")->trigger();
    EXPECT_EQ(recorder.log.last(), "clipboard.toggle(panel shown)");
    item(*tray.menu(), "Quit NiveloAI")->trigger();
    EXPECT_EQ(log.last(), "quit");

    state.editSettings([](NiveloSettings& s) { s.menuBarIconVisible = false; });
    VirtualClock::flushEvents();
    EXPECT_EQ(tray.trayIcon(), nullptr);
    state.editSettings([](NiveloSettings& s) { s.menuBarIconVisible = true; });
    VirtualClock::flushEvents();
    ASSERT_TRUE(tray.trayIcon());
    EXPECT_EQ(menuTexts(*tray.menu()), expected);
}

TEST(NiveloMenuBarIcon, DrawsTheSpaceBarAndKeysInTheGivenColour) {
    const QColor light(240, 240, 240);
    const QImage image = NiveloMenuBarIcon::makeImage(light, 4);
    ASSERT_EQ(image.size(), QSize(72, 72));
    const auto at = [&](double x, double y) { return image.pixelColor(int(x * 4), int(y * 4)); };
    EXPECT_EQ(at(9, 15.1).rgba(), light.rgba());
    EXPECT_EQ(at(5.69, 11.34).alpha(), 0);
    EXPECT_EQ(at(4.4, 11.34).alpha(), 255);
}

TEST(TrayIcon, TheGlyphTakesBlackOrWhiteByThePanelSeenAtTheIconsCorners) {
    const QColor panels[] = {
        Qt::black,           Qt::white,           QColor(34, 34, 34),   QColor(119, 119, 119),
        QColor(200, 40, 40), QColor(40, 90, 200), QColor(240, 235, 180)};
    for (const QColor& panel : panels) {
        // The panel's colour round the glyph, whatever the glyph's own colour.
        QImage square(22, 22, QImage::Format_RGB32);
        square.fill(panel);
        for (int y = 4; y < 18; ++y) {
            for (int x = 4; x < 18; ++x) {
                square.setPixelColor(x, y, QColor(255 - panel.red(), 0, 0));
            }
        }
        const std::optional<QColor> seen = NiveloMenuBarIcon::panelColor(square);
        ASSERT_TRUE(seen);
        EXPECT_EQ(seen->rgb(), panel.rgb());
        const QColor glyph = NiveloMenuBarIcon::glyphColorOn(*seen);
        EXPECT_TRUE(glyph == QColor(Qt::black) || glyph == QColor(Qt::white));
        EXPECT_GE(NiveloTheme::contrastRatio(glyph, panel), 4.5) << panel.name().toStdString();
    }
    EXPECT_EQ(NiveloMenuBarIcon::glyphColorOn(Qt::black), QColor(Qt::white));
    EXPECT_EQ(NiveloMenuBarIcon::glyphColorOn(Qt::white), QColor(Qt::black));
    EXPECT_FALSE(NiveloMenuBarIcon::panelColor(QImage()));
    EXPECT_NEAR(NiveloTheme::contrastRatio(Qt::black, Qt::white), 21.0, 0.01);
}

TEST_F(QuickPanelTest, AShownFloatingButtonFollowsTheAppearanceAndMovesWhenDragged) {
    FloatingButtonController button(&screens, {&activation, &hints});
    state.editSettings([](NiveloSettings& s) { s.floatingButtonVisible = true; });
    screens.pointerAt = {500, 400};
    button.show(state, controller);
    FloatingSurface* surface = button.panel()->surface();
    EXPECT_FALSE(surface->recipe().darkPalette);
    state.editSettings([](NiveloSettings& s) { s.appearanceMode = AppearanceMode::liquidNoir; });
    EXPECT_TRUE(surface->recipe().darkPalette);
    EXPECT_EQ(surface->recipe().accent, NiveloTheme::accentColor(AppearanceMode::liquidNoir));

    FloatingButtonView* face = button.view();
    const QPoint start = button.panel()->pos();
    const QPointF center(21, 21);
    const auto mouse = [&](QEvent::Type type, QPointF travel, Qt::MouseButtons held) {
        const QPointF at = center + travel;
        QMouseEvent event(type, at, face->mapToGlobal(center) + travel, Qt::LeftButton, held,
                          Qt::NoModifier);
        QCoreApplication::sendEvent(face, &event);
    };
    // Within the drag distance: still a click.
    const double small = QApplication::startDragDistance() / 2.0;
    mouse(QEvent::MouseButtonPress, {}, Qt::LeftButton);
    mouse(QEvent::MouseMove, {small, 0}, Qt::LeftButton);
    EXPECT_EQ(button.panel()->pos(), start);
    mouse(QEvent::MouseButtonRelease, {small, 0}, Qt::NoButton);
    EXPECT_FALSE(button.panel()->isVisible());
    EXPECT_TRUE(controller.isPanelVisible());

    // Further: the button follows the pointer and the release opens nothing.
    controller.hide();
    button.show(state, controller);
    const QPoint shown = button.panel()->pos();
    mouse(QEvent::MouseButtonPress, {}, Qt::LeftButton);
    mouse(QEvent::MouseMove, {30, 12}, Qt::LeftButton);
    EXPECT_EQ(button.panel()->pos(), shown + QPoint(30, 12));
    mouse(QEvent::MouseButtonRelease, {30, 12}, Qt::NoButton);
    EXPECT_TRUE(button.panel()->isVisible());
    EXPECT_FALSE(controller.isPanelVisible());
}
