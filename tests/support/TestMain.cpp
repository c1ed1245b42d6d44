#include <gmock/gmock.h>
#include <QApplication>

#include "theme/NiveloStyle.h"

// Every test binary gets a QApplication (offscreen under ctest) so that timers, queued calls,
// the clipboard and widgets work.
int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    // Drawn as the application draws.
    QApplication::setStyle(new NiveloStyle);
    ::testing::InitGoogleMock(&argc, argv);
    return RUN_ALL_TESTS();
}
