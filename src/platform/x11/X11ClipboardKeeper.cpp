#include "platform/x11/X11ClipboardKeeper.h"

#include <unistd.h>

#include <QClipboard>
#include <QDataStream>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QProcess>
#include <QTemporaryFile>

#include "platform/Pasteboard.h"
#include "platform/x11/X11Pasteboard.h"
#include "platform/x11/X11SelectionOwner.h"

namespace {

constexpr quint32 kFormat = 0x4e435031;  // "NCP1"

QByteArray encode(const Pasteboard& pasteboard) {
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out << kFormat << qint32(pasteboard.itemCount());
    for (int i = 0; i < pasteboard.itemCount(); ++i) {
        QList<PasteboardValue> values;
        for (const QString& type : pasteboard.itemTypes(i)) {
            if (const auto data = pasteboard.itemData(i, type)) {
                values.append({type, *data});
            }
        }
        out << qint32(values.size());
        for (const PasteboardValue& value : values) {
            out << value.type << value.data;
        }
    }
    return bytes;
}

std::optional<QList<PasteboardItem>> decode(const QByteArray& bytes) {
    QDataStream in(bytes);
    quint32 format = 0;
    qint32 itemCount = 0;
    in >> format >> itemCount;
    if (format != kFormat || itemCount < 0) {
        return std::nullopt;
    }
    QList<PasteboardItem> items;
    for (qint32 i = 0; i < itemCount && in.status() == QDataStream::Ok; ++i) {
        qint32 valueCount = 0;
        in >> valueCount;
        PasteboardItem item;
        for (qint32 v = 0; v < valueCount && in.status() == QDataStream::Ok; ++v) {
            PasteboardValue value;
            in >> value.type >> value.data;
            item.values.append(std::move(value));
        }
        items.append(std::move(item));
    }
    if (in.status() != QDataStream::Ok) {
        return std::nullopt;
    }
    return items;
}

bool ownsClipboard() {
    return QGuiApplication::clipboard()->ownsClipboard();
}

}  // namespace

namespace X11ClipboardKeeper {

bool managerRuns() {
    return X11SelectionOwner::ownerWindow(X11SelectionOwner::qtConnection(), "CLIPBOARD_MANAGER") !=
           0;
}

bool handOver(const Pasteboard& pasteboard, const QString& program, int waitMs) {
    if (!ownsClipboard()) {
        return false;
    }
    if (managerRuns()) {
        return true;
    }
    QTemporaryFile file(QDir::tempPath() + QStringLiteral("/nivelo-clipboard-XXXXXX"));
    file.setAutoRemove(false);
    if (!file.open()) {
        return false;
    }
    file.write(encode(pasteboard));
    file.close();
    if (!QProcess::startDetached(program, {QString::fromLatin1(kServeSwitch), file.fileName()})) {
        QFile::remove(file.fileName());
        return false;
    }
    // Our content stays ours until the keeper has it: the clipboard is never empty between.
    QElapsedTimer waited;
    waited.start();
    while (ownsClipboard() && waited.elapsed() < waitMs) {
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 20);
    }
    return !ownsClipboard();
}

int serve(int argc, char** argv, const QString& file) {
    // Out of the session of whoever started nivelo: a closed terminal does not end it.
    ::setsid();
    QGuiApplication app(argc, argv);
    QFile in(file);
    const bool opened = in.open(QIODevice::ReadOnly);
    const auto items = opened ? decode(in.readAll()) : std::nullopt;
    in.close();
    QFile::remove(file);
    if (!items) {
        return 1;
    }
    X11Pasteboard pasteboard;
    QObject::connect(QGuiApplication::clipboard(), &QClipboard::changed, &app,
                     [](QClipboard::Mode mode) {
                         if (mode == QClipboard::Clipboard && !ownsClipboard()) {
                             QCoreApplication::quit();
                         }
                     });
    pasteboard.writeItems(*items);
    return QGuiApplication::exec();
}

}  // namespace X11ClipboardKeeper
