#pragma once

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QVariant>

// The text of an INI file exactly as QSettings (IniFormat) writes it for the same keys and
// values, so that QSettings reads it back as before; "group/key" keys go to their [group].
namespace iniText {

QByteArray encode(const QMap<QString, QVariant>& values);

}  // namespace iniText
