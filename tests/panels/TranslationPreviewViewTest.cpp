// The translation preview's content, offscreen: what shows at which width, its texts in both
// languages, which controls work while a translation runs, and a selection that survives a
// redraw.

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QToolButton>

#include "TranslationPreviewFixture.h"
#include "panels/SelectablePreviewTextView.h"
#include "platform/KeyModifiers.h"

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
    const struct {
        int width;
        bool sourceVisible, shown;
    } cases[] = {{680, true, true},
                 {652, true, true},
                 {651, true, false},
                 {520, true, false},
                 {680, false, false}};
    for (const auto& c : cases) {
        controller->setSourceVisible(c.sourceVisible);
        controller->panel()->resize(c.width, 460);
        VirtualClock::flushEvents();
        EXPECT_EQ(view()->sourcePane()->isVisible(), c.shown) << c.width;
        EXPECT_TRUE(view()->resultPane()->isVisible());
        EXPECT_EQ(view()->model().showsSourcePane, c.shown);
    }
}

TEST_F(TranslationPreviewViewTest, TextsFollowTheInterfaceLanguage) {
    const struct {
        UiLanguage language;
        const char *title, *hide, *show, *placeholder, *fromClipboard, *copy, *insert;
    } cases[] = {
        {UiLanguage::en, "Translation", "Hide original", "Show original",
         "Translation will appear here.", "From Clipboard", "Copy", "Insert"},
        {UiLanguage::ru, "Перевод", "Скрыть оригинал", "Показать оригинал",
         "Перевод появится здесь.", "Из буфера", "Скопировать", "Вставить перевод"},
    };
    for (const auto& c : cases) {
        setLanguage(c.language);
        VirtualClock::flushEvents();
        controller->setSourceVisible(true);
        EXPECT_EQ(view()->model().title, c.title);
        EXPECT_EQ(view()->sourceToggle()->toolTip(), c.hide);
        view()->sourceToggle()->click();
        EXPECT_EQ(view()->sourceToggle()->accessibleName(), c.show);
        EXPECT_EQ(view()->model().sourceToggleSymbol, "sidebar.leading");
        EXPECT_EQ(view()->resultView()->placeholderText(), c.placeholder);
        EXPECT_EQ(view()->fromClipboardButton()->accessibleName(), c.fromClipboard);
        EXPECT_EQ(view()->copyButton()->text(), c.copy);
        EXPECT_EQ(view()->insertButton()->text(), c.insert);
        EXPECT_EQ(view()->languagePicker()->count(), 100);
        EXPECT_EQ(view()->languagePicker()->currentText(), "English");
    }
    EXPECT_EQ(view()->decreaseButton()->text(), QString(QChar(0x2212)));
}

TEST_F(TranslationPreviewViewTest, TextSizeControlsStopAtTheirLimits) {
    const struct {
        double size;
        bool decrease, increase;
        int letter;
    } cases[] = {{12, false, true, 12}, {24, true, true, 20}, {28, true, false, 20}};
    for (const auto& c : cases) {
        controller->setPreviewFontSize(c.size);
        EXPECT_EQ(view()->decreaseButton()->isEnabled(), c.decrease) << c.size;
        EXPECT_EQ(view()->increaseButton()->isEnabled(), c.increase) << c.size;
        EXPECT_EQ(view()->sampleLetterPixelSize(), c.letter) << c.size;
        EXPECT_EQ(view()->resultView()->font().pixelSize(), int(c.size));
    }
    view()->decreaseButton()->click();
    EXPECT_EQ(controller->previewFontSize(), 27);
}

// While a translation runs only what would start another one is off; the old result stays.
TEST_F(TranslationPreviewViewTest, WhileRunningOnlyNewTranslationsAreOff) {
    EXPECT_FALSE(view()->copyButton()->isEnabled());
    EXPECT_FALSE(view()->insertButton()->isEnabled());
    translateClipboard("hello world");
    EXPECT_TRUE(view()->spinner()->isHidden());
    EXPECT_TRUE(view()->errorLabel()->isHidden());

    view()->languagePicker()->setCurrentIndex(view()->languagePicker()->findText("French"));
    Q_EMIT view()->languagePicker()->activated(view()->languagePicker()->currentIndex());
    EXPECT_TRUE(controller->isRunning());
    EXPECT_FALSE(view()->spinner()->isHidden());
    EXPECT_FALSE(view()->languagePicker()->isEnabled());
    EXPECT_FALSE(view()->fromClipboardButton()->isEnabled());
    for (QWidget* on : std::initializer_list<QWidget*>{
             view()->sourceToggle(), view()->decreaseButton(), view()->increaseButton(),
             view()->copyButton(), view()->insertButton()}) {
        EXPECT_TRUE(on->isEnabled()) << on->accessibleName().toStdString();
    }
    EXPECT_EQ(view()->resultView()->toPlainText(), "[HELLO WORLD]");
    settle();
    EXPECT_EQ(view()->resultPane()->findChild<QLabel*>()->text(), "French");

    desktop.pasteboard.clear();
    view()->fromClipboardButton()->click();
    EXPECT_FALSE(view()->errorLabel()->isHidden());
    EXPECT_EQ(view()->errorLabel()->text(), "Clipboard is empty.");
}

TEST_F(TranslationPreviewViewTest, ASelectionInTheTranslationSurvivesALargerText) {
    translateClipboard("hello world");
    QTextCursor cursor = view()->resultView()->textCursor();
    cursor.setPosition(7);
    cursor.setPosition(12, QTextCursor::KeepAnchor);
    view()->resultView()->setTextCursor(cursor);
    view()->increaseButton()->click();
    EXPECT_EQ(view()->resultView()->font().pixelSize(), 15);
    EXPECT_EQ(view()->resultView()->textCursor().selectedText(), "WORLD");
    EXPECT_TRUE(view()->resultView()->isReadOnly());
}

TEST_F(TranslationPreviewViewTest, EscapeAndTheCloseButtonHideThePanel) {
    ASSERT_TRUE(controller->hasDismissMonitor());
    monitors.emitLocal(MonitoredEvent::KeyDown, nullptr, KeyCode::Escape);
    VirtualClock::flushEvents();
    EXPECT_FALSE(controller->isPanelVisible());
    EXPECT_FALSE(controller->hasDismissMonitor());
    controller->show();
    controller->panel()->close();
    EXPECT_FALSE(controller->isPanelVisible());
    EXPECT_FALSE(controller->hasDismissMonitor());
}
