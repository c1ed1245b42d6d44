#include <qpa/qwindowsysteminterface.h>

#include <QApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QToolButton>
#include <QTreeView>

#include "ShellFixture.h"
#include "app/MainWindow.h"
#include "app/NiveloNativeApp.h"
#include "assistant/AssistantPanelController.h"
#include "capture/FocusService.h"
#include "panels/PanelStateFixture.h"
#include "panels/QuickPanelController.h"
#include "settingswindow/LayoutSettingsView.h"
#include "settingswindow/MainSettingsView.h"
#include "support/NamedPart.h"

namespace {

// The simulated services of the panel tests, taken whole.
struct Desk : PanelStateTest {
    void TestBody() override {}
    using PanelStateTest::appearance;
    using PanelStateTest::capture;
    using PanelStateTest::core;
    using PanelStateTest::desktop;
    using PanelStateTest::inputs;
    using PanelStateTest::store;
};

// The app's quick panel notes the frontmost application in the process-wide focus memory:
// it is made once, over a desktop that lives as long as the process.
void makeProcessFocusMemory() {
    static const bool made = [] {
        Platform& current = Platform::current();
        auto* desktop = new SimulatedDesktop();
        auto* platform = new Platform();
        platform->workspace = std::make_unique<SimulatedWorkspace>(*desktop);
        platform->accessibility = std::make_unique<SimulatedAccessibility>(*desktop);
        Platform::setCurrent(platform);
        FocusService::shared();
        Platform::setCurrent(&current);
        return true;
    }();
    (void)made;
}

// The app with a state, the settings window and the assistant.
class AppWindowsTest : public ShellFixture {
protected:
    void SetUp() override {
        ShellFixture::SetUp();
        makeProcessFocusMemory();
        app = std::make_unique<NiveloNativeApp>(platform_, [this] {
            NiveloNativeApp::Services services;
            services.appState = std::make_unique<NiveloAppState>(
                NiveloAppState::Dependencies{d.desktop.clock, d.store, d.core, d.capture.pasteboard,
                                             d.inputs, d.capture.history, d.appearance});
            services.assistantPanel = std::make_unique<AssistantPanelController>(
                AssistantPanelController::Dependencies{d.desktop.clock, nullptr});
            return services;
        });
    }
    void TearDown() override {
        app.reset();
        ShellFixture::TearDown();
    }
    // Command+Shift+Space typed into the window, made the active one, as the platform hands
    // a key over: shortcuts first, then the focused widget.
    void pressKey(QWidget* window) {
        window->activateWindow();
        QApplication::setActiveWindow(window);
        ASSERT_EQ(QApplication::activeWindow(), window);
        const auto mods = Qt::MetaModifier | Qt::ShiftModifier;
        for (const QEvent::Type type : {QEvent::KeyPress, QEvent::KeyRelease}) {
            QWindowSystemInterface::handleKeyEvent<QWindowSystemInterface::SynchronousDelivery>(
                window->windowHandle(), type, Qt::Key_Space, mods, QStringLiteral(" "));
        }
    }

    Desk d;
    std::unique_ptr<NiveloNativeApp> app;
};

// The key toggles the quick panel from the settings window, and from the assistant once the
// settings window is closed to the tray.
TEST_F(AppWindowsTest, TogglesTheQuickPanelFromWhicheverOfOurWindowsIsActive) {
    app->launch();
    VirtualClock::flushEvents();
    QPointer<MainWindow> settings = app->mainWindow();
    ASSERT_NE(settings, nullptr);
    AssistantPanelController* assistant = app->assistantPanel();
    assistant->show(QString());
    QWidget* assistantWindow = assistant->content()->window();
    ASSERT_TRUE(assistantWindow->isVisible());

    QuickPanelController& quick = app->quickPanel();
    QStringList missed;
    const auto check = [&](const char* where, QWidget* window) {
        for (const bool shown : {true, false}) {
            pressKey(window);
            if (quick.isPanelVisible() != shown) {
                missed << QStringLiteral("%1 %2").arg(where, shown ? "open" : "hide");
            }
        }
    };
    check("settings window", settings);
    check("assistant beside the settings window", assistantWindow);
    EXPECT_FALSE(settings->close());  // closed to the tray
    VirtualClock::flushEvents();
    ASSERT_TRUE(settings && !settings->isVisible());
    check("assistant, settings window hidden", assistantWindow);
    EXPECT_TRUE(missed.isEmpty()) << missed.join(", ").toStdString();
}

// The settings content keeps its whole minimum; the window adds the menu bar to it.
TEST_F(AppWindowsTest, SettingsContentIsNeverSmallerThanItsMinimum) {
    app->launch();
    VirtualClock::flushEvents();
    MainWindow* window = app->mainWindow();
    ASSERT_NE(window, nullptr);
    auto* content = qobject_cast<MainSettingsView*>(window->centralWidget());
    ASSERT_NE(content, nullptr);
    const QSize minimum(MainWindow::kMinimumWidth, MainWindow::kMinimumHeight);
    EXPECT_EQ(minimum, QSize(760, 500));
    EXPECT_GT(window->menuBar()->height(), 0);
    for (const QSize asked : {QSize(100, 100), QSize(760, 500), QSize(900, 700)}) {
        window->resize(asked);
        EXPECT_EQ(content->size(),
                  asked.expandedTo(window->minimumSize()) - QSize(0, window->menuBar()->height()));
        EXPECT_EQ(content->size().expandedTo(minimum), content->size()) << asked.width();
    }
    EXPECT_EQ(window->minimumSize(), minimum + QSize(0, window->menuBar()->height()));
}

// Qt's own texts of the Layout page's file dialog (its labels, buttons, tool tips and columns)
// follow the interface language, and turn back to English with it.
TEST_F(AppWindowsTest, QtsOwnDialogTextsFollowTheInterfaceLanguage) {
    app->launch();
    VirtualClock::flushEvents();
    NiveloAppState& state = *app->appState();
    state.setSelectedSettingsPage(SettingsPage::layout);
    VirtualClock::flushEvents();
    // Every text Qt wrote into the dialog.
    const auto dialogTexts = [&] {
        auto* page = namedPart<LayoutSettingsView>(app->mainWindow(), "page");
        namedPart<QPushButton>(page, "addApplication")->click();
        QPointer<QFileDialog> dialog = namedPart<QFileDialog>(page, "applicationDialog");
        QStringList texts;
        for (const char* label : {"lookInLabel", "fileNameLabel", "fileTypeLabel"}) {
            texts << namedPart<QLabel>(dialog.data(), label)->text();
        }
        for (const char* button : {"backButton", "toParentButton", "detailModeButton"}) {
            texts << namedPart<QToolButton>(dialog.data(), button)->toolTip();
        }
        texts << namedPart<QDialogButtonBox>(dialog.data(), "buttonBox")
                     ->button(QDialogButtonBox::Cancel)
                     ->text();
        const QAbstractItemModel* columns =
            namedPart<QTreeView>(dialog.data(), "treeView")->model();
        for (int i = 0; i < columns->columnCount(); ++i) {
            texts << columns->headerData(i, Qt::Horizontal).toString();
        }
        dialog->reject();
        VirtualClock::flushEvents();
        return texts;
    };
    const QStringList english{
        "Look in:", "File &name:", "Files of type:", "Back", "Parent Directory", "Detail View",
        "Cancel",   "Name",        "Size",           "Type", "Date Modified"};
    EXPECT_EQ(dialogTexts(), english);

    state.editSettings([](NiveloSettings& s) { s.uiLanguage = UiLanguage::ru; });
    VirtualClock::flushEvents();
    const QStringList russian = dialogTexts();
    ASSERT_EQ(russian.size(), english.size());
    static const QRegularExpression cyrillicOnly(QStringLiteral("^[\\p{Cyrillic}\\s&:]+$"));
    for (const QString& text : russian) {
        EXPECT_TRUE(cyrillicOnly.match(text).hasMatch()) << text.toStdString();
    }

    state.editSettings([](NiveloSettings& s) { s.uiLanguage = UiLanguage::en; });
    VirtualClock::flushEvents();
    EXPECT_EQ(dialogTexts(), english);
}
}  // namespace
