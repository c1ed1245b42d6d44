#pragma once

#include <QIdentityProxyModel>
#include <QLocale>

#include "core/UiLanguage.h"

// A file dialog's list as its file-system model gives it, but for the size and date columns,
// which the model writes in the system's locale: here they are in the interface language.
class LocalizedFileColumns : public QIdentityProxyModel {
    Q_OBJECT
public:
    LocalizedFileColumns(UiLanguage language, QObject* parent = nullptr);

    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

private:
    QLocale locale_;
};
