#include <gtest/gtest.h>

#include <memory>

#include <QApplication>
#include <QPointer>
#include <QScopeGuard>
#include <QScreen>
#include <QToolButton>

#include "core/NiveloPromptLibrary.h"
#include "panels/LanguageMenu.h"
#include "panels/LanguagePicker.h"
#include "panels/QuickPanelFixture.h"
#include "panels/TranslationPreviewFixture.h"
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
class X11PreviewLanguageMenu : public TranslationPreviewTest {};

// The dock's work area, once the dock has taken its room; the whole screen comes back when
// the result is dropped.
std::shared_ptr<BottomDock> dockAt40() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    auto dock = std::shared_ptr<BottomDock>(new BottomDock(40), [screen](BottomDock* d) {
        delete d;
        EXPECT_TRUE(
            XSession::waitUntil([&] { return screen->availableGeometry() == screen->geometry(); }));
    });
    EXPECT_TRUE(XSession::waitUntil(
        [&] { return screen->availableGeometry().height() == screen->geometry().height() - 40; }));
    return dock;
}

// Opens a language menu three times by clicks at `opener` (on screen) and notes each opening
// whose row of `language` is not at the opener's `label` (on screen) or that leaves the work
// area. Where the menu lies is the X server's word.
void checkOpenings(QWidget* menu, const QString& language, const QRect& label, QPoint click,
                   const QString& what, QStringList& missed) {
    XSession& session = x11Session();
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    const QString menuId = QString::number(menu->winId());
    for (int opening = 1; opening <= 3; ++opening) {
        session.xdotool({"mousemove", QString::number(click.x()), QString::number(click.y())});
        session.xdotool({"click", "1"});
        ASSERT_TRUE(XSession::waitUntil([&] { return session.isViewable(menuId); }));
        const QRect shown = session.windowGeometry(menuId);
        const QRect row =
            languageRow(menu, language).translated(shown.topLeft() - menu->geometry().topLeft());
        if (std::abs(row.center().y() - label.center().y()) > 1 || !shown.contains(row) ||
            !area.contains(shown)) {
            missed << QStringLiteral(
                          "%1, opening %2: row at %3 (label at %4), menu %5 of %6 high "
                          "at %7")
                          .arg(what)
                          .arg(opening)
                          .arg(row.y())
                          .arg(label.y())
                          .arg(shown.height())
                          .arg(area.height())
                          .arg(shown.y());
        }
        menu->hide();
        ASSERT_TRUE(XSession::waitUntil([&] { return !session.isViewable(menuId); }));
    }
}

// Moves the panel near the work area's top or bottom edge; where it lies once the X server has
// it there, or a null point.
QPoint placePanel(QWidget* panel, bool high) {
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    const QPoint place(area.left() + 40,
                       high ? area.top() + 10 : area.bottom() - panel->height() - 10);
    panel->move(place);
    const QString panelId = QString::number(panel->winId());
    const bool there = XSession::waitUntil(
        [&] { return x11Session().windowGeometry(panelId).topLeft() == place; });
    return there ? place : QPoint();
}

}  // namespace

// Above a dock, every opening of the quick panel's language menu shows the target language
// over its button and wholly in the work area, whether the language heads the list or lies deep
// in it, with the panel high or low; the menu is never taller than the work area. Where the
// panel and the menu lie is the X server's word.
TEST_F(X11LanguageMenu, OpensAtTheTargetLanguageEveryTime) {
    const auto dock = dockAt40();
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
            const QPoint place = placePanel(panel, high);
            ASSERT_FALSE(place.isNull());
            auto* button = namedPart<QToolButton>(view()->row("translate"), "languageButton");
            auto* menu = namedPart<LanguageMenu>(view()->row("translate"), "languageMenu");
            const QRect at(place + button->mapTo(panel, QPoint(0, 0)), button->size());
            checkOpenings(menu, language, at, at.center(), language + (high ? ", high" : ", low"),
                          missed);
            controller.hide();
        }
    }
    EXPECT_TRUE(missed.isEmpty()) << missed.join("\n").toStdString();
}

// The translation preview's language list opens as the quick panel's: the target language
// over the box's text, wholly in the work area, the panel high or low.
TEST_F(X11PreviewLanguageMenu, OpensAtTheTargetLanguageEveryTime) {
    const auto dock = dockAt40();
    QStringList missed;
    for (const QString& language : {QString("English"), QString("Swahili")}) {
        controller->setTargetLanguage(language);
        for (const bool high : {true, false}) {
            controller->show();
            VirtualClock::flushEvents();
            QWidget* panel = controller->panel();
            const QPoint place = placePanel(panel, high);
            ASSERT_FALSE(place.isNull());
            auto* picker = part<LanguagePicker>("languagePicker");
            const QPoint box = place + picker->mapTo(panel, QPoint(0, 0));
            checkOpenings(picker->menu(), language, picker->textRect().translated(box),
                          box + picker->rect().center(), language + (high ? ", high" : ", low"),
                          missed);
            controller->hide();
        }
    }
    EXPECT_TRUE(missed.isEmpty()) << missed.join("\n").toStdString();
}

// With the pointer resting on the open list where the click left it, what the keys choose is
// what Return picks, however far the list scrolls under the pointer: a typed name, or thirty
// rows down by the arrow key.
TEST_F(X11LanguageMenu, TheKeysChoiceStandsUnderARestingPointer) {
    XSession& session = x11Session();
    const QStringList languages = NiveloPromptLibrary::languages();
    const QStringList down30(30, QStringLiteral("Down"));
    const struct {
        QString from;
        QStringList keys;
        QString expected;
    } cases[] = {
        {"English", {"s", "w", "a"}, "Swahili"},
        // Down stops at the last language.
        {"Swahili", down30,
         languages.value(std::min(languages.indexOf("Swahili") + 30, languages.size() - 1))},
        {"German", down30, languages.value(languages.indexOf("German") + 30)},
        {"Vietnamese", {"Up", "Up", "Up"}, languages.value(languages.indexOf("Vietnamese") - 3)},
    };
    QStringList missed;
    for (const auto& c : cases) {
        state.editSettings([&](NiveloSettings& s) {
            s.quickMenuActions = {"translate"};
            s.targetLanguage = c.from;
        });
        controller.show(state);
        VirtualClock::flushEvents();
        QWidget* panel = controller.panel();
        const QString panelId = QString::number(panel->winId());
        ASSERT_TRUE(XSession::waitUntil([&] { return session.isViewable(panelId); }));
        auto* button = namedPart<QToolButton>(view()->row("translate"), "languageButton");
        // A pick rebuilds the rows, the menu with them.
        QPointer<LanguageMenu> menu =
            namedPart<LanguageMenu>(view()->row("translate"), "languageMenu");
        QString picked;
        const QMetaObject::Connection noted = QObject::connect(
            menu, &LanguageMenu::picked, [&](const QString& language) { picked = language; });
        const QRect at(session.windowGeometry(panelId).topLeft() + button->mapTo(panel, QPoint()),
                       button->size());
        session.xdotool({"mousemove", QString::number(at.center().x()),
                         QString::number(at.center().y()), "click", "1"});
        const QString menuId = QString::number(menu->winId());
        ASSERT_TRUE(XSession::waitUntil([&] { return session.isViewable(menuId); }));
        session.xdotool(QStringList{"key", "--delay", "15"} + c.keys + QStringList{"Return"});
        XSession::waitUntil([&] { return !picked.isEmpty(); });
        if (picked != c.expected) {
            missed << QStringLiteral("from %1 by %2: %3, not %4")
                          .arg(c.from, c.keys.join(' ').left(20), picked, c.expected);
        }
        QObject::disconnect(noted);
        if (menu) {
            menu->hide();
        }
        controller.hide();
    }
    EXPECT_TRUE(missed.isEmpty()) << missed.join("\n").toStdString();
}
