#include "platform/HttpTransport.h"

HttpTransportError HttpTransportError::timedOut() {
    return HttpTransportError(HttpTransportErrorKind::timedOut,
                              QStringLiteral("The request timed out."));
}

HttpTransportError HttpTransportError::tooLarge() {
    return HttpTransportError(HttpTransportErrorKind::tooLarge,
                              QStringLiteral("The server's answer could not be read."));
}

HttpTransportError HttpTransportError::failed(QString description) {
    if (description.trimmed().isEmpty()) {
        description = QStringLiteral("The network connection failed.");
    }
    return HttpTransportError(HttpTransportErrorKind::failed, std::move(description));
}
