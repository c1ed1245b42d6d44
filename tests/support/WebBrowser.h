#pragma once

#include <QString>

class QProcess;
class XSession;

// A real browser on a private session, showing a page from a file with its accessibility on
// as a user's desktop turns it on: Firefox through the desktop's accessibility switch,
// Chromium with its renderer's accessibility forced on as well. Each gets a fresh profile.
class WebBrowser {
public:
    enum class Kind { Firefox, Chromium };

    static const char* name(Kind kind) { return kind == Kind::Firefox ? "Firefox" : "Chromium"; }
    // The browser's program, or "" when it is not installed.
    static QString program(Kind kind);

    WebBrowser(XSession& session, Kind kind);
    ~WebBrowser();
    WebBrowser(const WebBrowser&) = delete;
    WebBrowser& operator=(const WebBrowser&) = delete;

    // Writes the page under the session's home and opens it; gives the window (whose title
    // starts with `title`), or "" when none shows within 60 s.
    QString open(const QString& fileName, const QString& title, const QString& html);

private:
    XSession& session_;
    Kind kind_;
    QProcess* process_ = nullptr;
};

// Turns the desktop's accessibility switch (org.a11y.Status IsEnabled) on the session's
// accessibility bus on; false when the bus does not answer.
bool turnAccessibilityOn(const XSession& session);

// Presses a key the page answers by changing its title, until the title matches `pattern`
// (at most 10 presses, 3 s each); false when it never does. A loaded browser may drop the
// first key while its page takes the focus, so keys that only select are pressed again.
bool pressUntilTitle(XSession& session, const QString& key, const QString& pattern);
