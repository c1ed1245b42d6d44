// The X11 permission checks against real X servers with and without the XTEST extension.

#include <gtest/gtest.h>

#include <QProcess>
#include <QStandardPaths>
#include <memory>

#include "platform/x11/X11PermissionProbe.h"
#include "support/EventWait.h"

// Xlib last: its macros clash with Qt's headers.
#include <X11/Xlib.h>

namespace {

// A private Xvfb on a display number it picks itself; closed and stopped on destruction.
class PrivateXServer {
public:
    explicit PrivateXServer(const QStringList& extraArguments) {
        process_.setProgram(QStringLiteral("Xvfb"));
        process_.setArguments(QStringList{QStringLiteral("-displayfd"), QStringLiteral("1"),
                                          QStringLiteral("-nolisten"), QStringLiteral("tcp")} +
                              extraArguments);
        process_.start();
        waitUntil([&] {
            output_ += process_.readAllStandardOutput();
            return output_.contains('\n') || process_.state() == QProcess::NotRunning;
        });
        if (output_.contains('\n')) {
            const QByteArray name = ":" + output_.trimmed();
            display_ = XOpenDisplay(name.constData());
        }
    }
    ~PrivateXServer() {
        if (display_) {
            XCloseDisplay(display_);
        }
        process_.terminate();
        process_.waitForFinished(5000);
    }
    Display* display() const { return display_; }

private:
    QProcess process_;
    QByteArray output_;
    Display* display_ = nullptr;
};

}  // namespace

// XInput2 is always there; the synthetic keys need XTEST. Nothing opens a settings page.
TEST(X11PermissionProbe, SyntheticKeysNeedXTestAndInputMonitoringNeedsXInput) {
    if (QStandardPaths::findExecutable(QStringLiteral("Xvfb")).isEmpty()) {
        GTEST_SKIP() << "Xvfb is not installed";
    }
    for (bool withXTest : {true, false}) {
        SCOPED_TRACE(withXTest);
        PrivateXServer server(
            withXTest ? QStringList()
                      : QStringList{QStringLiteral("-extension"), QStringLiteral("XTEST")});
        ASSERT_NE(server.display(), nullptr);
        X11PermissionProbe probe(server.display());
        EXPECT_EQ(probe.canPostSyntheticEvents(), withXTest);
        EXPECT_TRUE(probe.canMonitorInput());
        EXPECT_FALSE(probe.settingsUrl(PermissionSettingsTarget::accessibility));
    }
}

TEST(X11PermissionProbe, NoDisplayGrantsNothing) {
    X11PermissionProbe probe(nullptr);
    EXPECT_FALSE(probe.canPostSyntheticEvents());
    EXPECT_FALSE(probe.canMonitorInput());
}
