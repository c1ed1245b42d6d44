// A plain Qt text editor for the end-to-end tests. It writes its text to a file after every
// change so a test can read what the editor holds without touching the clipboard.
//   nivelo-test-editor --dump PATH [--title T] [--windows N] [--text INITIAL] [--text-file PATH]
//                      [--copy-delay MS]
//                      [--copy-time server|qt] [--offer TYPE=FILE]... [--fields N] [--own MODE]
//                      [--copy-answers MODE] [--requests PATH] [--keys PATH]
//                      [--serve TYPE=FILE]... [--answer-late MS] [--answers N] [--line-copy]
// With N windows, window i (from 1) dumps to PATH.i and is titled "T i". With a copy delay the
// editor answers Copy that late, like a busy application: taking the clipboard with the
// server's present time, or with "qt" the way Qt does, with the time of the last event it
// handled. Each --offer puts FILE's bytes on the clipboard as TYPE at start, all in one copy,
// as the user's copy in another application. With N fields, each window holds N one-line fields
// above its editor, which has the focus. It pastes plain text only. F11 toggles full
// screen, as in a browser. --own takes the clipboard at start as a broken program (BrokenOwner
// MODE), --copy-answers makes every late Copy after the first such a take; the requests it gets
// are counted in the file --requests names. --keys logs every key press: its key, and whether
// Control came with it. --serve takes the clipboard at start as a busy program (ServingOwner):
// FILE's bytes as TYPE, large ones in pieces, each request answered --answer-late ms late,
// and none after the first --answers. With --line-copy, Copy with nothing selected takes the
// caret's line and moves the caret to the line's start, as KWrite's does, in a frame that
// hands the focus on to the editor.
#include <qpa/qplatformnativeinterface.h>
#include <QApplication>
#include <QClipboard>
#include <QCommandLineParser>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QSaveFile>
#include <QScreen>
#include <QShortcut>
#include <QTextBlock>
#include <QTimer>
#include <QVBoxLayout>

#include "BrokenOwner.h"
#include "ServingOwner.h"

namespace {

// Copies made long after their key press take the selection with the server's present time,
// as GTK does when no event is being handled; Qt would use the time of its last event.
void takeTheServersTime() {
    QPlatformNativeInterface* native = QGuiApplication::platformNativeInterface();
    QScreen* screen = QGuiApplication::primaryScreen();
    using SetAppTime = void (*)(QScreen*, quint32);
    const auto setAppTime = reinterpret_cast<SetAppTime>(
        reinterpret_cast<void (*)()>(native->nativeResourceFunctionForScreen("setapptime")));
    setAppTime(screen, quint32(quintptr(native->nativeResourceForScreen("gettimestamp", screen))));
}

// Holds Copy back for a while.
class SlowCopy : public QObject {
public:
    SlowCopy(QPlainTextEdit* editor, int delayMs, bool serverTime, BrokenOwner* broken)
        : QObject(editor), delayMs_(delayMs), serverTime_(serverTime), broken_(broken) {
        editor->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::KeyPress &&
            static_cast<QKeyEvent*>(event)->matches(QKeySequence::Copy)) {
            auto* editor = static_cast<QPlainTextEdit*>(watched);
            // The first Copy is answered the ordinary way, the later ones brokenly.
            BrokenOwner* broken = ++copies_ > 1 ? broken_ : nullptr;
            QTimer::singleShot(delayMs_, editor, [editor, serverTime = serverTime_, broken] {
                if (broken) {
                    broken->take();
                    return;
                }
                if (serverTime) {
                    takeTheServersTime();
                }
                editor->copy();
            });
            return true;
        }
        return false;
    }

private:
    int delayMs_;
    bool serverTime_;
    BrokenOwner* broken_;
    int copies_ = 0;
};

// Pastes the clipboard's plain text, fetched once. Qt's own paste asks the owner for one
// target after another, and when the clipboard changes owner meanwhile (the app under test
// gives the user's clipboard back right after the paste was served) it reads freed data.
class PlainPaste : public QObject {
public:
    explicit PlainPaste(QPlainTextEdit* editor) : QObject(editor) {
        editor->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::KeyPress &&
            static_cast<QKeyEvent*>(event)->matches(QKeySequence::Paste)) {
            static_cast<QPlainTextEdit*>(watched)->insertPlainText(
                QGuiApplication::clipboard()->text(QClipboard::Clipboard));
            return true;
        }
        return false;
    }
};

// With nothing selected, Copy takes the caret's line, line break included, and moves the caret
// to the line's start.
class LineCopy : public QObject {
public:
    explicit LineCopy(QPlainTextEdit* editor) : QObject(editor) {
        editor->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        auto* editor = static_cast<QPlainTextEdit*>(watched);
        if (event->type() != QEvent::KeyPress ||
            !static_cast<QKeyEvent*>(event)->matches(QKeySequence::Copy) ||
            editor->textCursor().hasSelection()) {
            return false;
        }
        QTextCursor cursor = editor->textCursor();
        QGuiApplication::clipboard()->setText(cursor.block().text() + QLatin1Char('\n'),
                                              QClipboard::Clipboard);
        cursor.movePosition(QTextCursor::StartOfBlock);
        editor->setTextCursor(cursor);
        return true;
    }
};

// Writes a line for every key press the focused widget gets: the key and whether Control came
// with it.
class KeyLog : public QObject {
public:
    explicit KeyLog(const QString& path) : file_(path) {
        file_.open(QIODevice::WriteOnly | QIODevice::Unbuffered);
        qApp->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::KeyPress && watched == QApplication::focusWidget()) {
            const auto* key = static_cast<QKeyEvent*>(event);
            const bool control = key->modifiers() & Qt::ControlModifier;
            file_.write(QString("%1 %2\n")
                            .arg(QKeySequence(key->key()).toString(), control ? "control" : "-")
                            .toUtf8());
        }
        return false;
    }

private:
    QFile file_;
};

// The clipboard with every TYPE=FILE given, in one copy; false when a file cannot be read.
bool offer(const QStringList& offers) {
    if (offers.isEmpty()) {
        return true;
    }
    auto data = std::make_unique<QMimeData>();
    for (const QString& entry : offers) {
        const qsizetype split = entry.indexOf(QLatin1Char('='));
        QFile file(entry.mid(split + 1));
        if (split <= 0 || !file.open(QIODevice::ReadOnly)) {
            return false;
        }
        data->setData(entry.left(split), file.readAll());
    }
    QGuiApplication::clipboard()->setMimeData(data.release(), QClipboard::Clipboard);
    return true;
}

void dump(const QString& path, const QString& text) {
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly)) {
        file.write(text.toUtf8());
        file.commit();
    }
}

}  // namespace

int main(int argc, char** argv) {
    // Qt's X11 platform takes "--title" for itself (the first window's title only): read it
    // before Qt sees it.
    QString title = QStringLiteral("Test Editor");
    std::vector<char*> args;
    for (int i = 0; i < argc; ++i) {
        if (QByteArray(argv[i]) == "--title" && i + 1 < argc) {
            title = QString::fromLocal8Bit(argv[++i]);
        } else {
            args.push_back(argv[i]);
        }
    }
    int argCount = int(args.size());
    args.push_back(nullptr);
    QApplication app(argCount, args.data());
    QApplication::setApplicationName(QStringLiteral("nivelo-test-editor"));
    QCommandLineParser parser;
    parser.addOption({QStringLiteral("dump"), QStringLiteral("file"), QStringLiteral("path")});
    parser.addOption({QStringLiteral("windows"), QStringLiteral("count"), QStringLiteral("n"),
                      QStringLiteral("1")});
    parser.addOption({QStringLiteral("text"), QStringLiteral("initial text"), QStringLiteral("t")});
    parser.addOption({QStringLiteral("text-file"), QStringLiteral("initial text from a file"),
                      QStringLiteral("path")});
    parser.addOption({QStringLiteral("copy-delay"), QStringLiteral("copy late"),
                      QStringLiteral("ms"), QStringLiteral("0")});
    parser.addOption({QStringLiteral("copy-time"), QStringLiteral("server or qt"),
                      QStringLiteral("time"), QStringLiteral("server")});
    parser.addOption({QStringLiteral("offer"), QStringLiteral("put on the clipboard"),
                      QStringLiteral("type=file")});
    parser.addOption({QStringLiteral("fields"), QStringLiteral("fields above the editor"),
                      QStringLiteral("n"), QStringLiteral("0")});
    parser.addOption(
        {QStringLiteral("own"), QStringLiteral("own as a broken program"), QStringLiteral("mode")});
    parser.addOption({QStringLiteral("copy-answers"), QStringLiteral("copy as a broken program"),
                      QStringLiteral("mode")});
    parser.addOption(
        {QStringLiteral("requests"), QStringLiteral("count requests"), QStringLiteral("path")});
    parser.addOption({QStringLiteral("serve"), QStringLiteral("serve on the clipboard"),
                      QStringLiteral("type=file")});
    parser.addOption({QStringLiteral("answer-late"), QStringLiteral("answer requests late"),
                      QStringLiteral("ms"), QStringLiteral("0")});
    parser.addOption({QStringLiteral("answers"), QStringLiteral("requests answered"),
                      QStringLiteral("n"), QStringLiteral("-1")});
    parser.addOption(
        {QStringLiteral("keys"), QStringLiteral("log key presses"), QStringLiteral("path")});
    parser.addOption({QStringLiteral("line-copy"), QStringLiteral("copy the line, no selection")});
    parser.process(app);
    std::unique_ptr<KeyLog> keyLog;
    if (parser.isSet(QStringLiteral("keys"))) {
        keyLog = std::make_unique<KeyLog>(parser.value(QStringLiteral("keys")));
    }
    std::unique_ptr<BrokenOwner> broken;
    const QString brokenMode = parser.isSet(QStringLiteral("own"))
                                   ? parser.value(QStringLiteral("own"))
                                   : parser.value(QStringLiteral("copy-answers"));
    if (!brokenMode.isEmpty()) {
        const auto mode = BrokenOwner::modeNamed(brokenMode);
        if (!mode) {
            return 2;
        }
        broken = std::make_unique<BrokenOwner>(*mode, parser.value(QStringLiteral("requests")));
        if (parser.isSet(QStringLiteral("own"))) {
            broken->take();
        }
    }
    if (!offer(parser.values(QStringLiteral("offer")))) {
        return 2;
    }
    std::unique_ptr<ServingOwner> serving;
    if (parser.isSet(QStringLiteral("serve"))) {
        ServingOwner::Options options;
        options.lateMs = parser.value(QStringLiteral("answer-late")).toInt();
        options.answers = parser.value(QStringLiteral("answers")).toInt();
        for (const QString& entry : parser.values(QStringLiteral("serve"))) {
            // A MIME type may hold "=" itself ("text/plain;charset=utf-8").
            const qsizetype split = entry.lastIndexOf(QLatin1Char('='));
            QFile file(entry.mid(split + 1));
            if (split <= 0 || !file.open(QIODevice::ReadOnly)) {
                return 2;
            }
            options.values.append({entry.left(split).toLatin1(), file.readAll()});
        }
        serving = std::make_unique<ServingOwner>(std::move(options));
        serving->take();
    }
    const bool serverTime = parser.value(QStringLiteral("copy-time")) != QLatin1String("qt");

    const int count = qMax(1, parser.value(QStringLiteral("windows")).toInt());
    const QString base = parser.value(QStringLiteral("dump"));
    const int fields = parser.value(QStringLiteral("fields")).toInt();
    const bool lineCopy = parser.isSet(QStringLiteral("line-copy"));
    std::vector<std::unique_ptr<QWidget>> windows;
    for (int i = 1; i <= count; ++i) {
        auto editor = std::make_unique<QPlainTextEdit>();
        const QString path = count == 1 ? base : base + QLatin1Char('.') + QString::number(i);
        const QString windowTitle =
            count == 1 ? title : title + QLatin1Char(' ') + QString::number(i);
        editor->setWindowTitle(windowTitle);
        editor->resize(640, 360);
        editor->move(40 + 60 * (i - 1), 40 + 60 * (i - 1));
        QObject::connect(editor.get(), &QPlainTextEdit::textChanged, editor.get(),
                         [e = editor.get(), path] {
                             if (!path.isEmpty()) {
                                 dump(path, e->toPlainText());
                             }
                         });
        QString initial = parser.value(QStringLiteral("text"));
        if (QFile file(parser.value(QStringLiteral("text-file")));
            parser.isSet(QStringLiteral("text-file")) && file.open(QIODevice::ReadOnly)) {
            initial = QString::fromUtf8(file.readAll());
        }
        editor->setPlainText(initial);
        new PlainPaste(editor.get());
        if (lineCopy) {
            new LineCopy(editor.get());
        }
        new QShortcut(QKeySequence(Qt::Key_F11), editor.get(), [e = editor.get()] {
            e->isFullScreen() ? e->showNormal() : e->showFullScreen();
        });
        if (const int delay = parser.value(QStringLiteral("copy-delay")).toInt(); delay > 0) {
            new SlowCopy(editor.get(), delay, serverTime,
                         parser.isSet(QStringLiteral("copy-answers")) ? broken.get() : nullptr);
        }
        if (!path.isEmpty()) {
            dump(path, editor->toPlainText());
        }
        if (fields > 0 || lineCopy) {
            auto window = std::make_unique<QWidget>();
            auto* layout = new QVBoxLayout(window.get());
            for (int field = 0; field < fields; ++field) {
                layout->addWidget(new QLineEdit(window.get()));
            }
            if (lineCopy) {
                // KWrite's document sits in a frame that hands the focus on: Qt calls both
                // focused.
                auto* frame = new QWidget(window.get());
                auto* inner = new QVBoxLayout(frame);
                inner->addWidget(editor.get());
                frame->setFocusProxy(editor.get());
                layout->addWidget(frame);
            } else {
                layout->addWidget(editor.get());
            }
            window->setWindowTitle(windowTitle);
            editor->setFocus();
            editor.release();
            windows.push_back(std::move(window));
        } else {
            windows.push_back(std::move(editor));
        }
        windows.back()->show();
    }
    return QApplication::exec();
}
