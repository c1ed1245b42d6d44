#pragma once

#include <QAbstractNativeEventFilter>
#include <QByteArray>
#include <QList>
#include <QMimeData>
#include <QObject>
#include <memory>
#include <optional>

#include "platform/Pasteboard.h"
#include "platform/x11/X11Pasteboard.h"

// The target of the CLIPBOARD request Qt is about to answer, from Qt's own connection.
class X11ClipboardRequests : public QAbstractNativeEventFilter {
public:
    X11ClipboardRequests();
    ~X11ClipboardRequests() override;
    X11ClipboardRequests(const X11ClipboardRequests&) = delete;
    X11ClipboardRequests& operator=(const X11ClipboardRequests&) = delete;

    // The string target asked last ("UTF8_STRING", "STRING", "TEXT"); empty for another.
    QByteArray askedStringTarget() const { return asked_; }
    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

private:
    quint32 clipboard_ = 0;
    quint32 utf8String_ = 0;
    quint32 text_ = 0;
    QByteArray asked_;
    // Forgets the target once Qt has answered: a later read is no client's.
    QObject forget_;
};

// What we put on the CLIPBOARD, served by Qt byte for byte as written: every type is a target
// with its own bytes. Qt serves the string targets (UTF8_STRING, STRING, TEXT) from the one
// "text/plain", and another owner's may differ from it (GTK: UTF8_STRING with LF, the MIME
// text with CR LF), so the target a client asks for now, seen before Qt answers it, picks the
// bytes. A "text/plain" is offered as well when only string targets were written, since Qt
// serves them through it. A client's fetch of a text type is noted as served.
class X11ServedMimeData : public QMimeData {
public:
    X11ServedMimeData(QList<PasteboardValue> values,
                      std::shared_ptr<X11Pasteboard::ServeState> state,
                      std::shared_ptr<const X11ClipboardRequests> requests);

    QStringList formats() const override;
    bool hasFormat(const QString& type) const override;

protected:
    QVariant retrieveData(const QString& type, QMetaType metaType) const override;

private:
    const QByteArray* held(const QString& type) const;
    // What Qt must be handed for a string target: it serves STRING and TEXT as Latin-1 of
    // what it reads as UTF-8.
    std::optional<QByteArray> forStringTarget(const QByteArray& target) const;

    QList<PasteboardValue> values_;
    std::shared_ptr<X11Pasteboard::ServeState> state_;
    std::shared_ptr<const X11ClipboardRequests> requests_;
};
