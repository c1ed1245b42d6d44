#include "settingswindow/UpdatesSettingsView.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "core/AppBuildConfiguration.h"
#include "settingswindow/SettingsBinding.h"
#include "settingswindow/SettingsBlock.h"
#include "state/NiveloAppState.h"
#include "theme/ThemeIcons.h"
#include "updates/AppUpdateManager.h"

using NiveloTheme::Role;

namespace {

ColorScheme schemeOf(const QWidget& w) {
    return w.palette().color(QPalette::Window).lightness() < 128 ? ColorScheme::dark
                                                                 : ColorScheme::light;
}

QLabel* textLabel(NiveloTheme::FontRole font, QWidget* parent, bool selectable = false) {
    auto* label = new QLabel(parent);
    label->setTextFormat(Qt::PlainText);
    label->setFont(NiveloTheme::font(font));
    label->setWordWrap(true);
    if (selectable) {
        label->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    }
    return label;
}

void setInk(QLabel* label, const QColor& ink) {
    QPalette p = label->palette();
    p.setColor(QPalette::WindowText, ink);
    label->setPalette(p);
}

QString statusTitle(const AppUpdateManager& m, const AppUpdateSnapshot& s, UiLanguage lang) {
    if (m.isChecking()) {
        return tr2(lang, QStringLiteral("Checking for updates"),
                   QStringLiteral("Проверяем обновления"));
    }
    if (s.forceUpdate) {
        return tr2(lang, QStringLiteral("Update required"), QStringLiteral("Требуется обновление"));
    }
    if (s.updateAvailable) {
        return tr2(lang, QStringLiteral("Update available"), QStringLiteral("Доступно обновление"));
    }
    if (s.checkedAt) {
        return tr2(lang, QStringLiteral("Up to date"), QStringLiteral("Версия актуальна"));
    }
    return tr2(lang, QStringLiteral("Not checked yet"), QStringLiteral("Ещё не проверяли"));
}

QString statusIconName(const AppUpdateManager& m, const AppUpdateSnapshot& s) {
    if (m.isChecking()) {
        return QStringLiteral("arrow.triangle.2.circlepath");
    }
    if (s.forceUpdate) {
        return QStringLiteral("exclamationmark.triangle.fill");
    }
    if (s.updateAvailable) {
        return QStringLiteral("arrow.down.circle.fill");
    }
    return s.checkedAt ? QStringLiteral("checkmark.circle.fill") : QStringLiteral("clock");
}

// Without the checking test: a check under way keeps the last snapshot's colour.
Role statusTint(const AppUpdateSnapshot& s) {
    if (s.forceUpdate) {
        return Role::orange;
    }
    if (s.updateAvailable) {
        return Role::blue;
    }
    return s.checkedAt ? Role::green : Role::secondaryLabel;
}

}  // namespace

DisplayDateFormatter displayDateFormatter(UiLanguage language) {
    // QLocale has no medium date style; these are its English and Russian forms.
    if (language == UiLanguage::ru) {
        return {QLocale(QStringLiteral("ru_RU")), QStringLiteral("d MMM yyyy 'г.', HH:mm")};
    }
    return {QLocale(QStringLiteral("en_US")), QStringLiteral("MMM d, yyyy 'at' h:mm AP")};
}

UpdatesPageModel updatesPageModel(const AppUpdateManager& manager, const NiveloSettings& settings,
                                  const QString& currentVersion) {
    const UiLanguage lang = settings.uiLanguage;
    const AppUpdateSnapshot& s = manager.snapshot();
    UpdatesPageModel m;
    m.statusTitle = statusTitle(manager, s, lang);
    m.statusIconName = statusIconName(manager, s);
    m.statusTint = statusTint(s);
    m.checking = manager.isChecking();
    m.checkTitle = m.checking
                       ? tr2(lang, QStringLiteral("Checking..."), QStringLiteral("Проверяем..."))
                       : tr2(lang, QStringLiteral("Check for Updates"),
                             QStringLiteral("Проверить обновление"));
    m.availableVersionTitle =
        s.latestVersion ? *s.latestVersion
                        : tr2(lang, QStringLiteral("Not checked"), QStringLiteral("Нет данных"));
    m.lastCheckedTitle = s.checkedAt
                             ? displayDateFormatter(lang).string(*s.checkedAt)
                             : tr2(lang, QStringLiteral("Never"), QStringLiteral("Никогда"));
    m.infoRows = {
        {tr2(lang, QStringLiteral("Current version"), QStringLiteral("Текущая версия")),
         currentVersion},
        {tr2(lang, QStringLiteral("Available version"), QStringLiteral("Доступная версия")),
         m.availableVersionTitle},
        {tr2(lang, QStringLiteral("Last checked"), QStringLiteral("Последняя проверка")),
         m.lastCheckedTitle},
    };
    m.statusLine = manager.message().value_or(QString());
    m.notesHeading = tr2(lang, QStringLiteral("What's new"), QStringLiteral("Что нового"));
    m.releaseNotes = s.releaseNotes.value_or(QString());
    m.showsDownload = s.updateAvailable;
    m.downloadEnabled = s.downloadURL.has_value();
    m.downloadTitle =
        tr2(lang, QStringLiteral("Download Update"), QStringLiteral("Скачать обновление"));
    m.toggles = {
        {tr2(lang, QStringLiteral("Check for updates automatically"),
             QStringLiteral("Автоматически проверять обновления")),
         settings.automaticUpdateChecksEnabled},
        {tr2(lang, QStringLiteral("Show update notifications"),
             QStringLiteral("Показывать уведомления об обновлениях")),
         settings.updateNotificationsEnabled},
    };
    m.footnote = tr2(lang,
                     QStringLiteral("NiveloAI checks on launch and then at most once per day. "
                                    "Each new version is shown once."),
                     QStringLiteral("Проверка идет при запуске и затем не чаще раза в день. "
                                    "Новую версию показываем один раз."));
    m.alertMessage = manager.alertMessage().value_or(QString());
    m.updateAlertBinding = !m.alertMessage.isEmpty();
    m.alertTitle = tr2(lang, QStringLiteral("Updates"), QStringLiteral("Обновления"));
    m.alertOkTitle = tr2(lang, QStringLiteral("OK"), QStringLiteral("ОК"));
    if (s.downloadURL) {
        m.alertDownloadTitle = tr2(lang, QStringLiteral("Download"), QStringLiteral("Скачать"));
    }
    return m;
}

UpdatesSettingsView::UpdatesSettingsView(NiveloAppState& state, AppUpdateManager& manager,
                                         QWidget* parent)
    : QWidget(parent), state_(state), manager_(manager) {
    auto* page = new QVBoxLayout(this);
    page->setContentsMargins(0, 0, 0, 0);
    page->setSpacing(14);

    auto* status = new SettingsBlock(this);
    page->addWidget(status);
    QVBoxLayout* statusColumn = status->contentLayout();
    statusColumn->setSpacing(12);

    auto* top = new QHBoxLayout();
    top->setSpacing(6);
    statusIcon_ = new QLabel(status);
    statusTitle_ = textLabel(NiveloTheme::FontRole::headline, status);
    statusTitle_->setWordWrap(false);
    top->addWidget(statusIcon_);
    top->addWidget(statusTitle_);
    top->addStretch(1);
    check_ = new QPushButton(status);
    check_->setObjectName(QStringLiteral("checkForUpdates"));
    check_->setAutoDefault(false);
    check_->setIconSize(QSize(12, 12));
    top->addWidget(check_);
    statusColumn->addLayout(top);
    connect(check_, &QPushButton::clicked, this,
            [this] { manager_.checkManually(state_.settings()); });

    auto* rows = new QVBoxLayout();
    rows->setSpacing(8);
    for (int i = 0; i < 3; ++i) {
        auto* row = new QHBoxLayout();
        row->setSpacing(12);
        QLabel* caption = textLabel(NiveloTheme::FontRole::caption, status);
        caption->setFixedWidth(125);
        caption->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        QLabel* value = textLabel(NiveloTheme::FontRole::caption, status, true);
        value->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        row->addWidget(caption, 0, Qt::AlignTop);
        row->addWidget(value, 1, Qt::AlignTop);
        rows->addLayout(row);
        captions_.append(caption);
        values_.append(value);
    }
    statusColumn->addLayout(rows);

    statusLine_ = textLabel(NiveloTheme::FontRole::callout, status, true);
    statusColumn->addWidget(statusLine_);

    notesBox_ =
        new RoundedBox(QStringLiteral("Release notes"), settingsCardLook(10, 0.045, false), status);
    auto* notesLayout = new QVBoxLayout(notesBox_);
    notesLayout->setContentsMargins(10, 10, 10, 10);
    notesLayout->setSpacing(6);
    notesHeading_ = textLabel(NiveloTheme::FontRole::subheadline, notesBox_);
    QFont headingFont = notesHeading_->font();
    headingFont.setWeight(QFont::DemiBold);
    notesHeading_->setFont(headingFont);
    notes_ = textLabel(NiveloTheme::FontRole::callout, notesBox_, true);
    notesLayout->addWidget(notesHeading_);
    notesLayout->addWidget(notes_);
    statusColumn->addWidget(notesBox_);

    download_ = new QPushButton(status);
    download_->setObjectName(QStringLiteral("download"));
    download_->setAutoDefault(false);
    statusColumn->addWidget(download_, 0, Qt::AlignLeft);
    connect(download_, &QPushButton::clicked, this, [this] { manager_.openDownload(); });

    auto* options = new SettingsBlock(this);
    page->addWidget(options);
    QVBoxLayout* optionsColumn = options->contentLayout();
    optionsColumn->setSpacing(8);
    bool NiveloSettings::*const flags[] = {&NiveloSettings::automaticUpdateChecksEnabled,
                                           &NiveloSettings::updateNotificationsEnabled};
    for (const auto member : flags) {
        auto* toggle = new QCheckBox(options);
        toggle->setFont(NiveloTheme::font(NiveloTheme::FontRole::body));
        optionsColumn->addWidget(toggle);
        connect(toggle, &QCheckBox::toggled, this,
                [this, member](bool on) { binding(state_, member).set(on); });
        toggles_.append(toggle);
    }
    footnote_ = textLabel(NiveloTheme::FontRole::footnote, options);
    optionsColumn->addWidget(footnote_);

    connect(&manager_, &AppUpdateManager::snapshotChanged, this, &UpdatesSettingsView::refresh);
    connect(&manager_, &AppUpdateManager::isCheckingChanged, this, &UpdatesSettingsView::refresh);
    connect(&manager_, &AppUpdateManager::messageChanged, this, &UpdatesSettingsView::refresh);
    connect(&manager_, &AppUpdateManager::alertMessageChanged, this, &UpdatesSettingsView::refresh);
    connect(&state_, &NiveloAppState::settingsChanged, this, &UpdatesSettingsView::refresh);
    refresh();
}

void UpdatesSettingsView::refresh() {
    const UpdatesPageModel m =
        updatesPageModel(manager_, state_.settings(), AppBuildConfiguration::currentVersion());
    const ColorScheme scheme = schemeOf(*this);
    const QColor tint = NiveloTheme::color(m.statusTint, scheme);
    const QColor secondary = NiveloTheme::color(Role::secondaryLabel, scheme);
    const qreal dpr = devicePixelRatioF();

    statusIcon_->setPixmap(ThemeIcons::pixmap(m.statusIconName, tint, 16, dpr));
    statusTitle_->setText(m.statusTitle);
    setInk(statusTitle_, tint);

    // The spinner stands left of the text while a check runs.
    check_->setIcon(m.checking ? ThemeIcons::icon(QStringLiteral("progress.indicator"),
                                                  palette().color(QPalette::ButtonText), 12)
                               : QIcon());
    check_->setText(m.checkTitle);
    check_->setAccessibleName(m.checkTitle);
    check_->setEnabled(!m.checking);

    for (int i = 0; i < captions_.size(); ++i) {
        captions_[i]->setText(m.infoRows[i].caption);
        setInk(captions_[i], secondary);
        values_[i]->setText(m.infoRows[i].value);
        values_[i]->setAccessibleName(m.infoRows[i].caption);
    }

    statusLine_->setText(m.statusLine);
    setInk(statusLine_, secondary);
    statusLine_->setVisible(!m.statusLine.isEmpty());

    notesHeading_->setText(m.notesHeading);
    notes_->setText(m.releaseNotes);
    setInk(notes_, secondary);
    notesBox_->setVisible(!m.releaseNotes.isEmpty());

    download_->setText(m.downloadTitle);
    download_->setIcon(ThemeIcons::icon(QStringLiteral("arrow.down.circle.fill"),
                                        palette().color(QPalette::HighlightedText), 16));
    // The prominent style: filled with the accent.
    QPalette prominent = palette();
    prominent.setColor(QPalette::Button, palette().color(QPalette::Highlight));
    prominent.setColor(QPalette::ButtonText, palette().color(QPalette::HighlightedText));
    download_->setPalette(prominent);
    download_->setVisible(m.showsDownload);
    download_->setEnabled(m.downloadEnabled);

    for (int i = 0; i < toggles_.size(); ++i) {
        const QSignalBlocker blocker(toggles_[i]);
        toggles_[i]->setText(m.toggles[i].title);
        toggles_[i]->setChecked(m.toggles[i].on);
    }
    footnote_->setText(m.footnote);
    setInk(footnote_, secondary);

    syncAlert(m);
}

void UpdatesSettingsView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // A notice raised while the page was away shows now.
    refresh();
}

void UpdatesSettingsView::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    // The symbols and the secondary texts are drawn in the scheme's colours.
    if (event->type() == QEvent::PaletteChange && footnote_) {
        refresh();
    }
}

void UpdatesSettingsView::syncAlert(const UpdatesPageModel& m) {
    if (!m.updateAlertBinding || !isVisible()) {
        closeAlert();
        return;
    }
    const bool withDownload = !m.alertDownloadTitle.isEmpty();
    if (alert_ && alert_->text() == m.alertMessage &&
        (alert_->buttons().size() == 2) == withDownload) {
        return;
    }
    closeAlert();
    auto* box = new QMessageBox(this);
    box->setObjectName(QStringLiteral("updateAlert"));
    box->setAttribute(Qt::WA_DeleteOnClose);
    // A window does not inherit the page's palette (a liquid mode's is dark): every role is
    // set on it, as an inherited palette resolves to the application's otherwise.
    QPalette dialogPalette = palette();
    dialogPalette.setResolveMask(~QPalette::ResolveMask(0));
    box->setPalette(dialogPalette);
    box->setIcon(QMessageBox::Information);
    box->setWindowTitle(m.alertTitle);
    box->setTextFormat(Qt::PlainText);
    box->setText(m.alertMessage);
    QPushButton* ok = box->addButton(m.alertOkTitle, QMessageBox::RejectRole);
    QPushButton* download = nullptr;
    if (withDownload) {
        download = box->addButton(m.alertDownloadTitle, QMessageBox::AcceptRole);
    }
    box->setEscapeButton(ok);
    box->setDefaultButton(download ? download : ok);
    // Escape and the window's close come here too, as "OK".
    connect(box, &QMessageBox::finished, this, [this, box, download] {
        if (alert_ == box) {
            alert_ = nullptr;
            alertFinished(download && box->clickedButton() == download);
        }
    });
    alert_ = box;
    box->open();
}

void UpdatesSettingsView::closeAlert() {
    if (QMessageBox* box = alert_) {
        alert_ = nullptr;
        box->close();
    }
}

void UpdatesSettingsView::alertFinished(bool download) {
    manager_.setAlertMessage(std::nullopt);
    if (download) {
        manager_.openDownload();
    }
}
