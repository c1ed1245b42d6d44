#include "platform/Defaults.h"

#include <cmath>
#include <limits>

namespace {

bool isData(const QVariant& v) {
    return v.typeId() == QMetaType::QByteArray;
}

// A stored number as text: a flag reads as 1 or 0, "true" as 1, data or nothing as empty.
QString numberText(const QVariant& v) {
    if (!v.isValid() || isData(v)) {
        return {};
    }
    if (v.typeId() == QMetaType::Bool) {
        return v.toBool() ? QStringLiteral("1") : QStringLiteral("0");
    }
    const QString text = v.toString().trimmed();
    return text.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0 ? QStringLiteral("1")
                                                                         : text;
}

}  // namespace

bool Defaults::boolValue(const QString& key) const {
    const QVariant v = object(key);
    if (!v.isValid() || isData(v)) {
        return false;
    }
    switch (v.typeId()) {
        case QMetaType::Bool:
            return v.toBool();
        case QMetaType::QString: {
            const QString text = v.toString().trimmed().toLower();
            if (text == QLatin1String("true") || text == QLatin1String("yes")) {
                return true;
            }
            bool ok = false;
            const double number = text.toDouble(&ok);
            return ok && number != 0;
        }
        default: {
            bool ok = false;
            const double number = v.toDouble(&ok);
            return ok && number != 0;
        }
    }
}

double Defaults::doubleValue(const QString& key) const {
    const QString text = numberText(object(key));
    bool ok = false;
    const double number = text.toDouble(&ok);
    return ok && std::isfinite(number) ? number : 0;
}

qint64 Defaults::integerValue(const QString& key) const {
    const QString text = numberText(object(key));
    bool ok = false;
    const qint64 whole = text.toLongLong(&ok);
    if (ok) {
        return whole;
    }
    const double number = text.toDouble(&ok);
    if (std::isnan(number) || (!ok && !std::isinf(number))) {
        return 0;
    }
    // Converting a double beyond the 64-bit range is undefined: such a value reads as the
    // nearest end of the range. 2^63 is exact as a double; the top itself is not.
    constexpr double kTwoTo63 = 9223372036854775808.0;
    if (number >= kTwoTo63) {
        return std::numeric_limits<qint64>::max();
    }
    if (number < -kTwoTo63) {
        return std::numeric_limits<qint64>::min();
    }
    return static_cast<qint64>(std::trunc(number));
}

std::optional<QString> Defaults::stringValue(const QString& key) const {
    const QVariant v = object(key);
    if (!v.isValid() || isData(v) || !v.canConvert<QString>()) {
        return std::nullopt;
    }
    return v.toString();
}

std::optional<QByteArray> Defaults::dataValue(const QString& key) const {
    const QVariant v = object(key);
    if (!isData(v)) {
        return std::nullopt;
    }
    return v.toByteArray();
}

std::optional<QDateTime> Defaults::dateValue(const QString& key) const {
    const QVariant v = object(key);
    if (v.typeId() != QMetaType::QDateTime || !v.toDateTime().isValid()) {
        return std::nullopt;
    }
    return v.toDateTime();
}
