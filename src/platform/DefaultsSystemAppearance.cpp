#include "platform/DefaultsSystemAppearance.h"

#include "base/Text.h"
#include "platform/Defaults.h"

DefaultsSystemAppearance::DefaultsSystemAppearance(Defaults& defaults, QObject* parent)
    : SystemAppearance(parent), defaults_(defaults) {}

bool DefaultsSystemAppearance::reduceTransparency() const {
    return defaults_.boolValue(kReduceTransparencyKey);
}

QVariant DefaultsSystemAppearance::glassDiffusionSetting() const {
    const QVariant value = defaults_.object(kGlassDiffusionKey);
    switch (value.typeId()) {
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::LongLong:
        case QMetaType::ULongLong:
            return QVariant(value.toLongLong());
        case QMetaType::QString:
            if (const auto number = text::parseStrictInt(value.toString())) {
                return QVariant(*number);
            }
            return value;
        default:
            return value;
    }
}
