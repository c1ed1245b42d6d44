#pragma once

#include <QObject>
#include <QPalette>

class QWidget;

// Menus, combo-box lists, context menus and alerts are windows of their own: they inherit
// neither the palette set on the window they belong to nor its dark look. This hands the
// palette of `source` to every such window of source's window as it opens, and again to all of
// them when source's palette changes.
class PopupPalette : public QObject {
    Q_OBJECT
public:
    explicit PopupPalette(QWidget* source);

    // Sets every role of palette on the window and on each of its widgets.
    static void paint(QWidget* popup, const QPalette& palette);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool isSecondaryWindow(const QWidget* widget) const;
    void paintAll() const;

    QWidget* source_;
};
