#include "support/WebBrowser.h"

#include <unistd.h>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>

#include "support/XSession.h"

namespace {
// No first-run pages, notices or checks: the page is the only tab.
const char kFirefoxPrefs[] = R"(user_pref("browser.aboutwelcome.enabled", false);
user_pref("browser.shell.checkDefaultBrowser", false);
user_pref("browser.startup.homepage_override.mstone", "ignore");
user_pref("browser.tabs.warnOnClose", false);
user_pref("datareporting.policy.dataSubmissionPolicyBypassNotification", true);
user_pref("toolkit.telemetry.reportingpolicy.firstRun", false);
user_pref("app.update.enabled", false);
)";
}  // namespace

QString WebBrowser::program(Kind kind) {
    return QStandardPaths::findExecutable(kind == Kind::Firefox ? "firefox-esr" : "chromium");
}

WebBrowser::WebBrowser(XSession& session, Kind kind) : session_(session), kind_(kind) {}

WebBrowser::~WebBrowser() {
    if (process_ && process_->state() != QProcess::NotRunning) {
        process_->kill();
        process_->waitForFinished(5000);
    }
}

QString WebBrowser::open(const QString& fileName, const QString& title, const QString& html) {
    QFile page(session_.path(fileName));
    if (!page.open(QIODevice::WriteOnly) || page.write(html.toUtf8()) < 0) {
        return {};
    }
    page.close();
    const QString url = "file://" + page.fileName();
    const QString profile = session_.path(QString(name(kind_)) + "-" + fileName + ".profile");
    QDir().mkpath(profile);
    QStringList args;
    QProcessEnvironment env;
    if (kind_ == Kind::Firefox) {
        QFile prefs(profile + "/user.js");
        if (!prefs.open(QIODevice::WriteOnly) || prefs.write(kFirefoxPrefs) < 0) {
            return {};
        }
        prefs.close();
        if (!turnAccessibilityOn(session_)) {
            return {};
        }
        args << "--no-remote"
             << "--new-instance"
             << "--profile" << profile << "--width"
             << "900"
             << "--height"
             << "650" << url;
    } else {
        args << "--force-renderer-accessibility"
             << "--no-first-run"
             << "--no-default-browser-check"
             << "--window-size=900,650"
             << "--user-data-dir=" + profile << url;
        if (::geteuid() == 0) {
            args.prepend("--no-sandbox");
        }
        // Chromium joins the accessibility bus only when told that assistive technology is on.
        env.insert("ACCESSIBILITY_ENABLED", "1");
    }
    process_ = session_.start(program(kind_), args, env);
    return session_.waitForWindow("^" + QRegularExpression::escape(title), 60000);
}

bool turnAccessibilityOn(const XSession& session) {
    int code = -1;
    session.run("dbus-send",
                {"--session", "--print-reply", "--dest=org.a11y.Bus", "/org/a11y/bus",
                 "org.freedesktop.DBus.Properties.Set", "string:org.a11y.Status",
                 "string:IsEnabled", "variant:boolean:true"},
                10000, &code);
    return code == 0;
}

bool pressUntilTitle(XSession& session, const QString& key, const QString& pattern) {
    for (int attempt = 0; attempt < 10; ++attempt) {
        session.key(key);
        if (!session.waitForWindow(pattern, 3000).isEmpty()) {
            return true;
        }
    }
    return false;
}
