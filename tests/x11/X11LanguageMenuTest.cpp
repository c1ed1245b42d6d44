#include <gtest/gtest.h>

#include <memory>

#include <QApplication>
#include <QScopeGuard>
#include <QScreen>
#include <QToolButton>

#include "core/NiveloPromptLibrary.h"
#include "panels/LanguageMenu.h"
#include "panels/QuickPanelFixture.h"
#include "support/NamedPart.h"
#include "support/XSession.h"
#include "x11/X11TestSupport.h"

#include "platform/x11/Xlib.h"

namespace {

// A dock along the bottom of the screen that keeps its height out of the work area.
class BottomDock {
public:
    explicit BottomDock(int height) {
        const QRect screen = QGuiApplication::primaryScreen()->geometry();
        dock_.setAttribute(Qt::WA_X11NetWmWindowTypeDock);
        dock_.setGeometry(screen.left(), screen.bottom() + 1 - height, screen.width(), height);
        Display* display = qApp->nativeInterface<QNativeInterface::QX11Application>()->display();
        const long strut[12] = {0, 0, 0, height, 0, 0, 0, 0, 0, 0, screen.left(), screen.right()};
        XChangeProperty(display, dock_.winId(),
                        XInternAtom(display, "_NET_WM_STRUT_PARTIAL", False), XA_CARDINAL, 32,
                        PropModeReplace, reinterpret_cast<const unsigned char*>(strut), 12);
        dock_.show();
    }

private:
    QWidget dock_;
};

class X11LanguageMenu : public QuickPanelTest {};

}  // namespace

// Above a dock, every opening of the quick panel's language menu shows the target language
// over its button and wholly in the work area, whether the language heads the list or lies deep
// in it, with the panel high or low; the menu is never taller than the work area. Where the
// panel and the menu lie is the X server's word.
TEST_F(X11LanguageMenu, OpensAtTheTargetLanguageEveryTime) {
    XSession& session = x11Session();
    const QScreen* screen = QGuiApplication::primaryScreen();
    auto dock = std::make_unique<BottomDock>(40);
    // The next test gets the whole screen back.
    const auto undock = qScopeGuard([&] {
        dock.reset();
        EXPECT_TRUE(
            XSession::waitUntil([&] { return screen->availableGeometry() == screen->geometry(); }));
    });
    ASSERT_TRUE(XSession::waitUntil(
        [&] { return screen->availableGeometry().height() == screen->geometry().height() - 40; }));
    const QRect area = screen->availableGeometry();
    QStringList missed;
    for (const QString& language :
         {QString("English"), QString("Swahili"), NiveloPromptLibrary::languages().last()}) {
        state.editSettings([&](NiveloSettings& s) {
            s.quickMenuActions = {"translate"};
            s.targetLanguage = language;
        });
        for (const bool high : {true, false}) {
            controller.show(state);
            VirtualClock::flushEvents();
            QWidget* panel = controller.panel();
            const QPoint place(area.left() + 40,
                               high ? area.top() + 10 : area.bottom() - panel->height() - 10);
            panel->move(place);
            const QString panelId = QString::number(panel->winId());
            ASSERT_TRUE(XSession::waitUntil(
                [&] { return session.windowGeometry(panelId).topLeft() == place; }));
            auto* button = namedPart<QToolButton>(view()->row("translate"), "languageButton");
            auto* menu = namedPart<LanguageMenu>(view()->row("translate"), "languageMenu");
            const QString menuId = QString::number(menu->winId());
            const QRect at(place + button->mapTo(panel, QPoint(0, 0)), button->size());
            for (int opening = 1; opening <= 3; ++opening) {
                session.xdotool({"mousemove", QString::number(at.center().x()),
                                 QString::number(at.center().y())});
                session.xdotool({"click", "1"});
                ASSERT_TRUE(XSession::waitUntil([&] { return session.isViewable(menuId); }));
                const QRect shown = session.windowGeometry(menuId);
                const QRect row = languageRow(menu, language)
                                      .translated(shown.topLeft() - menu->geometry().topLeft());
                if (std::abs(row.center().y() - at.center().y()) > 1 || !shown.contains(row) ||
                    !area.contains(shown)) {
                    missed << QStringLiteral(
                                  "%1, %2, opening %3: row at %4 (button at %5), "
                                  "menu %6 of %7 high at %8")
                                  .arg(language, high ? "high" : "low")
                                  .arg(opening)
                                  .arg(row.y())
                                  .arg(at.y())
                                  .arg(shown.height())
                                  .arg(area.height())
                                  .arg(shown.y());
                }
                menu->hide();
                ASSERT_TRUE(XSession::waitUntil([&] { return !session.isViewable(menuId); }));
            }
            controller.hide();
        }
    }
    EXPECT_TRUE(missed.isEmpty()) << missed.join("\n").toStdString();
}
