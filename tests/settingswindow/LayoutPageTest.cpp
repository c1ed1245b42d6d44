// The Keyboard layout page over simulated input sources: the layout list it offers, detecting
// the system's layouts, adding applications from desktop entries through its file dialog, and
// the rule rows' bindings.

#include <QAbstractProxyModel>
#include <QCheckBox>
#include <QComboBox>
#include <QDeadlineTimer>
#include <QFile>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QPushButton>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QThread>
#include <QToolButton>
#include <QTreeView>

#include "settingswindow/HotkeyRecorderField.h"
#include "settingswindow/LayoutSettingsView.h"
#include "settingswindow/SettingsToggle.h"
#include "state/StateFixture.h"
#include "support/NamedPart.h"

class LayoutPage : public StateTest {
protected:
    QTemporaryDir home;
    std::unique_ptr<LayoutSettingsView> page;

    void open(const std::function<void(NiveloSettings&)>& stored = {}) {
        makeState(stored);
        page = std::make_unique<LayoutSettingsView>(*state);
        defaults.saves = 0;
    }
    QString entry(const QString& fileName, const QString& body) const {
        const QString path = home.filePath("applications/" + fileName);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(
            ("[Desktop Entry]\n" + body + "\n[Desktop Action window]\nName=Other\n").toUtf8());
        return path;
    }
    // A control of a rule's row: "layoutPicker", "enabled" or "remove".
    template <class T>
    T* rulePart(const QUuid& id, const char* name) const {
        QWidget* row = namedPart<QWidget>(*page, "rule:" + id.toString(QUuid::WithoutBraces));
        return row ? namedPart<T>(*row, name) : nullptr;
    }
    const AppLayoutRule& onlyRule() const {
        EXPECT_EQ(state->settings().appLayoutRules.size(), 1);
        return state->settings().appLayoutRules.first();
    }
};

TEST_F(LayoutPage, ShowingOffersBothSavedNamesAndDetectTakesTheSystemsOrder) {
    open();
    // Not on screen yet: blank pickers, and nothing written for them.
    EXPECT_EQ(namedPart<QComboBox>(*page, "latinPicker")->currentIndex(), -1);
    page->show();
    EXPECT_EQ(page->layouts(), (QStringList{"ABC", "Russian", "U.S.", "Русская — ПК"}));
    EXPECT_EQ(namedPart<QComboBox>(*page, "latinPicker")->currentText(), "ABC");
    EXPECT_EQ(namedPart<QComboBox>(*page, "nativePicker")->currentText(), "Русская — ПК");
    EXPECT_EQ(defaults.saves, 0);

    inputs.addLayout(SimulatedInputSources::bareLayout("Azerty", "xkb.layout.fr"));
    namedPart<QPushButton>(*page, "detectLayouts")->click();
    EXPECT_EQ(page->layouts(), (QStringList{"U.S.", "Russian", "Azerty"}));
    EXPECT_EQ(defaults.saves, 2);
    EXPECT_EQ(store.load().layoutLatinSource, "U.S.");
    EXPECT_EQ(store.load().layoutNativeSource, "Russian");
    EXPECT_EQ(namedPart<QComboBox>(*page, "nativePicker")->currentText(), "Russian");

    EXPECT_EQ(namedPart<HotkeyRecorderField>(*page, "layoutHotkey")->labelWidth(), 142);
    Q_EMIT namedPart<HotkeyRecorderField>(*page, "layoutHotkey")->hotkeyEdited("Control+K");
    EXPECT_EQ(store.load().layoutHotkey, "Control+K");
}

TEST_F(LayoutPage, AddingAnApplicationWritesItsRuleAndSwitchesPerAppOn) {
    ASSERT_TRUE(QDir(home.path()).mkpath("applications"));
    const QByteArray dataHome = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", home.path().toUtf8());
    const auto restore = qScopeGuard([&] { qputenv("XDG_DATA_HOME", dataHome); });
    const QString mousepad = entry("org.xfce.mousepad.desktop",
                                   "Name=Mousepad\nIcon=org.xfce.mousepad\nType=Application");
    open([](NiveloSettings& s) { s.uiLanguage = UiLanguage::ru; });
    page->show();
    inputs.setCurrentId("xkb.layout.ru");

    namedPart<QPushButton>(*page, "addApplication")->click();
    QFileDialog* dialog = namedPart<QFileDialog>(*page, "applicationDialog");
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->windowTitle(), "Выберите приложение");
    EXPECT_EQ(dialog->labelText(QFileDialog::Accept), "Добавить");
    EXPECT_EQ(dialog->windowModality(), Qt::WindowModal);
    EXPECT_EQ(dialog->directory().absolutePath(), home.filePath("applications"));
    // Sizes and dates in Russian too, whatever the system's locale.
    const auto* files = dialog->findChild<QFileSystemModel*>();
    const auto shown = [&](int column) {
        return dialog->proxyModel()
            ->mapFromSource(files->index(mousepad).siblingAtColumn(column))
            .data()
            .toString();
    };
    const QLocale russian(QLocale::Russian, QLocale::Russia);
    // The dialog reads the folder on a thread of its own.
    for (QDeadlineTimer deadline(10000); shown(1).isEmpty() && !deadline.hasExpired();) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(5);
    }
    EXPECT_EQ(shown(1), russian.formattedDataSize(QFileInfo(mousepad).size()));
    EXPECT_EQ(shown(3), russian.toString(QFileInfo(mousepad).lastModified(), QLocale::ShortFormat));
    // The size, type and date columns are as wide as their texts need.
    const QTreeView* list = namedPart<QTreeView>(*dialog, "treeView");
    const QAbstractItemView& items = *list;
    for (int column : {1, 2, 3}) {
        EXPECT_GE(list->columnWidth(column), items.sizeHintForColumn(column)) << column;
    }
    dialog->selectFile(mousepad);
    static_cast<QDialog*>(dialog)->accept();
    EXPECT_EQ(defaults.saves, 2);
    const AppLayoutRule rule = onlyRule();
    EXPECT_EQ(rule.bundleIdentifier, "org.xfce.mousepad");
    EXPECT_EQ((QStringList{rule.appName, rule.appPath, rule.layoutName}),
              (QStringList{"Mousepad", mousepad, "Russian"}));
    EXPECT_TRUE(rule.isEnabled);
    EXPECT_TRUE(store.load().appLayoutSwitchingEnabled);
    EXPECT_EQ(rulePart<QComboBox>(rule.id, "layoutPicker")->currentText(), "Russian");

    // Again, after the user changed the rule: name and path follow the entry, the layout stays.
    QComboBox* picker = rulePart<QComboBox>(rule.id, "layoutPicker");
    picker->setCurrentText("U.S.");
    Q_EMIT picker->activated(picker->currentIndex());
    rulePart<QCheckBox>(rule.id, "enabled")->click();
    namedPart<QCheckBox>(*namedPart<SettingsToggle>(*page, "perAppSwitching"), "box")->click();
    const QString renamed = entry("org.xfce.mousepad.desktop", "Name=Editor\nType=Application");
    defaults.saves = 0;
    page->addApplication(renamed);
    EXPECT_EQ(defaults.saves, 2);
    EXPECT_EQ((QStringList{onlyRule().appName, onlyRule().layoutName}),
              (QStringList{"Editor", "U.S."}));
    EXPECT_TRUE(onlyRule().isEnabled);
    EXPECT_TRUE(state->settings().appLayoutSwitchingEnabled);

    // Anything but an application entry ends the add silently.
    for (const QString& path : {entry("web.desktop", "Name=Web\nType=Link"),
                                home.filePath("applications/missing.desktop"), home.path()}) {
        page->addApplication(path);
    }
    EXPECT_EQ(defaults.saves, 2);

    // No current layout: the saved latin one; no Name: the file's name.
    inputs.currentUnknown = true;
    page->addApplication(entry("org.example.notes.desktop", "Type=Application"));
    const AppLayoutRule notes = state->settings().appLayoutRules.last();
    EXPECT_EQ((QStringList{notes.appName, notes.layoutName}),
              (QStringList{"org.example.notes", "ABC"}));
}

TEST_F(LayoutPage, RemovingARuleKeepsPerAppSwitchingAndItsBindingsGoQuiet) {
    const AppLayoutRule kept{QUuid::createUuid(), "org.a", "A", "/a.desktop", "U.S.", true};
    const AppLayoutRule gone{QUuid::createUuid(), "org.b", "B", "/b.desktop", "Russian", false};
    open([&](NiveloSettings& s) {
        s.appLayoutRules = {kept, gone};
        s.appLayoutSwitchingEnabled = true;
    });
    rulePart<QToolButton>(gone.id, "remove")->click();
    EXPECT_EQ(defaults.saves, 1);
    EXPECT_EQ(store.load().appLayoutRules, QList<AppLayoutRule>{kept});
    EXPECT_TRUE(store.load().appLayoutSwitchingEnabled);
    EXPECT_EQ(page->findChild<QWidget*>("rule:" + gone.id.toString(QUuid::WithoutBraces)), nullptr);

    const auto stale = ruleBinding(*state, gone.id, &AppLayoutRule::layoutName, gone.layoutName);
    EXPECT_EQ(stale.value(), "Russian");
    stale.set("U.S.");
    ruleBinding(*state, gone.id, &AppLayoutRule::isEnabled, false).set(true);
    EXPECT_EQ(defaults.saves, 1);
    ruleBinding(*state, kept.id, &AppLayoutRule::isEnabled, true).set(false);
    EXPECT_EQ(defaults.saves, 2);
    EXPECT_FALSE(rulePart<QCheckBox>(kept.id, "enabled")->isChecked());
}
