#pragma once

#include <QFrame>
#include <QPoint>
#include <QRect>
#include <QStringList>
#include <optional>

class QAbstractButton;
class QListWidget;
class QScreen;

// The measures a language menu is placed by, in logical pixels: its width, its list's whole
// height, the chosen row's top in the list and its height, and its frame's width.
struct LanguageMenuMeasures {
    int width = 0;
    int listHeight = 0;
    int rowTop = 0;
    int rowHeight = 0;
    int frame = 0;
};

// Where a language menu lies: its frame on screen, and how far its list is scrolled.
struct LanguageMenuPlacement {
    QRect frame;
    int scroll = 0;

    bool operator==(const LanguageMenuPlacement&) const = default;
};

// The list laid out unscrolled with its chosen row's top-left at `anchor`, then cut to the
// work area, the part above it scrolled away: the chosen row stays at the anchor, moved only as
// far as it takes to lie wholly in the work area, and the menu is as tall as the rows it shows.
LanguageMenuPlacement placeLanguageMenu(const LanguageMenuMeasures& menu, QPoint anchor,
                                        const QRect& workArea);

// The target languages as a pop-up list of one column, the chosen one marked with a check mark.
// Every opening shows the chosen language over what it opens from, within the screen's work
// area. Picking a language closes it.
class LanguageMenu : public QFrame {
    Q_OBJECT
public:
    LanguageMenu(const QStringList& languages, const QString& chosen, QWidget* parent);

    // Opens on every click of `button`, the chosen language's name over the button's label.
    void openFrom(QAbstractButton* button);
    // Notes where `opener` lies at each press on it, for an opening that the press starts.
    void watchPresses(QWidget* opener);
    // Opens now, the chosen language's name over `label`, a part of `opener` in its coordinates.
    void openOver(QWidget* opener, const QRect& label);
    void setChosen(const QString& language) { chosen_ = language; }

Q_SIGNALS:
    void picked(const QString& language);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    // `label`: the button on screen.
    void popUp(const QRect& label, const QScreen* screen);
    int rowHeight() const;
    // From the frame's left edge to a name's.
    int textIndent() const;
    void pick(const QString& language);

    QListWidget* list_ = nullptr;
    QString chosen_;
    // Where the opener lay as its last press told, until an opening from there.
    std::optional<QPoint> pressedOrigin_;
    // Where the pointer was last seen over the list, on screen.
    QPoint pointer_;
};
