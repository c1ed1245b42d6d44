// One keystroke in a style's name on the Styles page, over the state the state tests build but
// saving to a real INI file as the app does: the key press, the style update, the save and the
// page's refresh, median and worst of 200 keystrokes. Offscreen.
#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "platform/IniDefaults.h"
#include "platform/Platform.h"
#include "settingswindow/StylesSettingsView.h"
#include "state/StateFixture.h"

namespace {

// The state tests' fixture used as a plain object, with its services lent to a state that
// saves to a file.
struct BenchState : StateTest {
    BenchState() { SetUp(); }
    ~BenchState() override { TearDown(); }
    void TestBody() override {}
    std::unique_ptr<NiveloAppState> savingTo(NativeSettingsStore& fileStore) {
        const NiveloAppState::Dependencies d = dependencies();
        return std::make_unique<NiveloAppState>(
            NiveloAppState::Dependencies{d.clock, fileStore, d.core, d.pasteboard, d.inputSources,
                                         d.clipboardHistory, d.appearance});
    }
};

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    Platform platform;
    Platform::setCurrent(&platform);
    QTemporaryDir dir;
    IniDefaults file(dir.filePath("defaults.ini"));
    NativeSettingsStore fileStore(file);
    BenchState fixture;
    const std::unique_ptr<NiveloAppState> state = fixture.savingTo(fileStore);

    StylesSettingsView page(*state);
    page.resize(700, 900);
    page.show();
    QApplication::processEvents();
    QLineEdit* name = page.findChild<QWidget*>(QStringLiteral("card:friendly"))
                          ->findChild<QLineEdit*>(QStringLiteral("nameField"));
    std::vector<qint64> ns;
    for (int i = 0; i < 200; ++i) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
        QElapsedTimer t;
        t.start();
        QCoreApplication::sendEvent(name, &press);
        ns.push_back(t.nsecsElapsed());
        QApplication::processEvents();
    }
    std::sort(ns.begin(), ns.end());
    std::printf(
        "style name keystroke (update, save to an INI file, refresh), median / worst of "
        "%zu: %.2f / %.2f ms (goal < 5)\n",
        ns.size(), double(ns[ns.size() / 2]) / 1e6, double(ns.back()) / 1e6);
    return name->text().endsWith(QStringLiteral("aaaa")) ? 0 : 1;
}
