// The translation preview's content, offscreen.

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QToolButton>
#include <optional>

#include "TranslationPreviewFixture.h"
#include "panels/QuickPanelFixture.h"
#include "panels/SelectablePreviewTextView.h"
#include "platform/KeyModifiers.h"
#include "support/DrawnPopup.h"
#include "theme/NiveloTheme.h"

class TranslationPreviewViewTest : public TranslationPreviewTest {
protected:
    void SetUp() override {
        TranslationPreviewTest::SetUp();
        controller->show();
        VirtualClock::flushEvents();
    }
    void translateClipboard(const QString& text) {
        desktop.pasteboard.clear();
        desktop.pasteboard.setPlainText(text);
        controller->pasteFromClipboardAndTranslate();
        settle();
    }
};

TEST_F(TranslationPreviewViewTest, TheOriginalShowsBesideTheTranslationOnlyWhenItFits) {
    // Panel width, whether the original is asked for, whether it shows.
    const std::tuple<int, bool, bool> cases[] = {{680, true, true},
                                                 {652, true, true},
                                                 {651, true, false},
                                                 {520, true, false},
                                                 {680, false, false}};
    for (const auto& [width, sourceVisible, shown] : cases) {
        controller->setSourceVisible(sourceVisible);
        controller->panel()->resize(width, 460);
        VirtualClock::flushEvents();
        EXPECT_TRUE(part<QWidget>("sourcePane")->isVisible() == shown &&
                    part<QWidget>("resultPane")->isVisible())
            << width;
    }
}

TEST_F(TranslationPreviewViewTest, TextsFollowTheInterfaceLanguage) {
    const std::pair<UiLanguage, QStringList> cases[] = {
        {UiLanguage::en,
         {"Translation", "Hide original", "Show original", "Translation will appear here.",
          "From Clipboard", "Copy", "Insert"}},
        {UiLanguage::ru,
         {"Перевод", "Скрыть оригинал", "Показать оригинал", "Перевод появится здесь.", "Из буфера",
          "Скопировать", "Вставить перевод"}}};
    for (const auto& [language, expected] : cases) {
        setLanguage(language);
        VirtualClock::flushEvents();
        controller->setSourceVisible(true);
        const QString hide = part<QToolButton>("sourceToggle")->toolTip();
        part<QToolButton>("sourceToggle")->click();
        EXPECT_EQ(
            QStringList({view()->model().title, hide,
                         part<QToolButton>("sourceToggle")->accessibleName(),
                         part<SelectablePreviewTextView>("resultView")->placeholderText(),
                         part<QPushButton>("fromClipboard")->accessibleName(),
                         part<QPushButton>("copy")->text(), part<QPushButton>("insert")->text()}),
            expected);
        EXPECT_EQ(view()->model().sourceToggleSymbol, "sidebar.leading");
    }
    EXPECT_EQ(part<QComboBox>("languagePicker")->count(), 100);
    EXPECT_EQ(part<QComboBox>("languagePicker")->currentText(), "English");
    EXPECT_EQ(part<QToolButton>("decreaseText")->text(), QString(QChar(0x2212)));
}

TEST_F(TranslationPreviewViewTest, TextSizeControlsStopAtTheirLimits) {
    // Size, "−" and "+" enabled, the sample letter's size.
    const std::tuple<double, bool, bool, int> cases[] = {
        {12, false, true, 12}, {24, true, true, 20}, {28, true, false, 20}};
    for (const auto& [size, decrease, increase, letter] : cases) {
        controller->setPreviewFontSize(size);
        EXPECT_EQ(std::tuple(part<QToolButton>("decreaseText")->isEnabled(),
                             part<QToolButton>("increaseText")->isEnabled(),
                             view()->sampleLetterPixelSize(),
                             part<SelectablePreviewTextView>("resultView")->font().pixelSize()),
                  std::tuple(decrease, increase, letter, int(size)));
    }
    part<QToolButton>("decreaseText")->click();
    EXPECT_EQ(controller->previewFontSize(), 27);
}

// While a translation runs only what would start another one is off; the old result stays.
TEST_F(TranslationPreviewViewTest, WhileRunningOnlyNewTranslationsAreOff) {
    EXPECT_FALSE(part<QPushButton>("copy")->isEnabled() ||
                 part<QPushButton>("insert")->isEnabled());
    translateClipboard("hello world");
    EXPECT_TRUE(part<QWidget>("spinner")->isHidden() && part<QLabel>("errorLabel")->isHidden());

    Q_EMIT part<QComboBox>("languagePicker")
        ->activated(part<QComboBox>("languagePicker")->findText("French"));
    EXPECT_TRUE(controller->isRunning() && !part<QWidget>("spinner")->isHidden());
    EXPECT_FALSE(part<QComboBox>("languagePicker")->isEnabled() ||
                 part<QPushButton>("fromClipboard")->isEnabled());
    const QList<QWidget*> on{part<QToolButton>("sourceToggle"), part<QToolButton>("decreaseText"),
                             part<QToolButton>("increaseText"), part<QPushButton>("copy"),
                             part<QPushButton>("insert")};
    EXPECT_TRUE(std::all_of(on.begin(), on.end(), [](QWidget* w) { return w->isEnabled(); }));
    EXPECT_EQ(part<SelectablePreviewTextView>("resultView")->toPlainText(), "[HELLO WORLD]");
    settle();
    EXPECT_EQ(part<QWidget>("resultPane")->findChild<QLabel*>()->text(), "French");
}

// A translation holding no-break spaces and U+2028 is not set again when the view redraws: the
// text stays the same document and the selection stays.
TEST_F(TranslationPreviewViewTest, ARedrawLeavesATextWithInvisibleCharactersAlone) {
    translateClipboard(QStringLiteral("10\u00a0000 руб.\u2028итого"));
    SelectablePreviewTextView* result = part<SelectablePreviewTextView>("resultView");
    ASSERT_TRUE(result->toPlainText().startsWith("[10 000"));
    int resets = 0;
    QObject::connect(result, &QPlainTextEdit::textChanged, [&] { ++resets; });
    QTextCursor cursor = result->textCursor();
    cursor.setPosition(2);
    cursor.setPosition(7, QTextCursor::KeepAnchor);
    result->setTextCursor(cursor);
    part<QToolButton>("increaseText")->click();
    VirtualClock::flushEvents();
    EXPECT_EQ(resets, 0);
    EXPECT_EQ(result->textCursor().selectedText(), QStringLiteral("0\u00a0000"));
}

// A selection in the translation survives a larger text; Escape and a close request hide.
TEST_F(TranslationPreviewViewTest, SelectionSurvivesALargerTextAndEscapeHides) {
    translateClipboard("hello world");
    QTextCursor cursor = part<SelectablePreviewTextView>("resultView")->textCursor();
    cursor.setPosition(7);
    cursor.setPosition(12, QTextCursor::KeepAnchor);
    part<SelectablePreviewTextView>("resultView")->setTextCursor(cursor);
    part<QToolButton>("increaseText")->click();
    EXPECT_EQ(part<SelectablePreviewTextView>("resultView")->font().pixelSize(), 15);
    EXPECT_EQ(part<SelectablePreviewTextView>("resultView")->textCursor().selectedText(), "WORLD");

    monitors.emitLocal(MonitoredEvent::KeyDown, nullptr, KeyCode::Escape);
    VirtualClock::flushEvents();
    EXPECT_FALSE(controller->isPanelVisible() || controller->hasDismissMonitor());
    controller->show();
    controller->panel()->close();
    EXPECT_FALSE(controller->isPanelVisible() || controller->hasDismissMonitor());
}

// The language list is the quick panel's language menu, opening on the target language, in the
// preview's look (dark in a liquid mode or on a dark desktop). Where it lies is checked on X11.
TEST_F(TranslationPreviewViewTest, TheLanguageListIsTheLanguageMenuInThePreviewsLook) {
    for (const auto& [mode, darkDesktop, dark] : kPopupLooks) {
        const auto desktop = desktopIn({mode, darkDesktop, dark});
        state->editSettings([&](NiveloSettings& s) { s.appearanceMode = mode; });
        controller->setTargetLanguage("Vietnamese");
        VirtualClock::flushEvents();
        auto* picker = part<QComboBox>("languagePicker");
        picker->showPopup();
        auto* menu = namedPart<QWidget>(picker, "languageMenu");
        ASSERT_TRUE(menu && menu->isVisible());
        const auto* list = namedPart<QListWidget>(menu, "languageList");
        EXPECT_EQ(list->currentItem()->text(), "Vietnamese");
        const QImage shot = menu->grab().toImage();
        const int ground =
            shot.pixelColor(menu->width() - 4,
                            menu->mapFromGlobal(languageRow(menu, "Indonesian").center()).y())
                .lightness();
        EXPECT_TRUE(dark ? ground < 100 : ground > 200) << int(mode) << " " << ground;
        picker->hidePopup();
        EXPECT_FALSE(menu->isVisible());
    }
}
