#include "clipboard/ReferenceDate.h"

#include <cmath>

namespace {
constexpr qint64 kReferenceDateEpochMs = 978307200000LL;
}  // namespace

double referenceDate::seconds(const QDateTime& date) {
    return static_cast<double>(date.toMSecsSinceEpoch() - kReferenceDateEpochMs) / 1000.0;
}

QDateTime referenceDate::fromSeconds(double seconds) {
    const auto ms = static_cast<qint64>(std::llround(seconds * 1000.0)) + kReferenceDateEpochMs;
    return QDateTime::fromMSecsSinceEpoch(ms, Qt::UTC);
}

std::optional<QDateTime> referenceDate::read(const Json& object, const char* key) {
    const auto field = object.find(key);
    if (field == object.end() || !field->is_number()) {
        return std::nullopt;
    }
    return fromSeconds(field->get<double>());
}
