#pragma once

#include <QDateTime>
#include <QList>
#include <QLocale>
#include <QMessageBox>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <optional>

#include "core/NiveloSettings.h"
#include "theme/NiveloTheme.h"

class AppUpdateManager;
class NiveloAppState;
class QCheckBox;
class QLabel;
class QPushButton;

// Dates as the page shows them: medium date and short time in the interface language.
struct DisplayDateFormatter {
    QLocale locale;
    QString format;
    QString string(const QDateTime& date) const { return locale.toString(date, format); }
};
DisplayDateFormatter displayDateFormatter(UiLanguage language);

// Everything the updates page shows, from the manager's published values and the settings.
struct UpdatesPageModel {
    struct Row {
        QString caption;
        QString value;
        bool operator==(const Row&) const = default;
    };
    struct Toggle {
        QString title;
        bool on = false;
        bool operator==(const Toggle&) const = default;
    };

    QString statusTitle;
    QString statusIconName;
    NiveloTheme::Role statusTint = NiveloTheme::Role::secondaryLabel;
    bool checking = false;
    QString checkTitle;
    QString availableVersionTitle;
    QString lastCheckedTitle;
    // Current version, available version, last checked.
    QList<Row> infoRows;
    // Empty: not shown.
    QString statusLine;
    QString notesHeading;
    // Empty: no "What's new".
    QString releaseNotes;
    bool showsDownload = false;
    bool downloadEnabled = false;
    QString downloadTitle;
    // Automatic checks, notifications.
    QList<Toggle> toggles;
    QString footnote;

    // The alert shows exactly when this holds; dismissing it clears the manager's text.
    bool updateAlertBinding = false;
    QString alertTitle;
    QString alertMessage;
    QString alertOkTitle;
    // Empty when there is nothing to download: the alert then has "OK" alone.
    QString alertDownloadTitle;

    bool operator==(const UpdatesPageModel&) const = default;
};

UpdatesPageModel updatesPageModel(const AppUpdateManager& manager, const NiveloSettings& settings,
                                  const QString& currentVersion);

// The update state with a manual check and the download, the update alert, and the two
// options. It keeps nothing of its own: every change of the manager or the settings redraws it.
class UpdatesSettingsView : public QWidget {
    Q_OBJECT
public:
    UpdatesSettingsView(NiveloAppState& state, AppUpdateManager& manager,
                        QWidget* parent = nullptr);
    void refresh();

protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void syncAlert(const UpdatesPageModel& model);
    void closeAlert();
    // The alert's buttons: both clear the text first; "Download" then opens the download.
    void alertFinished(bool download);

    NiveloAppState& state_;
    AppUpdateManager& manager_;
    QLabel* statusIcon_ = nullptr;
    QLabel* statusTitle_ = nullptr;
    QPushButton* check_ = nullptr;
    QList<QLabel*> captions_;
    QList<QLabel*> values_;
    QLabel* statusLine_ = nullptr;
    QWidget* notesBox_ = nullptr;
    QLabel* notesHeading_ = nullptr;
    QLabel* notes_ = nullptr;
    QPushButton* download_ = nullptr;
    QList<QCheckBox*> toggles_;
    QLabel* footnote_ = nullptr;
    QPointer<QMessageBox> alert_;
};
