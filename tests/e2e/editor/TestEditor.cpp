// A plain Qt text editor for the end-to-end tests. It writes its text to a file after every
// change so a test can read what the editor holds without touching the clipboard.
//   nivelo-test-editor --dump PATH [--title T] [--windows N] [--text INITIAL]
// With N windows, window i (from 1) dumps to PATH.i and is titled "T i".
#include <QApplication>
#include <QCommandLineParser>
#include <QPlainTextEdit>
#include <QSaveFile>

namespace {

void dump(const QString& path, const QString& text) {
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly)) {
        file.write(text.toUtf8());
        file.commit();
    }
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("nivelo-test-editor"));
    QCommandLineParser parser;
    parser.addOption({QStringLiteral("dump"), QStringLiteral("file"), QStringLiteral("path")});
    parser.addOption({QStringLiteral("title"), QStringLiteral("title"), QStringLiteral("text"),
                      QStringLiteral("Test Editor")});
    parser.addOption({QStringLiteral("windows"), QStringLiteral("count"), QStringLiteral("n"),
                      QStringLiteral("1")});
    parser.addOption({QStringLiteral("text"), QStringLiteral("initial text"), QStringLiteral("t")});
    parser.process(app);

    const int count = qMax(1, parser.value(QStringLiteral("windows")).toInt());
    const QString base = parser.value(QStringLiteral("dump"));
    std::vector<std::unique_ptr<QPlainTextEdit>> editors;
    for (int i = 1; i <= count; ++i) {
        auto editor = std::make_unique<QPlainTextEdit>();
        const QString path = count == 1 ? base : base + QLatin1Char('.') + QString::number(i);
        const QString title = count == 1 ? parser.value(QStringLiteral("title"))
                                         : parser.value(QStringLiteral("title")) +
                                               QLatin1Char(' ') + QString::number(i);
        editor->setWindowTitle(title);
        editor->resize(640, 360);
        editor->move(40 + 60 * (i - 1), 40 + 60 * (i - 1));
        QObject::connect(editor.get(), &QPlainTextEdit::textChanged, editor.get(),
                         [e = editor.get(), path] {
                             if (!path.isEmpty()) {
                                 dump(path, e->toPlainText());
                             }
                         });
        editor->setPlainText(parser.value(QStringLiteral("text")));
        if (!path.isEmpty()) {
            dump(path, editor->toPlainText());
        }
        editor->show();
        editors.push_back(std::move(editor));
    }
    return QApplication::exec();
}
