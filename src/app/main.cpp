#include <QApplication>
#include <cstdio>

#include "core/AppBuildConfiguration.h"

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (QByteArray(argv[i]) == "--version") {
            std::printf("NiveloAI %s (%lld)\n",
                        AppBuildConfiguration::currentVersion().toUtf8().constData(),
                        static_cast<long long>(AppBuildConfiguration::currentBuild()));
            return 0;
        }
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("NiveloAI"));
    QApplication::setDesktopFileName(QStringLiteral("ai.nivelo.native"));
    return 0;
}
