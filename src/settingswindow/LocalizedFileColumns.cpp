#include "settingswindow/LocalizedFileColumns.h"

#include <QDateTime>
#include <QFileSystemModel>
#include <QLocale>

namespace {
// The columns of QFileSystemModel.
constexpr int kSizeColumn = 1;
constexpr int kDateColumn = 3;
}  // namespace

LocalizedFileColumns::LocalizedFileColumns(UiLanguage language, QObject* parent)
    : QIdentityProxyModel(parent),
      locale_(language == UiLanguage::ru ? QLocale(QLocale::Russian, QLocale::Russia)
                                         : QLocale(QLocale::English, QLocale::UnitedStates)) {}

QVariant LocalizedFileColumns::data(const QModelIndex& index, int role) const {
    const auto* files = qobject_cast<const QFileSystemModel*>(sourceModel());
    if (role != Qt::DisplayRole || !files ||
        (index.column() != kSizeColumn && index.column() != kDateColumn)) {
        return QIdentityProxyModel::data(index, role);
    }
    const QFileInfo info = files->fileInfo(mapToSource(index));
    if (index.column() == kDateColumn) {
        return locale_.toString(info.lastModified(), QLocale::ShortFormat);
    }
    // Folders have no size of their own.
    return info.isDir() ? QIdentityProxyModel::data(index, role)
                        : QVariant(locale_.formattedDataSize(info.size()));
}
