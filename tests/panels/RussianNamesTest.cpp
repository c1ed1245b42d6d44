// In the Russian interface the floating panels name their parts in Russian.

#include <QToolButton>

#include "QuickPanelFixture.h"
#include "TranslationPreviewFixture.h"
#include "panels/FloatingButtonController.h"
#include "support/EnglishNames.h"

// Every accessible name and tool tip of the quick panel (its language menu open), the floating
// button and the status box.
TEST_F(QuickPanelTest, RussianNamesEveryPartOfTheQuickPanelButtonAndStatus) {
    state.editSettings([](NiveloSettings& s) {
        s.uiLanguage = UiLanguage::ru;
        s.floatingButtonVisible = true;
    });
    controller.show(state);
    VirtualClock::flushEvents();
    namedPart<QToolButton>(view()->row("translate"), "languageButton")->click();
    FloatingButtonController button(&screens, {&activation, &hints});
    button.show(state, controller);
    hud.attach(&state);
    state.setStatus(ActionStatus::running(QStringLiteral("Читаю выделение")));
    VirtualClock::flushEvents();
    QStringList found;
    for (const QWidget* window :
         std::initializer_list<const QWidget*>{controller.panel(), button.panel(), hud.panel()}) {
        found << englishNames(window);
    }
    EXPECT_TRUE(found.isEmpty()) << found.join('\n').toStdString();
}

// Every accessible name and tool tip of the translation preview, with an error shown.
TEST_F(TranslationPreviewTest, RussianNamesEveryPartOfThePreview) {
    setLanguage(UiLanguage::ru);
    controller->show();
    desktop.pasteboard.clear();
    controller->pasteFromClipboardAndTranslate();  // an empty clipboard: an error, no request
    VirtualClock::flushEvents();
    const QStringList found = englishNames(controller->panel());
    EXPECT_TRUE(found.isEmpty()) << found.join('\n').toStdString();
}
