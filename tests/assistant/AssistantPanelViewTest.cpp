#include <QAccessible>
#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QScrollArea>
#include <QScrollBar>
#include <QVariantAnimation>
#include <optional>

#include "assistant/AssistantBubbleText.h"
#include "assistant/AssistantComposer.h"
#include "assistant/AssistantComposerTextView.h"
#include "assistant/AssistantFixture.h"
#include "assistant/AssistantLanguageList.h"
#include "assistant/AssistantPanel.h"
#include "assistant/AssistantReplyBar.h"
#include "assistant/AssistantTranscript.h"
#include "core/NiveloPromptLibrary.h"
#include "support/DrawnPopup.h"
#include "support/EnglishNames.h"
#include "support/NamedPart.h"
#include "theme/NiveloTheme.h"
#include "theme/PaintedButton.h"

namespace {

void key(QWidget* target, int k, Qt::KeyboardModifiers modifiers = {}, const QString& text = {}) {
    QKeyEvent event(QEvent::KeyPress, k, modifiers, text);
    QApplication::sendEvent(target, &event);
}

}  // namespace

class AssistantViewTest : public AssistantTest {
protected:
    AssistantPanel* view() const { return qobject_cast<AssistantPanel*>(controller.content()); }
    template <class T>
    T* part(const char* name) const {
        return namedPart<T>(view(), name);
    }
    AssistantComposerTextView* editor() const {
        return part<AssistantComposerTextView>("requestEditor");
    }
    AssistantTranscript* transcript() const { return part<AssistantTranscript>("transcript"); }
    QLabel* errorLabel() const { return part<QLabel>("errorLabel"); }
    // A part of one turn's row.
    template <class T>
    static T* rowPart(const AssistantTurnRow* row, const char* name) {
        return namedPart<T>(row, name);
    }
    void typeAndSend(const QString& text) {
        for (const QChar c : text) {
            key(editor(), 0, {}, QString(c));
        }
        key(editor(), Qt::Key_Return);
        settle();
    }
    AIReplyStyle style(const QString& id) const {
        return {id, id == "warm" ? "Warm & kind" : "Short", "", ""};
    }
    // Every visible control and text names itself to assistive technology.
    void expectAccessible(const char* where) {
        for (QWidget* w : view()->findChildren<QWidget*>()) {
            if (!w->isVisibleTo(view()) || w->size().isEmpty()) {
                continue;
            }
            QAccessibleInterface* a = QAccessible::queryAccessibleInterface(w);
            ASSERT_TRUE(a) << where;
            const bool control =
                qobject_cast<QAbstractButton*>(w) || qobject_cast<QPlainTextEdit*>(w);
            const auto* label = qobject_cast<QLabel*>(w);
            if (control || (label && !label->text().isEmpty())) {
                EXPECT_FALSE(w->accessibleName().isEmpty())
                    << where << " " << w->metaObject()->className() << " "
                    << (label ? label->text().toStdString() : "");
                const QAccessible::Role role = a->role();
                EXPECT_TRUE(role == QAccessible::Button || role == QAccessible::CheckBox ||
                            role == QAccessible::EditableText || role == QAccessible::StaticText ||
                            role == QAccessible::PushButton)
                    << where << " " << w->accessibleName().toStdString() << " role " << role;
            }
        }
    }
};

TEST_F(AssistantViewTest, ChatRoundTripShowsPlainTextBubblesAndScrollsToTheEnd) {
    backend.answer = [](const SentRequest& r) {
        return ClockedBackend::Answer{
            r["text"].endsWith("Again") ? QString("long line ").repeated(60) : "<b>x</b> & more"};
    };
    attach();
    controller.show("ab\n");
    ASSERT_TRUE(view());
    EXPECT_TRUE(editor()->hasFocus() || !QApplication::focusWindow());
    EXPECT_EQ(part<QLabel>("contextLength")->text(), "2 chars");
    EXPECT_EQ(part<QLabel>("emptyText")->text(), "Response will appear here.");

    typeAndSend("Hi\u00a0there");
    ASSERT_EQ(backend.sent.size(), 1);
    EXPECT_EQ(backend.sent[0]["text"], "Selected text:\nab\n\nRequest:\nHi\u00a0there");
    ASSERT_EQ(transcript()->rows().size(), 1);
    AssistantTurnRow* row = transcript()->rows()[0];
    EXPECT_EQ(rowPart<AssistantBubbleText>(row, "requestText")->text(), "Hi\u00a0there");
    EXPECT_EQ(rowPart<AssistantBubbleText>(row, "resultText")->text(), "<b>x</b> & more");
    EXPECT_EQ(rowPart<AssistantBubbleText>(row, "resultText")->document()->toPlainText(),
              "<b>x</b> & more");
    EXPECT_TRUE(editor()->rawText().isEmpty());
    EXPECT_TRUE(part<PaintedButton>("pasteResultButton")->isVisibleTo(view()));

    // The end comes into view: queued, then eased over 180 ms.
    auto* scroll = part<QVariantAnimation>("scrollAnimation");
    ASSERT_TRUE(scroll);
    EXPECT_EQ(scroll->duration(), AssistantTranscript::kScrollDurationMs);
    EXPECT_EQ(scroll->endValue().toInt(),
              part<QScrollArea>("transcriptScroll")->verticalScrollBar()->maximum());

    // A second answer keeps the first row's widgets; each row is as high as its texts need.
    typeAndSend("Again");
    ASSERT_EQ(transcript()->rows().size(), 2);
    EXPECT_EQ(transcript()->rows()[0], row);
    for (AssistantTurnRow* r : transcript()->rows()) {
        AssistantTurnRow fresh({r->turnId(),
                                rowPart<AssistantBubbleText>(r, "requestText")->text(),
                                rowPart<AssistantBubbleText>(r, "resultText")->text(),
                                {}},
                               {"You", "AI", ""});
        EXPECT_EQ(r->height(), fresh.heightForWidth(r->width()));
    }

    // A blank request sent with the submit key shows the error line; a new chat clears it.
    typeAndSend("   ");
    EXPECT_EQ(errorLabel()->text(), "Enter a request.");
    EXPECT_TRUE(errorLabel()->isVisibleTo(view()));
    part<PaintedButton>("newChatButton")->click();
    EXPECT_TRUE(transcript()->rows().isEmpty());
    EXPECT_FALSE(errorLabel()->isVisibleTo(view()));
    EXPECT_TRUE(part<QWidget>("emptyState")->isVisibleTo(view()));
}

TEST_F(AssistantViewTest, CopyMarkShowsOnTheCopiedTurnOnlyAndGoesAfterItsTime) {
    attach();
    controller.show("");
    typeAndSend("one");
    typeAndSend("two");
    const QList<AssistantTurnRow*> rows = transcript()->rows();
    ASSERT_EQ(rows.size(), 2);
    const auto copy = [&](int i) { return rowPart<PaintedButton>(rows[i], "copyButton"); };
    copy(1)->click();
    EXPECT_EQ(desktop.pasteboard.plainText(), "TWO");
    EXPECT_EQ(copy(1)->look().leading[0].symbol, "checkmark");
    EXPECT_EQ(copy(1)->look().foreground.role, ThemeColor::Role::accent);
    EXPECT_EQ(copy(0)->look().leading[0].symbol, "doc.on.doc");
    desktop.clock.advance(AssistantPanelController::kCopyMarkMs);
    VirtualClock::flushEvents();
    EXPECT_EQ(copy(1)->look().leading[0].symbol, "doc.on.doc");
    EXPECT_EQ(copy(1)->look().foreground.role, ThemeColor::Role::secondary);
    expectAccessible("chat");
}

TEST_F(AssistantViewTest, ReplyModeBarStyleMenuAndLanguageList) {
    state.editSettings([&](NiveloSettings& s) {
        s.aiReplyStyles = {style("warm"), style("short")};
    });
    backend.answer = [](const SentRequest& r) {
        return ClockedBackend::Answer{r["action"] == "translate" ? "Klar, um zwölf."
                                                                 : "Sure, at noon."};
    };
    attach(UiLanguage::ru);
    controller.showReply("Can we meet?", style("warm"), "English");
    auto* chip = part<PaintedButton>("languageChip");
    auto* paste = part<PaintedButton>("pasteButton");
    EXPECT_EQ(part<QLabel>("title")->text(), "AI Reply");
    EXPECT_FALSE(part<AssistantComposer>("composer")->isVisibleTo(view()));
    EXPECT_TRUE(part<AssistantReplyBar>("replyBar")->isVisibleTo(view()));
    // While the reply is written nothing of the bar works, nor the style menu.
    EXPECT_FALSE(chip->isEnabled());
    EXPECT_FALSE(paste->isEnabled());
    EXPECT_FALSE(part<PaintedButton>("replyStyleButton")->isEnabled());
    EXPECT_EQ(part<QLabel>("emptyText")->text(), "Готовлю ответ...");
    settle();
    ASSERT_EQ(transcript()->rows().size(), 1);
    EXPECT_TRUE(paste->isEnabled());
    EXPECT_EQ(part<PaintedButton>("translateButton")->look().text, "Перевод");
    EXPECT_EQ(chip->look().text, "EN");

    // The menu escapes "&" and checks only the style in use.
    QList<QAction*> entries = part<QMenu>("replyStyleMenu")->actions();
    ASSERT_EQ(entries.size(), 2);
    EXPECT_EQ(entries[0]->text(), "Warm && kind");
    EXPECT_FALSE(entries[0]->icon().isNull());
    EXPECT_TRUE(entries[1]->icon().isNull());

    // The list stays open while the panel is hidden and shown again.
    chip->click();
    auto* list = part<AssistantLanguageList>("languageList");
    ASSERT_TRUE(list->isVisibleTo(view()));
    controller.hidePanel();
    controller.panel()->show();
    EXPECT_TRUE(list->isVisibleTo(view()));
    const QList<AssistantLanguageRowButton*> languages =
        list->findChildren<AssistantLanguageRowButton*>("languageRow");
    ASSERT_EQ(languages.size(), 100);
    int checked = 0;
    for (AssistantLanguageRowButton* row : languages) {
        checked += row->row().checked ? 1 : 0;
    }
    EXPECT_EQ(checked, 1);
    const QRect chipArea(chip->mapTo(view(), QPoint(0, 0)), chip->size());
    EXPECT_EQ(list->geometry().left(), chipArea.left());
    EXPECT_EQ(list->geometry().bottom(), chipArea.bottom() - AssistantPanel::kLanguageListLift);

    // Choosing closes the list first, then selects and translates.
    std::optional<bool> openWhenChosen;
    QObject::connect(&controller, &AssistantPanelController::replyTranslationLanguageChanged,
                     [&] { openWhenChosen = view()->isLanguageListVisible(); });
    const int german = int(NiveloPromptLibrary::languages().indexOf("German"));
    languages[german]->click();
    EXPECT_EQ(openWhenChosen, false);
    EXPECT_FALSE(list->isVisibleTo(view()));
    settle();
    EXPECT_EQ(backend.sent.last()["action"], "translate");
    EXPECT_EQ(chip->look().text, "DE");
    EXPECT_EQ(rowPart<AssistantBubbleText>(transcript()->rows()[0], "resultText")->text(),
              "Klar, um zwölf.");
    chip->click();
    EXPECT_TRUE(languages[german]->row().checked);
    expectAccessible("reply");
}

TEST_F(AssistantViewTest, PanelNeverSmallerThanItsMinimum) {
    attach();
    controller.show("");
    controller.panel()->resize(100, 100);
    EXPECT_GE(controller.panel()->width(), 480);
    EXPECT_GE(controller.panel()->height(), 560);
    EXPECT_GE(view()->width(), 480);
    EXPECT_GE(view()->height(), 560);
}

// The reply-style menu opens in the panel's look, dark in a liquid mode or on a dark desktop.
TEST_F(AssistantViewTest, TheReplyStyleMenuOpensInThePanelsLook) {
    attach();
    controller.show("");
    for (const auto& [mode, darkDesktop, dark] : kPopupLooks) {
        const auto desktop = desktopIn({mode, darkDesktop, dark});
        state.editSettings([&](NiveloSettings& s) { s.appearanceMode = mode; });
        settle();
        part<PaintedButton>("replyStyleButton")->click();
        auto* menu = part<QMenu>("replyStyleMenu");
        ASSERT_TRUE(menu->isVisible());
        const int ground = drawnPopup::menuGround(menu);
        EXPECT_TRUE(dark ? ground < 100 : ground > 200) << int(mode) << " " << ground;
        menu->hide();
    }
}

// At 200 % on 1920 x 1080 with a task bar 525 px are visible, less than the minimum: cut to
// that, the panel keeps the composer (chat) and the reply bar (reply) whole inside it.
TEST_F(AssistantViewTest, ControlsStayInsideAPanelCutToASmallScreen) {
    state.editSettings([&](NiveloSettings& s) { s.aiReplyStyles = {style("warm")}; });
    attach();
    controller.show("");
    PanelWindow* panel = controller.panel();
    panel->place({0, 0, 960, 525});
    settle();
    EXPECT_EQ(panel->size(), QSize(960, 525));
    const auto inside = [&](QWidget* w) {
        return panel->rect().contains(QRect(w->mapTo(panel, QPoint()), w->size()));
    };
    EXPECT_TRUE(inside(part<AssistantComposer>("composer")));
    controller.showReply("Can we meet?", style("warm"), "English");
    settle();
    EXPECT_TRUE(inside(part<AssistantReplyBar>("replyBar")));
}

// In the Russian interface every accessible name and tool tip of the assistant is Russian, in
// the chat and in the reply mode with its language list open.
TEST_F(AssistantViewTest, RussianNamesEveryPart) {
    attach(UiLanguage::ru);
    controller.show("Контекст");
    QStringList found = englishNames(controller.panel(), {"AI"});
    controller.showReply("Can we meet?", style("warm"), "English");
    settle();
    part<PaintedButton>("languageChip")->click();
    found << englishNames(controller.panel(), {"AI", "Can we meet?", "Fine, thanks", "EN"});
    found.removeDuplicates();
    EXPECT_TRUE(found.isEmpty()) << found.join('\n').toStdString();
}
