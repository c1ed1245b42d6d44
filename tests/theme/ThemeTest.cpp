#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>

#include "app/WindowKinds.h"
#include "platform/KeyModifiers.h"
#include "support/SimulatedActiveWindowWatch.h"
#include "support/SimulatedEventMonitors.h"
#include "support/SimulatedScreens.h"
#include "support/SimulatedWindowActivation.h"
#include "support/SimulatedWindowManagerHints.h"
#include "support/VirtualClock.h"
#include "theme/CloseButton.h"
#include "theme/FloatingPanelDismissMonitor.h"
#include "theme/FloatingSurface.h"
#include "theme/NiveloStyle.h"
#include "theme/NiveloTheme.h"
#include "theme/PanelWindow.h"
#include "theme/Placement.h"
#include "theme/ThemeIcons.h"
#include "theme/VisualEffectBackground.h"
#include "theme/WindowDragHandle.h"

namespace {

// A press, a move and a release from one local point to another.
void drag(QObject* receiver, QPoint origin, QPoint from, QPoint to) {
    for (const auto& [type, at] : {std::pair{QEvent::MouseButtonPress, from},
                                   {QEvent::MouseMove, to},
                                   {QEvent::MouseButtonRelease, to}}) {
        // As Qt delivers it: the point in the receiver, in its window and on the screen.
        auto* widget = qobject_cast<QWidget*>(receiver);
        const QPoint inWindow = widget ? widget->mapTo(widget->window(), at) : at;
        QMouseEvent event(type, at, inWindow, origin + at,
                          type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton,
                          type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, {});
        QApplication::sendEvent(receiver, &event);
    }
}

struct PanelFixture : ::testing::Test {
    SimulatedWindowActivation activation;
    SimulatedWindowManagerHints hints;
    SimulatedActiveWindowWatch activeWindow;

    std::unique_ptr<PanelWindow> make(PanelWindow::Kind kind) {
        auto panel = std::make_unique<PanelWindow>(
            kind, PanelWindow::Environment{&activation, &hints, &activeWindow});
        panel->setSurfaceRecipe(floatingSurfaceRecipe(AppearanceMode::system, SurfaceMode::solid,
                                                      22, ColorScheme::light));
        panel->setGeometry(100, 100, 300, 200);
        panel->show();
        return panel;
    }
};

}  // namespace

TEST_F(PanelFixture, EachKindIsAPanelThatTakesTheKeyboardOnlyAsItsRulesSay) {
    using K = PanelWindow::Kind;
    for (const auto& [kind, refusesFocus, activatedOnShow] :
         {std::tuple{K::nonActivating, true, false},
          {K::typing, false, false},
          {K::key, false, true},
          {K::status, true, false}}) {
        activation.requests.clear();
        auto panel = make(kind);
        EXPECT_TRUE(WindowKinds::isPanel(panel.get()));
        EXPECT_EQ(panel->windowFlags().testFlag(Qt::WindowDoesNotAcceptFocus), refusesFocus)
            << int(kind);
        EXPECT_EQ(activation.requests.contains(panel->winId()), activatedOnShow);
        // Status windows are outside the window manager's care: no workspace hint, no input.
        EXPECT_EQ(panel->windowFlags().testFlag(Qt::WindowTransparentForInput), kind == K::status);
        EXPECT_EQ(hints.panels.contains(panel->winId()), kind != K::status);
    }
    // A press in a typing panel asks for the keyboard; a close hides and keeps it.
    auto panel = make(K::typing);
    activation.requests.clear();
    drag(panel->windowHandle(), panel->pos(), {150, 100}, {150, 100});
    EXPECT_EQ(activation.requests, QList<quintptr>{panel->winId()});
    panel->close();
    EXPECT_FALSE(panel->isVisible());
    panel->show();
    EXPECT_TRUE(panel->isVisible());
}

// Shown over a full-screen window, a panel (not a status box) joins it after the map and
// leaves it before the unmap; shown over none, it joins nothing.
TEST_F(PanelFixture, JoinsTheFullScreenWindowItIsShownOver) {
    using K = PanelWindow::Kind;
    constexpr quintptr kFullScreen = 0x4200001;
    for (const K kind : {K::nonActivating, K::typing, K::key, K::status}) {
        hints.auxiliaries.clear();
        hints.fullScreenWindow = kFullScreen;
        auto panel = make(kind);
        const quintptr id = panel->winId();
        hints.fullScreenWindow = 0;
        panel->hide();
        panel->show();
        panel->hide();
        using Calls = QList<QPair<quintptr, quintptr>>;
        const Calls wanted = kind == K::status ? Calls{} : Calls{{id, kFullScreen}, {id, 0}};
        EXPECT_EQ(hints.auxiliaries, wanted) << int(kind);
    }
}

// While shown, a panel (not a status box) follows the active window: it joins the window
// that goes full screen, and when none is in full screen it leaves it and asks again for
// every workspace. Hidden, it follows nothing.
TEST_F(PanelFixture, FollowsTheActiveWindowIntoAndOutOfFullScreenWhileShown) {
    using K = PanelWindow::Kind;
    constexpr quintptr kFullScreen = 0x4200001;
    for (const K kind : {K::nonActivating, K::typing, K::key, K::status}) {
        hints.auxiliaries.clear();
        auto panel = make(kind);
        const quintptr id = panel->winId();
        EXPECT_EQ(activeWindow.followers(), kind == K::status ? 0 : 1);
        hints.fullScreenWindow = kFullScreen;
        activeWindow.change();
        activeWindow.change();
        hints.panels.clear();
        hints.fullScreenWindow = 0;
        activeWindow.change();
        using Calls = QList<QPair<quintptr, quintptr>>;
        const Calls wanted = kind == K::status ? Calls{} : Calls{{id, kFullScreen}, {id, 0}};
        EXPECT_EQ(hints.auxiliaries, wanted) << int(kind);
        EXPECT_EQ(hints.panels.size(), kind == K::status ? 0 : 1);
        panel->hide();
        EXPECT_EQ(activeWindow.followers(), 0);
    }
}

TEST_F(PanelFixture, OpaqueWithoutACompositorShapedToTheRoundedSurface) {
    for (const bool compositing : {false, true}) {
        hints.compositing = compositing;
        auto panel = make(PanelWindow::Kind::status);
        panel->setSurfaceMargin(18);
        EXPECT_EQ(panel->testAttribute(Qt::WA_TranslucentBackground), compositing);
        const QRegion mask = panel->mask();
        EXPECT_EQ(mask.contains(QPoint(150, 100)), !compositing);
        EXPECT_FALSE(mask.contains(QPoint(19, 19)));  // a rounded corner
    }
}

TEST_F(PanelFixture, TheCloseButtonTheHeaderAndTheEdgesAnswerTheMouse) {
    auto panel = make(PanelWindow::Kind::typing);
    int closes = 0;
    CloseButton* button = addPanelCloseButton(panel->surface(), [&] { ++closes; });
    auto* handle = new WindowDragHandle(panel->surface());
    handle->setGeometry(40, 0, 260, 40);
    panel->setResizable(true);
    QList<QSize> resized;
    QObject::connect(panel.get(), &PanelWindow::userResized, [&](QSize s) { resized.append(s); });
    EXPECT_EQ(button->accessibleName(), "Close");
    // The square's corner is outside the dot and still closes.
    drag(button, button->mapToGlobal(QPoint()), {0, 0}, {0, 0});
    EXPECT_EQ(closes, 1);

    const QPoint start = panel->pos();
    drag(handle, handle->mapToGlobal(QPoint()), {10, 10}, {60, 40});
    EXPECT_EQ(panel->pos(), start + QPoint(50, 30));
    // Qt's idea of the window's place can lag behind the window manager's first placement: the
    // press tells where the window really lies, and the drag starts from there.
    const QPoint real = panel->pos() + QPoint(200, 150);
    drag(handle, handle->mapToGlobal(QPoint()) + QPoint(200, 150), {10, 10}, {60, 40});
    EXPECT_EQ(panel->pos(), real + QPoint(50, 30));
    panel->move(start);
    panel->resize(320, 220);
    drag(panel->windowHandle(), panel->pos(), {318, 100}, {358, 100});
    EXPECT_EQ(resized, QList<QSize>{QSize(360, 220)});
    // The user's size is the one wanted from now on; a programmatic one is not.
    panel->resize(330, 230);
    EXPECT_EQ(panel->wantedSize(), QSize(360, 220));
}

// A screen smaller than a panel's minimum: placed there, the panel is cut to it; the next
// larger place brings the minimum back, and the size wanted stays throughout.
TEST_F(PanelFixture, APlaceSmallerThanTheMinimumCutsThePanelUntilTheNextLargerOne) {
    auto panel = make(PanelWindow::Kind::key);
    panel->setPanelMinimumSize({480, 560});
    panel->setWantedSize({620, 680});
    panel->place({0, 0, 960, 525});
    EXPECT_EQ(panel->geometry(), QRect(0, 0, 960, 525));
    panel->place({100, 50, 620, 680});
    EXPECT_EQ(panel->geometry(), QRect(100, 50, 620, 680));
    EXPECT_EQ(panel->minimumSize(), QSize(480, 560));
    EXPECT_EQ(panel->wantedSize(), QSize(620, 680));
}

// Where the window manager cannot move it, the panel follows the pointer itself.
TEST_F(PanelFixture, APressNoControlTakesMovesAPanelMovableByItsBackground) {
    for (const bool movable : {true, false}) {
        auto panel = make(PanelWindow::Kind::nonActivating);
        panel->setMovableByBackground(movable);
        auto* label = new QLabel(QStringLiteral("Title"), panel->surface());
        label->setGeometry(20, 60, 100, 20);
        auto* button = new QPushButton(QStringLiteral("Run"), panel->surface());
        button->setGeometry(20, 100, 100, 30);
        label->show();
        button->show();
        const QPoint start = panel->pos();
        drag(label, label->mapToGlobal(QPoint()), {5, 5}, {45, 25});
        EXPECT_EQ(panel->pos(), movable ? start + QPoint(40, 20) : start) << movable;
        const QPoint moved = panel->pos();
        drag(button, button->mapToGlobal(QPoint()), {5, 5}, {45, 25});
        EXPECT_EQ(panel->pos(), moved) << movable;
    }
}

TEST(DismissMonitor, EscapeOrAPressOutsideThePanelDismissesIt) {
    using namespace MonitoredEvent;
    SimulatedEventMonitors monitors;
    auto panel = std::make_unique<QWidget>(nullptr, Qt::Tool);
    QWidget* popup = new QWidget(panel.get(), Qt::Popup);
    QWidget other;
    int dismissed = 0;
    auto monitor =
        std::make_unique<FloatingPanelDismissMonitor>(panel.get(), monitors, [&] { ++dismissed; });
    other.winId(), popup->winId();
    const struct {
        bool visible;
        QWidget* where;  // null: another application
        quint32 kind;
        int keyCode;
        bool dismisses;
    } cases[] = {
        {true, &other, KeyDown, KeyCode::Escape, true},  {false, nullptr, LeftMouseDown, -1, false},
        {true, panel.get(), KeyDown, KeyCode::A, false}, {true, nullptr, RightMouseDown, -1, true},
        {true, &other, LeftMouseDown, -1, true},         {true, popup, LeftMouseDown, -1, false},
        {true, popup, KeyDown, KeyCode::Escape, false},
    };
    for (const auto& c : cases) {
        const int before = dismissed;
        panel->setVisible(c.visible);
        monitor->install();
        c.where ? monitors.emitLocal(c.kind, c.where->windowHandle(), c.keyCode)
                : monitors.emitGlobal(c.kind);
        // The decision comes a turn later; the event itself goes on at once.
        EXPECT_EQ(dismissed, before);
        VirtualClock::flushEvents();
        EXPECT_EQ(dismissed - before, c.dismisses ? 1 : 0) << &c - cases;
    }
    EXPECT_EQ(monitors.globalCount() + monitors.localCount(), 2);
    // Going away removes the monitors and drops pending decisions.
    monitors.emitGlobal(LeftMouseDown);
    monitor.reset();
    EXPECT_EQ(monitors.globalCount() + monitors.localCount(), 0);
    VirtualClock::flushEvents();
    EXPECT_EQ(dismissed, 3);
}

TEST(Theme, EveryIconRowResolvesToAVendoredFileAndIsDrawnInItsTint) {
    ASSERT_TRUE(QFile::exists(":/icons/LICENSE"));
    for (const QString& symbol : ThemeIcons::symbols()) {
        const QString path = ThemeIcons::filePath(symbol);
        EXPECT_TRUE(QFile::exists(path)) << symbol.toStdString();
        EXPECT_EQ(path.contains("/fill/"), symbol.endsWith(".fill")) << symbol.toStdString();
    }
    EXPECT_TRUE(ThemeIcons::pixmap("no.such.symbol", Qt::red, 16).isNull());
    const QImage image = ThemeIcons::pixmap("checkmark.circle.fill", Qt::green, 32).toImage();
    int drawn = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            drawn += c.alpha() > 250 && c.rgb() == QColor(Qt::green).rgb();
        }
    }
    EXPECT_GT(drawn, 200);
}

// Two screens side by side; each reserves a 30 px bar at the top and a 50 px dock below.
TEST(Placement, KeepsPanelsInsideTheVisibleFrameUnderThePointer) {
    SimulatedScreens screens;
    screens.list = {{QRect(0, 0, 1920, 1080), QRect(0, 30, 1920, 1000)},
                    {QRect(1920, 0, 1280, 1024), QRect(1920, 30, 1280, 944)}};
    const struct {
        QPoint pointer, nearMouse, nearButton;
    } cases[] = {
        // Right and bottom edges: 16 (12) px inside.
        {{1919, 1029}, {1920 - 340 - 16, 1030 - 400 - 16}, {1920 - 54 - 12, 1030 - 54 - 12}},
        {{2000, 40}, {2014, 30 + 16}, {2012, 30 + 12}},
        {{-300, 500}, {16, 482}, {12, 438}},  // off every screen: the main one
    };
    for (const auto& c : cases) {
        screens.pointerAt = c.pointer;
        EXPECT_EQ(Placement::nearMouse(screens, {340, 400}), c.nearMouse) << c.pointer.x();
        EXPECT_EQ(Placement::nearButton(screens, {54, 54}), c.nearButton) << c.pointer.x();
    }
    EXPECT_EQ(Placement::statusHud(screens, {260, 82}), QPoint(960 - 130, 1030 - 82 - 82));
    screens.list.clear();
    EXPECT_EQ(Placement::statusHud(screens, {260, 82}), QPoint(-130, -164));
}

TEST(VisualEffectBackground, PaintsItsMaterialInThePalettesSchemeAndChangesInPlace) {
    using Effect = VisualEffectBackground;
    Effect background(Effect::Material::underWindowBackground, Effect::BlendingMode::behindWindow,
                      Effect::State::active);
    background.resize(40, 30);
    QPalette light;
    light.setColor(QPalette::Window, QColor(240, 240, 240));
    background.setPalette(light);
    const QColor lightFill =
        Effect::materialColor(Effect::Material::underWindowBackground, ColorScheme::light);
    EXPECT_EQ(background.fill(), lightFill);
    EXPECT_EQ(background.grab().toImage().pixelColor(20, 15), lightFill);

    QPalette dark;
    dark.setColor(QPalette::Window, QColor(30, 30, 30));
    background.setPalette(dark);
    const QColor darkSidebar = Effect::materialColor(Effect::Material::sidebar, ColorScheme::dark);
    background.setEffect(Effect::Material::sidebar, Effect::BlendingMode::withinWindow,
                         Effect::State::followsWindowActiveState);
    EXPECT_EQ(background.material(), Effect::Material::sidebar);
    EXPECT_EQ(background.blendingMode(), Effect::BlendingMode::withinWindow);
    EXPECT_EQ(background.state(), Effect::State::followsWindowActiveState);
    EXPECT_EQ(background.grab().toImage().pixelColor(20, 15), darkSidebar);
    // Every material is opaque and tells light from dark.
    for (const auto material :
         {Effect::Material::underWindowBackground, Effect::Material::sidebar}) {
        EXPECT_EQ(Effect::materialColor(material, ColorScheme::dark).alpha(), 255);
        EXPECT_LT(Effect::materialColor(material, ColorScheme::dark).lightness(),
                  Effect::materialColor(material, ColorScheme::light).lightness());
    }
    EXPECT_TRUE(background.testAttribute(Qt::WA_TransparentForMouseEvents));
}

TEST(NiveloStyle, AnUncheckedBoxFrameStandsOutOnLightAndDarkWindows) {
    QPalette light;
    light.setColor(QPalette::Window, QColor(236, 236, 238));
    light.setColor(QPalette::WindowText,
                   NiveloTheme::color(NiveloTheme::Role::label, ColorScheme::light));
    for (const QPalette& palette : {light, NiveloTheme::darkPalette(AppearanceMode::liquidSky),
                                    NiveloTheme::darkPalette(AppearanceMode::liquidNoir)}) {
        const QColor frame = NiveloStyle::indicatorOutline(palette);
        EXPECT_GE(NiveloTheme::contrastRatio(frame, palette.color(QPalette::Window)), 3.0)
            << frame.name().toStdString();
        EXPECT_GE(NiveloTheme::contrastRatio(frame, palette.color(QPalette::Base)), 3.0);
    }
}

// A 1024 x 600 screen whose bottom 30 px a task bar takes, beside a large one.
TEST(Placement, ShowsWindowsNoLargerThanTheVisibleFrame) {
    SimulatedScreens screens;
    screens.list = {{QRect(0, 0, 1024, 600), QRect(0, 0, 1024, 570)},
                    {QRect(1024, 0, 1920, 1080), QRect(1024, 0, 1920, 1080)}};
    const struct {
        QPoint pointer;
        QSize wanted, minimum;
        QRect shown;
    } cases[] = {
        // Fits: as wanted, by the near-mouse rule.
        {{100, 100}, {380, 520}, {340, 380}, {{114, 34}, QSize(380, 520)}},
        // Too tall: cut to the frame less its margins.
        {{500, 300}, {620, 680}, {480, 400}, {{388, 16}, QSize(620, 538)}},
        // The minimum fits the frame only without the margins: all of it still shows.
        {{500, 300}, {620, 680}, {480, 560}, {{388, 5}, QSize(620, 560)}},
        // Not even the minimum fits: cut to the frame, all of it inside.
        {{900, 300}, {900, 700}, {1100, 650}, {{0, 0}, QSize(1024, 570)}},
        {{500, 300}, {620, 680}, {480, 590}, {{388, 0}, QSize(620, 570)}},
        // The same wish on the large screen keeps its size.
        {{1100, 300}, {620, 680}, {480, 560}, {{1114, 282}, QSize(620, 680)}},
    };
    for (const auto& c : cases) {
        screens.pointerAt = c.pointer;
        EXPECT_EQ(Placement::nearMouseFrame(screens, c.wanted, c.minimum), c.shown)
            << c.pointer.x() << " " << c.wanted.height();
    }
    // No screen at all: the wish as it is.
    EXPECT_EQ(Placement::fitted({620, 680}, {480, 560}, QRect(), 16), QSize(620, 680));
}

// A framed window given back on its screen: moved in, cut down to its minimum, and where even
// that is too large, to the visible frame.
TEST(Placement, KeepsAWindowFrameWithinTheVisibleFrameOfItsScreen) {
    SimulatedScreens screens;
    screens.list = {{QRect(0, 0, 1024, 600), QRect(0, 0, 1024, 570)},
                    {QRect(1024, 0, 1920, 1080), QRect(1024, 30, 1920, 1050)}};
    const QSize minimum(762, 526);
    const struct {
        QRect frame, shown;
    } cases[] = {
        {{49, 180, 902, 585}, {49, 0, 902, 570}},
        {{-40, 100, 762, 526}, {0, 44, 762, 526}},
        {{900, 500, 800, 600}, {1024, 480, 800, 600}},  // mostly on the large screen
        {{1200, 40, 800, 600}, {1200, 40, 800, 600}},
    };
    for (const auto& c : cases) {
        const QRect visible = Placement::visibleFrameHolding(screens, c.frame);
        EXPECT_EQ(Placement::within(c.frame, minimum, visible), c.shown) << c.frame.x();
    }
    // Not even the minimum fits: cut to the visible frame.
    EXPECT_EQ(Placement::within({10, 10, 900, 700}, {900, 700}, QRect(0, 0, 800, 600)),
              QRect(0, 0, 800, 600));
    // Off every screen: the main one, which the status box follows too.
    screens.mainIndex = 1;
    EXPECT_EQ(Placement::visibleFrameHolding(screens, QRect(-900, 0, 10, 10)),
              QRect(1024, 30, 1920, 1050));
    EXPECT_EQ(Placement::statusHud(screens, {260, 82}), QPoint(1024 + 960 - 130, 1080 - 82 - 82));
}

// Text on a highlight (a lit row, a selected text) reads at 4.5:1 or more, active or not, in
// every look of the floating panels and of the settings window's dark palettes, on a light and
// on a dark desktop; the highlight stays the look's accent.
TEST(Theme, TextOnTheHighlightReadsInEveryLook) {
    QPalette darkDesktop = NiveloTheme::darkPalette(AppearanceMode::system);
    // A desktop whose own highlighted text reads badly: white on a pale accent.
    darkDesktop.setColor(QPalette::Highlight, QColor(120, 190, 240));
    darkDesktop.setColor(QPalette::HighlightedText, Qt::white);
    QStringList failed;
    for (const QPalette& desktopPalette : {QApplication::palette(), darkDesktop}) {
        const QPalette saved = QApplication::palette();
        QApplication::setPalette(desktopPalette);
        for (const AppearanceMode mode : allCases<AppearanceMode>()) {
            FloatingSurface surface;
            surface.setRecipe(floatingSurfaceRecipe(mode, SurfaceMode::solid, 22,
                                                    NiveloTheme::environmentScheme()));
            const std::pair<const char*, QPalette> looks[] = {
                {"panel", surface.palette()}, {"settings", NiveloTheme::darkPalette(mode)}};
            for (const auto& [where, palette] : looks) {
                for (const auto group : {QPalette::Active, QPalette::Inactive}) {
                    const double ratio =
                        NiveloTheme::contrastRatio(palette.color(group, QPalette::Highlight),
                                                   palette.color(group, QPalette::HighlightedText));
                    if (ratio < NiveloTheme::kReadableContrast) {
                        failed << QString("%1 %2, group %3: %4:1")
                                      .arg(where, rawValue(mode))
                                      .arg(int(group))
                                      .arg(ratio, 0, 'f', 2);
                    }
                }
            }
            EXPECT_EQ(surface.palette().color(QPalette::Highlight),
                      floatingSurfaceRecipe(mode, SurfaceMode::solid, 22,
                                            NiveloTheme::environmentScheme())
                          .accent);
        }
        QApplication::setPalette(saved);
    }
    EXPECT_TRUE(failed.isEmpty()) << failed.join('\n').toStdString();
}
