#include "settingswindow/LayoutSettingsView.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QShowEvent>
#include <QSignalBlocker>
#include <QStandardPaths>
#include <QStyle>
#include <QToolButton>
#include <QTreeView>
#include <QUrl>
#include <QVBoxLayout>

#include "platform/DesktopEntry.h"
#include "settingswindow/ClampedTextLabel.h"
#include "settingswindow/HotkeyRecorderField.h"
#include "settingswindow/LocalizedFileColumns.h"
#include "settingswindow/SettingsBinding.h"
#include "settingswindow/SettingsBlock.h"
#include "settingswindow/SettingsToggle.h"
#include "theme/NiveloTheme.h"
#include "theme/ThemeIcons.h"

using NiveloTheme::FontRole;
using NiveloTheme::Role;

namespace {

constexpr int kLabelWidth = 150;

QStringList uniqueSorted(QStringList names) {
    names.removeDuplicates();
    names.sort(Qt::CaseSensitive);
    return names;
}

QLabel* plainLabel(QWidget* parent, FontRole role) {
    auto* label = new QLabel(parent);
    label->setTextFormat(Qt::PlainText);
    label->setFont(NiveloTheme::font(role));
    return label;
}

void setOptions(QComboBox* combo, const QStringList& options, int current) {
    const QSignalBlocker blocker(combo);
    QStringList shown;
    for (int i = 0; i < combo->count(); ++i) {
        shown << combo->itemText(i);
    }
    if (shown != options) {
        combo->clear();
        combo->addItems(options);
    }
    // A name that is none of the options shows blank.
    combo->setCurrentIndex(current);
}

// The folders the desktop's menus and the workspace read desktop entries from that exist.
QStringList applicationFolders() {
    QStringList folders;
    for (const QString& dir :
         QStandardPaths::standardLocations(QStandardPaths::ApplicationsLocation)) {
        if (QFileInfo(dir).isDir()) {
            folders << dir;
        }
    }
    return folders;
}

// Qt sizes the file list's columns for short English texts ("mp3Folder", a US date): the size,
// type and date columns take their texts' widths in either language instead, the name the rest.
void fitFileColumns(QFileDialog& dialog) {
    auto* list = dialog.findChild<QTreeView*>(QStringLiteral("treeView"));
    if (!list) {
        return;
    }
    QHeaderView* header = list->header();
    header->setStretchLastSection(false);
    header->setSectionResizeMode(0, QHeaderView::Stretch);
    for (int column = 1; column < header->count(); ++column) {
        header->setSectionResizeMode(column, QHeaderView::ResizeToContents);
    }
}

QIcon applicationIcon(const QString& entryPath, const QStyle& style) {
    const QIcon generic = QIcon::fromTheme(QStringLiteral("application-x-executable"),
                                           style.standardIcon(QStyle::SP_FileIcon));
    const auto entry = DesktopEntry::read(entryPath);
    if (!entry || entry->icon.isEmpty()) {
        return generic;
    }
    if (QDir::isAbsolutePath(entry->icon)) {
        return QFileInfo::exists(entry->icon) ? QIcon(entry->icon) : generic;
    }
    return QIcon::fromTheme(entry->icon, generic);
}

}  // namespace

QStringList layoutOptions(const NiveloSettings& s, const QStringList& enabled) {
    return uniqueSorted(QStringList{s.layoutLatinSource, s.layoutNativeSource} + enabled);
}

LayoutPageModel layoutPageModel(const NiveloSettings& s, const QStringList& layouts) {
    const UiLanguage lang = s.uiLanguage;
    LayoutPageModel m;
    m.detectTitle = tr2(lang, QStringLiteral("Detect system layouts"),
                        QStringLiteral("Определить системные раскладки"));
    m.layouts = layouts;
    m.latin = {tr2(lang, QStringLiteral("Latin layout"), QStringLiteral("Латинская раскладка")),
               int(layouts.indexOf(s.layoutLatinSource))};
    m.native = {tr2(lang, QStringLiteral("Local layout"), QStringLiteral("Локальная раскладка")),
                int(layouts.indexOf(s.layoutNativeSource))};
    m.autoSwitchTitle =
        tr2(lang, QStringLiteral("Automatically switch the system layout after fixing"),
            QStringLiteral("Автоматически переключать системную раскладку после исправления"));
    m.autoSwitch = s.layoutAutoSwitch;
    m.hotkeyTitle = tr2(lang, QStringLiteral("Hotkey"), QStringLiteral("Хоткей"));
    m.hotkey = s.layoutHotkey;
    m.perAppTitle = tr2(lang, QStringLiteral("Keyboard layout per app"),
                        QStringLiteral("Раскладка для приложений"));
    m.perApp = s.appLayoutSwitchingEnabled;
    m.note = tr2(lang,
                 QStringLiteral("Automatically switch the keyboard layout when an assigned app "
                                "becomes active."),
                 QStringLiteral("Автоматически переключает раскладку, когда выбранное приложение "
                                "становится активным."));
    for (const AppLayoutRule& rule : s.appLayoutRules) {
        m.rules.append({rule.id, rule.appName, rule.bundleIdentifier, rule.appPath,
                        int(layouts.indexOf(rule.layoutName)), rule.isEnabled});
    }
    m.addTitle =
        tr2(lang, QStringLiteral("Add application"), QStringLiteral("Добавить приложение"));
    m.removeTitle = tr2(lang, QStringLiteral("Remove rule"), QStringLiteral("Удалить правило"));
    return m;
}

void removeRule(NiveloAppState& state, QUuid id) {
    state.editSettings([&](NiveloSettings& s) {
        s.appLayoutRules.removeIf([&](const AppLayoutRule& rule) { return rule.id == id; });
    });
}

LayoutSettingsView::LayoutSettingsView(NiveloAppState& state, QWidget* parent)
    : QWidget(parent), state_(state), layoutService_(state.inputSources()) {
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    auto* block = new SettingsBlock(this);
    outer->addWidget(block);
    QVBoxLayout* column = block->contentLayout();
    column->setSpacing(12);

    detect_ = new QPushButton(block);
    detect_->setObjectName(QStringLiteral("detectLayouts"));
    column->addWidget(detect_, 0, Qt::AlignLeft);
    connect(detect_, &QPushButton::clicked, this, &LayoutSettingsView::detectSystemLayouts);

    auto labelledRow = [&](QLabel*& label, QWidget* control) {
        auto* row = new QHBoxLayout();
        row->setSpacing(12);
        label = plainLabel(block, FontRole::body);
        label->setFixedWidth(kLabelWidth);
        label->setBuddy(control);
        row->addWidget(label);
        row->addWidget(control);
        row->addStretch(1);
        column->addLayout(row);
    };
    latin_ = new QComboBox(block);
    latin_->setObjectName(QStringLiteral("latinPicker"));
    native_ = new QComboBox(block);
    native_->setObjectName(QStringLiteral("nativePicker"));
    for (QComboBox* picker : {latin_, native_}) {
        picker->setMinimumWidth(200);
    }
    labelledRow(latinLabel_, latin_);
    labelledRow(nativeLabel_, native_);
    // Only a choice by the user writes: a picker showing a name it does not offer stays blank.
    for (auto [picker, member] : {std::pair{latin_, &NiveloSettings::layoutLatinSource},
                                  std::pair{native_, &NiveloSettings::layoutNativeSource}}) {
        connect(picker, &QComboBox::activated, this, [this, picker, member](int index) {
            const QString name = picker->itemText(index);
            if (index >= 0 && name != binding(state_, member).value()) {
                binding(state_, member).set(name);
            }
        });
    }

    autoSwitch_ = new SettingsToggle(block);
    column->addWidget(autoSwitch_);
    connect(autoSwitch_, &SettingsToggle::toggled, this,
            [this](bool on) { binding(state_, &NiveloSettings::layoutAutoSwitch).set(on); });

    hotkey_ = new HotkeyRecorderField(state_.settings().layoutHotkey, 142, block);
    hotkey_->setObjectName(QStringLiteral("layoutHotkey"));
    hotkey_->setCommand({HotkeyService::Action::Kind::layout, {}});
    labelledRow(hotkeyLabel_, hotkey_);
    connect(hotkey_, &HotkeyRecorderField::hotkeyEdited, this, [this](const QString& text) {
        binding(state_, &NiveloSettings::layoutHotkey).set(text);
    });

    column->addWidget(new SettingsDivider(block));

    perApp_ = new SettingsToggle(block);
    perApp_->setObjectName(QStringLiteral("perAppSwitching"));
    column->addWidget(perApp_);
    connect(perApp_, &SettingsToggle::toggled, this, [this](bool on) {
        binding(state_, &NiveloSettings::appLayoutSwitchingEnabled).set(on);
    });
    note_ = plainLabel(block, FontRole::footnote);
    note_->setWordWrap(true);
    column->addWidget(note_);

    rulesLayout_ = new QVBoxLayout();
    rulesLayout_->setSpacing(8);
    column->addLayout(rulesLayout_);

    add_ = new QPushButton(block);
    add_->setObjectName(QStringLiteral("addApplication"));
    column->addWidget(add_, 0, Qt::AlignLeft);
    connect(add_, &QPushButton::clicked, this, [this] { addApplication(); });

    connect(&state_, &NiveloAppState::settingsChanged, this, &LayoutSettingsView::refresh);
    refresh();
    recolour();
}

LayoutSettingsView::~LayoutSettingsView() = default;

void LayoutSettingsView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // Each time the page comes on screen, not when the window comes back from minimized.
    if (!event->spontaneous()) {
        fillLayouts();
    }
}

void LayoutSettingsView::fillLayouts() {
    layouts_ = layoutOptions(state_.settings(), layoutService_.suggestion().availableLayoutNames);
    refresh();
}

void LayoutSettingsView::detectSystemLayouts() {
    const KeyboardLayoutSuggestion suggestion = layoutService_.suggestion();
    // As the system orders them.
    layouts_ = suggestion.availableLayoutNames;
    binding(state_, &NiveloSettings::layoutLatinSource).set(suggestion.latinLayoutName);
    binding(state_, &NiveloSettings::layoutNativeSource).set(suggestion.nativeLayoutName);
    refresh();
}

void LayoutSettingsView::addApplication() {
    if (dialog_) {
        dialog_->raise();
        return;
    }
    const UiLanguage lang = state_.settings().uiLanguage;
    auto* dialog = new QFileDialog(this, tr2(lang, QStringLiteral("Choose an application"),
                                             QStringLiteral("Выберите приложение")));
    dialog->setObjectName(QStringLiteral("applicationDialog"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    dialog->setProxyModel(new LocalizedFileColumns(lang, dialog));
    fitFileColumns(*dialog);
    // Room for the names of most desktop entries beside the other columns.
    dialog->resize(dialog->sizeHint().expandedTo({800, 460}));
    dialog->setWindowModality(Qt::WindowModal);
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    dialog->setFileMode(QFileDialog::ExistingFile);
    dialog->setLabelText(QFileDialog::Accept,
                         tr2(lang, QStringLiteral("Add"), QStringLiteral("Добавить")));
    dialog->setNameFilter(tr2(lang, QStringLiteral("Applications (*.desktop)"),
                              QStringLiteral("Приложения (*.desktop)")));
    const QStringList folders = applicationFolders();
    QList<QUrl> places;
    QString start = QDir::homePath();
    for (const QString& folder : folders) {
        places << QUrl::fromLocalFile(folder);
    }
    // The first folder that holds any entry: the user's own folder is often empty.
    for (auto it = folders.crbegin(); it != folders.crend(); ++it) {
        if (!QDir(*it).entryList({QStringLiteral("*.desktop")}, QDir::Files).isEmpty()) {
            start = *it;
        }
    }
    dialog->setSidebarUrls(places);
    dialog->setDirectory(start);
    connect(dialog, &QFileDialog::fileSelected, this,
            [this](const QString& path) { addApplication(path); });
    dialog_ = dialog;
    dialog->open();
}

void LayoutSettingsView::addApplication(const QString& desktopEntryPath) {
    const auto entry = DesktopEntry::read(desktopEntryPath);
    if (!entry || entry->type != QLatin1String("Application")) {
        return;
    }
    const QString name = entry->name.isEmpty() ? entry->id : entry->name;
    const QString layout =
        layoutService_.currentLayoutName().value_or(state_.settings().layoutLatinSource);
    NiveloSettings settings = state_.settings();
    const auto existing =
        std::find_if(settings.appLayoutRules.begin(), settings.appLayoutRules.end(),
                     [&](const AppLayoutRule& rule) { return rule.bundleIdentifier == entry->id; });
    if (existing != settings.appLayoutRules.end()) {
        // The chosen layout stays.
        existing->appName = name;
        existing->appPath = entry->path;
        existing->isEnabled = true;
    } else {
        settings.appLayoutRules.append(
            {QUuid::createUuid(), entry->id, name, entry->path, layout, true});
    }
    state_.setSettings(settings);
    binding(state_, &NiveloSettings::appLayoutSwitchingEnabled).set(true);
    layouts_ = uniqueSorted(layouts_ << layout);
    refresh();
}

LayoutSettingsView::RuleRow LayoutSettingsView::makeRow(const AppLayoutRule& rule) {
    const QUuid id = rule.id;
    RuleRow row;
    row.frame = new RoundedBox(QStringLiteral("Row"), settingsCardLook(11, 0.055, false), this);
    row.frame->setObjectName(QStringLiteral("rule:") + id.toString(QUuid::WithoutBraces));
    auto* layout = new QHBoxLayout(row.frame);
    layout->setContentsMargins(10, 10, 10, 10);
    layout->setSpacing(10);
    row.icon = new QLabel(row.frame);
    row.icon->setFixedSize(30, 30);
    layout->addWidget(row.icon);
    auto* names = new QVBoxLayout();
    names->setSpacing(2);
    // One line each, cut short rather than widening the page.
    row.name = new ClampedTextLabel(1, row.frame);
    row.name->setFont(NiveloTheme::font(FontRole::body));
    row.identifier = new ClampedTextLabel(1, row.frame);
    row.identifier->setFont(NiveloTheme::font(FontRole::caption2));
    names->addWidget(row.name);
    names->addWidget(row.identifier);
    layout->addLayout(names, 1);
    row.layout = new QComboBox(row.frame);
    row.layout->setObjectName(QStringLiteral("layoutPicker"));
    row.layout->setFixedWidth(170);
    layout->addWidget(row.layout);
    row.enabled = new QCheckBox(row.frame);
    row.enabled->setObjectName(QStringLiteral("enabled"));
    layout->addWidget(row.enabled);
    row.remove = new QToolButton(row.frame);
    row.remove->setObjectName(QStringLiteral("remove"));
    row.remove->setAutoRaise(true);
    row.remove->setIconSize(QSize(16, 16));
    layout->addWidget(row.remove);

    const QString fallbackLayout = rule.layoutName;
    const bool fallbackEnabled = rule.isEnabled;
    connect(row.layout, &QComboBox::activated, this,
            [this, id, picker = row.layout, fallbackLayout](int index) {
                const auto b = ruleBinding(state_, id, &AppLayoutRule::layoutName, fallbackLayout);
                if (index >= 0 && picker->itemText(index) != b.value()) {
                    b.set(picker->itemText(index));
                }
            });
    connect(row.enabled, &QCheckBox::toggled, this, [this, id, fallbackEnabled](bool on) {
        ruleBinding(state_, id, &AppLayoutRule::isEnabled, fallbackEnabled).set(on);
    });
    connect(row.remove, &QToolButton::clicked, this, [this, id] { removeRule(state_, id); });
    return row;
}

void LayoutSettingsView::refresh() {
    const LayoutPageModel m = layoutPageModel(state_.settings(), layouts_);
    detect_->setText(m.detectTitle);
    detect_->setAccessibleName(m.detectTitle);
    latinLabel_->setText(m.latin.label);
    latin_->setAccessibleName(m.latin.label);
    setOptions(latin_, m.layouts, m.latin.current);
    nativeLabel_->setText(m.native.label);
    native_->setAccessibleName(m.native.label);
    setOptions(native_, m.layouts, m.native.current);
    autoSwitch_->setText(m.autoSwitchTitle);
    autoSwitch_->setChecked(m.autoSwitch);
    hotkeyLabel_->setText(m.hotkeyTitle);
    hotkey_->setAccessibleTitle(m.hotkeyTitle);
    hotkey_->setHotkey(m.hotkey);
    perApp_->setText(m.perAppTitle);
    perApp_->setChecked(m.perApp);
    note_->setText(m.note);

    // Rows are kept by id and put back in the rules' order.
    QHash<QUuid, RuleRow> kept;
    for (const auto& r : m.rules) {
        if (kept.contains(r.id)) {
            continue;
        }
        RuleRow row;
        if (rows_.contains(r.id)) {
            row = rows_.take(r.id);
        } else {
            const auto& rules = state_.settings().appLayoutRules;
            row = makeRow(*std::find_if(rules.begin(), rules.end(), [&](const AppLayoutRule& rule) {
                return rule.id == r.id;
            }));
        }
        if (row.iconPath != r.appPath || row.icon->pixmap().isNull()) {
            row.iconPath = r.appPath;
            row.icon->setPixmap(
                applicationIcon(r.appPath, *style()).pixmap(QSize(30, 30), devicePixelRatioF()));
        }
        row.name->setFullText(r.appName);
        row.identifier->setFullText(r.bundleIdentifier);
        row.icon->setAccessibleName(r.appName);
        setOptions(row.layout, m.layouts, r.layout);
        const UiLanguage lang = state_.settings().uiLanguage;
        row.layout->setAccessibleName(
            tr2(lang, QStringLiteral("Layout for %1"), QStringLiteral("Раскладка для %1"))
                .arg(r.appName));
        {
            const QSignalBlocker blocker(row.enabled);
            row.enabled->setChecked(r.isEnabled);
        }
        row.enabled->setAccessibleName(
            tr2(lang, QStringLiteral("Switch for %1"), QStringLiteral("Переключать для %1"))
                .arg(r.appName));
        row.remove->setAccessibleName(m.removeTitle);
        row.remove->setToolTip(m.removeTitle);
        rulesLayout_->removeWidget(row.frame);
        rulesLayout_->addWidget(row.frame);
        kept.insert(r.id, row);
    }
    for (const RuleRow& gone : std::as_const(rows_)) {
        delete gone.frame;
    }
    rows_ = kept;

    add_->setText(m.addTitle);
    add_->setAccessibleName(m.addTitle);
    recolour();
}

void LayoutSettingsView::recolour() {
    if (!note_) {
        return;
    }
    const QColor secondary = NiveloTheme::color(Role::secondaryLabel, palette());
    QPalette quiet;
    quiet.setColor(QPalette::WindowText, secondary);
    note_->setPalette(quiet);
    const QColor ink = palette().color(QPalette::WindowText);
    add_->setIcon(ThemeIcons::icon(QStringLiteral("plus"), ink, 14));
    const QColor red = NiveloTheme::color(Role::red, palette());
    for (const RuleRow& row : std::as_const(rows_)) {
        row.identifier->setPalette(quiet);
        row.remove->setIcon(ThemeIcons::icon(QStringLiteral("trash"), red, 16));
    }
}

void LayoutSettingsView::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange) {
        recolour();
    }
}
