#include "support/NiveloRoad.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSettings>
#include <QTcpServer>

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <csignal>

namespace {
// nivelo listens here once it is ready to answer a later launch.
const QString kSocket = QStringLiteral(".local/share/ai.nivelo.native/nivelo.socket");

QString readText(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}
}  // namespace

QString NiveloRoad::standInAnswer(const QString& text) {
    return text.toUpper();
}

NiveloRoad::NiveloRoad(Options options)
    : options_(std::move(options)), session_(std::make_unique<XSession>([&] {
          XSession::Options desktop = options_.desktop;
          desktop.accessibilityBus = options_.accessibilityBus;
          return desktop;
      }())) {
    backend_.setHandler([](const RecordedRequest& request) {
        const QJsonObject body = QJsonDocument::fromJson(request.body).object();
        return CannedReply::result(standInAnswer(body.value("text").toString()));
    });
}

NiveloRoad::~NiveloRoad() = default;

bool NiveloRoad::startNivelo() {
    if (!session_->isReady()) {
        error_ = session_->error();
        return false;
    }
    QMap<QString, QString> defaults = options_.defaults;
    // The main window would take the focus from the editor.
    if (!defaults.contains("nivelo.openMainWindowOnLaunch")) {
        defaults.insert("nivelo.openMainWindowOnLaunch", "false");
    }
    if (!session_->writeNiveloDefaults(defaults)) {
        error_ = "cannot write the defaults";
        return false;
    }

    QProcessEnvironment env;
    if (options_.backendUp) {
        env.insert("NIVELO_BACKEND_ORIGIN", QString("http://127.0.0.1:%1").arg(backend_.port()));
    } else {
        // A port nothing listens on.
        QTcpServer probe;
        probe.listen(QHostAddress::LocalHost);
        const quint16 port = probe.serverPort();
        probe.close();
        env.insert("NIVELO_BACKEND_ORIGIN", QString("http://127.0.0.1:%1").arg(port));
    }
    nivelo_ = session_->start(options_.niveloBinary, {}, env);
    const QString socket = session_->path(kSocket);
    if (!XSession::waitUntil([&] { return QFileInfo::exists(socket); }, 15000)) {
        error_ = "nivelo did not get ready";
        return false;
    }
    // The hot keys are registered during start-up, right after the instance is claimed.
    XSession::waitUntil([] { return false; }, 700);
    return true;
}

bool NiveloRoad::stopNivelo() {
    if (!nivelo_ || nivelo_->state() == QProcess::NotRunning) {
        return false;
    }
    ::kill(static_cast<pid_t>(nivelo_->processId()), SIGTERM);
    const bool ended = nivelo_->waitForFinished(10000) &&
                       nivelo_->exitStatus() == QProcess::NormalExit && nivelo_->exitCode() == 0;
    nivelo_ = nullptr;
    // So the next start waits for its own socket.
    QFile::remove(session_->path(kSocket));
    return ended;
}

bool NiveloRoad::killNivelo() {
    if (!nivelo_ || nivelo_->state() == QProcess::NotRunning) {
        return false;
    }
    ::kill(static_cast<pid_t>(nivelo_->processId()), SIGKILL);
    const bool ended = nivelo_->waitForFinished(10000);
    nivelo_ = nullptr;
    // Left behind by the killed one; the next start waits for its own.
    QFile::remove(session_->path("runtime/ai.nivelo.native.socket"));
    return ended;
}

QString NiveloRoad::startTestEditor(const QString& title, int windows,
                                    const QStringList& extraArgs) {
    dump_ = session_->path("editor.txt");
    windows_ = windows;
    session_->start(options_.testEditor, QStringList{"--dump", dump_, "--title", title, "--windows",
                                                     QString::number(windows)} +
                                             extraArgs);
    return session_->waitForWindow(windows == 1 ? title : title + " 1");
}

QString NiveloRoad::dumpPath(int window) const {
    return windows_ == 1 ? dump_ : dump_ + "." + QString::number(window == 0 ? 1 : window);
}

QString NiveloRoad::editorText(int window) const {
    return readText(dumpPath(window));
}

bool NiveloRoad::waitForEditorText(const QString& text, int window, int timeoutMs) const {
    return XSession::waitUntil([&] { return editorText(window) == text; }, timeoutMs);
}

QStringList NiveloRoad::storedClipboardHistory() const {
    // A fresh QSettings each time: one kept open would not see the file change.
    QSettings file(session_->path(".local/share/ai.nivelo.native/clipboard-history.ini"),
                   QSettings::IniFormat);
    QStringList texts;
    const QJsonArray items =
        QJsonDocument::fromJson(file.value("nivelo.clipboardItems.native").toByteArray()).array();
    for (const auto& item : items) {
        texts.append(item.toObject().value("text").toString());
    }
    return texts;
}

bool NiveloRoad::typeAndCopy(const QString& text) {
    session_->key("ctrl+a");
    session_->type(text);
    session_->key("ctrl+a");
    session_->key("ctrl+c");
    return XSession::waitUntil([&] {
        return session_->clipboardText() == text && storedClipboardHistory().value(0) == text;
    });
}

void NiveloRoad::pressAltHotKey(const QString& keysymName) {
    pressKeys({QStringLiteral("Alt_L"), keysymName});
}

void NiveloRoad::holdAltHotKey(const QString& keysymName, Release order, int holdMs) {
    Display* display = XOpenDisplay(session_->display().toLocal8Bit().constData());
    if (!display) {
        return;
    }
    const unsigned alt = XKeysymToKeycode(display, XK_Alt_L);
    const unsigned key =
        XKeysymToKeycode(display, XStringToKeysym(keysymName.toLatin1().constData()));
    const auto send = [&](unsigned code, bool down, int thenMs) {
        XTestFakeKeyEvent(display, code, down, CurrentTime);
        if (thenMs > 0) {
            XSync(display, False);
            XSession::pause(thenMs);
        }
    };
    const int between = holdMs > 0 ? 40 : 0;
    send(alt, true, between);
    send(key, true, holdMs);
    const bool altFirst = order == Release::altFirst;
    send(altFirst ? alt : key, false, between);
    send(altFirst ? key : alt, false, 0);
    XSync(display, False);
    XCloseDisplay(display);
}

void NiveloRoad::pressKeys(const QStringList& keysymNames) {
    Display* display = XOpenDisplay(session_->display().toLocal8Bit().constData());
    if (!display) {
        return;
    }
    QList<unsigned> codes;
    for (const QString& name : keysymNames) {
        codes.append(XKeysymToKeycode(display, XStringToKeysym(name.toLatin1().constData())));
    }
    for (const unsigned code : codes) {
        XTestFakeKeyEvent(display, code, True, CurrentTime);
    }
    for (auto it = codes.crbegin(); it != codes.crend(); ++it) {
        XTestFakeKeyEvent(display, *it, False, CurrentTime);
    }
    XSync(display, False);
    XCloseDisplay(display);
}

void NiveloRoad::sendKeys(const QStringList& keysymNames, bool down) {
    Display* display = XOpenDisplay(session_->display().toLocal8Bit().constData());
    if (!display) {
        return;
    }
    for (const QString& name : keysymNames) {
        XTestFakeKeyEvent(display,
                          XKeysymToKeycode(display, XStringToKeysym(name.toLatin1().constData())),
                          down, CurrentTime);
    }
    XSync(display, False);
    XCloseDisplay(display);
}

void NiveloRoad::lockLayoutGroup(int group) {
    Display* display = XOpenDisplay(session_->display().toLocal8Bit().constData());
    if (!display) {
        return;
    }
    XkbLockGroup(display, XkbUseCoreKbd, unsigned(group));
    XSync(display, False);
    XCloseDisplay(display);
}

QString NiveloRoad::diagnostics(const QString& name) {
    QString text = "editor held: \"" + editorText() + "\"";
    if (windows_ > 1) {
        for (int i = 1; i <= windows_; ++i) {
            text += QString("; window %1 held: \"%2\"").arg(i).arg(editorText(i));
        }
    }
    text += "; clipboard held: \"" + session_->clipboardText() + "\"";
    text += "; screenshot: " + session_->screenshot(name);
    return text;
}
