#include "theme/ThemeIcons.h"

#include <QPainter>
#include <QSvgRenderer>
#include <map>

namespace {

struct Row {
    const char* symbol;
    const char* file;  // without weight suffix or extension
};

// Symbol name -> Phosphor icon name.
constexpr Row kRows[] = {
    {"arrow.down.circle", "arrow-circle-down"},
    {"arrow.down.circle.fill", "arrow-circle-down"},
    {"arrow.triangle.2.circlepath", "arrows-clockwise"},
    {"arrow.turn.down.left", "arrow-elbow-down-left"},
    {"bolt", "lightning"},
    {"bolt.circle", "lightning"},
    {"bolt.fill", "lightning"},
    {"briefcase", "briefcase"},
    {"bubble.left.and.bubble.right", "chats"},
    {"bubble.left.and.text.bubble.right", "chat-centered-text"},
    {"building.columns", "bank"},
    {"checkmark", "check"},
    {"checkmark.circle", "check-circle"},
    {"checkmark.circle.fill", "check-circle"},
    {"chevron.down", "caret-down"},
    {"chevron.up", "caret-up"},
    {"chevron.up.chevron.down", "caret-up-down"},
    {"clipboard", "clipboard"},
    {"clock", "clock"},
    {"doc.on.clipboard", "clipboard-text"},
    {"doc.on.doc", "copy"},
    {"exclamationmark.triangle.fill", "warning"},
    {"face.smiling", "smiley"},
    {"flame", "fire"},
    {"gearshape", "gear"},
    {"graduationcap", "graduation-cap"},
    {"hands.sparkles", "hands-clapping"},
    {"heart", "heart"},
    {"heart.circle", "heart"},
    {"keyboard", "keyboard"},
    {"lock.shield", "shield-check"},
    {"magnifyingglass", "magnifying-glass"},
    {"megaphone", "megaphone"},
    {"note.text", "note"},
    {"pencil", "pencil-simple"},
    {"plus", "plus"},
    {"plus.square.on.square", "plus-square"},
    {"progress.indicator", "spinner-gap"},
    {"sidebar.leading", "sidebar-simple"},
    {"sidebar.left", "sidebar"},
    {"sparkles", "sparkle"},
    {"text.badge.star", "star"},
    {"text.document", "file-text"},
    {"theatermasks", "mask-happy"},
    {"translate", "translate"},
    {"trash", "trash"},
    {"wand.and.sparkles", "magic-wand"},
    {"xmark", "x"},
    {"xmark.circle.fill", "x-circle"},
};

const Row* find(const QString& symbol) {
    for (const Row& row : kRows) {
        if (symbol == QLatin1String(row.symbol)) {
            return &row;
        }
    }
    return nullptr;
}

}  // namespace

QString ThemeIcons::filePath(const QString& symbol) {
    const Row* row = find(symbol);
    if (!row) {
        return {};
    }
    if (symbol.endsWith(QLatin1String(".fill"))) {
        return QStringLiteral(":/icons/fill/%1-fill.svg").arg(QLatin1String(row->file));
    }
    return QStringLiteral(":/icons/regular/%1.svg").arg(QLatin1String(row->file));
}

QList<QString> ThemeIcons::symbols() {
    QList<QString> result;
    for (const Row& row : kRows) {
        result.append(QLatin1String(row.symbol));
    }
    return result;
}

QPixmap ThemeIcons::pixmap(const QString& symbol, const QColor& tint, int pixelSize,
                           qreal devicePixelRatio) {
    const QString path = filePath(symbol);
    if (path.isEmpty()) {
        return {};
    }
    QSvgRenderer renderer(path);
    if (!renderer.isValid()) {
        return {};
    }
    const int device = qRound(pixelSize * devicePixelRatio);
    QPixmap result(device, device);
    result.fill(Qt::transparent);
    QPainter painter(&result);
    painter.setRenderHint(QPainter::Antialiasing);
    renderer.render(&painter, QRectF(0, 0, device, device));
    // The drawn shape keeps its coverage and takes the tint.
    painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
    painter.fillRect(result.rect(), tint);
    painter.end();
    result.setDevicePixelRatio(devicePixelRatio);
    return result;
}

QIcon ThemeIcons::icon(const QString& symbol, const QColor& tint, int pixelSize) {
    QIcon result;
    for (const qreal ratio : {1.0, 2.0}) {
        const QPixmap p = pixmap(symbol, tint, pixelSize, ratio);
        if (!p.isNull()) {
            result.addPixmap(p);
        }
    }
    return result;
}
