#include <QApplication>
#include <QTextStream>
#include <cstdio>

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (QByteArray(argv[i]) == "--version") {
            std::printf("NiveloAI %s (%s)\n", NIVELO_VERSION, NIVELO_BUILD_NUMBER);
            return 0;
        }
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("NiveloAI"));
    QApplication::setDesktopFileName(QStringLiteral("ai.nivelo.native"));
    return 0;
}
