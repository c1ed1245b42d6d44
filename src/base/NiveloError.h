#pragma once

#include <QByteArray>
#include <QString>
#include <exception>

// The base of every error the app raises. description() is a fixed English sentence that the
// owner of a status shows as the failure.
class NiveloError : public std::exception {
public:
    explicit NiveloError(QString description)
        : description_(std::move(description)), utf8_(description_.toUtf8()) {}

    const QString& description() const { return description_; }
    const char* what() const noexcept override { return utf8_.constData(); }

private:
    QString description_;
    QByteArray utf8_;
};

// An error of one service, backed by that service's enumeration of cases.
template <typename Kind>
class NiveloEnumError : public NiveloError {
public:
    NiveloEnumError(Kind kind, QString description)
        : NiveloError(std::move(description)), kind_(kind) {}
    Kind kind() const { return kind_; }

private:
    Kind kind_;
};

// The description of any exception: ours carry one; others get a generic sentence.
inline QString errorDescription(const std::exception& e) {
    if (const auto* own = dynamic_cast<const NiveloError*>(&e)) {
        return own->description();
    }
    const QString what = QString::fromUtf8(e.what());
    return what.isEmpty() ? QStringLiteral("The operation could not be completed.") : what;
}
