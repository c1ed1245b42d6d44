#include "panels/LanguageMenu.h"

#include <QAbstractButton>
#include <QCursor>
#include <QGuiApplication>
#include <QListWidget>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QScrollBar>
#include <QStyleOptionViewItem>
#include <QStyledItemDelegate>
#include <algorithm>

#include "theme/NiveloTheme.h"
#include "theme/ThemeIcons.h"

namespace {

constexpr int kFrame = 1;
constexpr int kRowPaddingY = 4;
constexpr int kRowPaddingRight = 14;
constexpr int kCheckmarkPixelSize = 12;

// Rows lit as a menu's are: by the highlight alone, with no focus frame around the name and no
// hover look beside it.
class MenuRowDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        option->state &= ~(QStyle::State_HasFocus | QStyle::State_MouseOver);
    }
};

// v within [low, high]; low wins when the range is empty.
int bounded(int low, int v, int high) {
    return std::max(low, std::min(v, high));
}

}  // namespace

LanguageMenuPlacement placeLanguageMenu(const LanguageMenuMeasures& menu, QPoint anchor,
                                        const QRect& workArea) {
    const int top = workArea.top() + menu.frame;
    const int bottom = workArea.bottom() + 1 - menu.frame;
    const int rowY = bounded(top, anchor.y(), bottom - menu.rowHeight);
    const int listTop = rowY - menu.rowTop;
    const int shownTop = std::max(listTop, top);
    const int shownBottom = std::min(listTop + menu.listHeight, bottom);
    const int x = bounded(workArea.left(), anchor.x(), workArea.right() + 1 - menu.width);
    return {QRect(x, shownTop - menu.frame, menu.width, shownBottom - shownTop + 2 * menu.frame),
            shownTop - listTop};
}

LanguageMenu::LanguageMenu(const QStringList& languages, const QString& chosen, QWidget* parent)
    : QFrame(parent, Qt::Popup), chosen_(chosen) {
    setAttribute(Qt::WA_X11NetWmWindowTypePopupMenu);
    list_ = new QListWidget(this);
    list_->setObjectName(QStringLiteral("languageList"));
    list_->setFrameShape(QFrame::NoFrame);
    list_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    list_->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    list_->setUniformItemSizes(true);
    list_->setIconSize(QSize(kCheckmarkPixelSize, kCheckmarkPixelSize));
    list_->setMouseTracking(true);
    list_->setItemDelegate(new MenuRowDelegate(list_));
    list_->addItems(languages);
    setFocusProxy(list_);
    // The highlight follows the pointer as in a menu, but only when the pointer moves: a list
    // that scrolls under a resting pointer (typing a name, the arrow keys) keeps the keys' row.
    list_->viewport()->installEventFilter(this);
    connect(list_, &QListWidget::itemClicked, this,
            [this](const QListWidgetItem* item) { pick(item->text()); });
    connect(list_, &QListWidget::itemActivated, this,
            [this](const QListWidgetItem* item) { pick(item->text()); });
}

int LanguageMenu::rowHeight() const {
    return list_->fontMetrics().height() + 2 * kRowPaddingY;
}

int LanguageMenu::textIndent() const {
    QStyleOptionViewItem option;
    option.initFrom(list_);
    option.features = QStyleOptionViewItem::HasDisplay | QStyleOptionViewItem::HasDecoration;
    option.decorationSize = list_->iconSize();
    option.rect = QRect(0, 0, width(), rowHeight());
    option.text = chosen_;
    return kFrame +
           list_->style()->subElementRect(QStyle::SE_ItemViewItemText, &option, list_).left();
}

void LanguageMenu::openFrom(QAbstractButton* button) {
    watchPresses(button);
    connect(button, &QAbstractButton::clicked, this,
            [this, button] { openOver(button, button->rect()); });
}

void LanguageMenu::watchPresses(QWidget* opener) {
    opener->installEventFilter(this);
}

void LanguageMenu::openOver(QWidget* opener, const QRect& label) {
    // Qt's own idea of a window's place can lag behind the window manager's; a click's press
    // tells where the opener really lies.
    const QPoint origin = pressedOrigin_.value_or(opener->mapToGlobal(QPoint(0, 0)));
    pressedOrigin_.reset();
    const QRect onScreen = label.translated(origin);
    const QScreen* screen = QGuiApplication::screenAt(onScreen.center());
    popUp(onScreen, screen ? screen : opener->screen());
}

bool LanguageMenu::eventFilter(QObject* watched, QEvent* event) {
    if (watched == list_->viewport()) {
        if (event->type() == QEvent::MouseMove) {
            const auto* move = static_cast<QMouseEvent*>(event);
            const QPoint at = move->globalPosition().toPoint();
            if (at != pointer_) {
                pointer_ = at;
                if (QListWidgetItem* item = list_->itemAt(move->position().toPoint())) {
                    list_->setCurrentItem(item);
                }
            }
        }
        return QFrame::eventFilter(watched, event);
    }
    if (event->type() == QEvent::MouseButtonPress) {
        const auto* press = static_cast<QMouseEvent*>(event);
        pressedOrigin_ = press->globalPosition().toPoint() - press->position().toPoint();
    }
    return QFrame::eventFilter(watched, event);
}

void LanguageMenu::popUp(const QRect& label, const QScreen* screen) {
    ensurePolished();
    list_->ensurePolished();
    const int row = rowHeight();
    int widest = 0;
    for (int i = 0; i < list_->count(); ++i) {
        QListWidgetItem* item = list_->item(i);
        item->setSizeHint(QSize(list_->fontMetrics().horizontalAdvance(item->text()), row));
        widest = std::max(widest, item->sizeHint().width());
    }
    const QList<QListWidgetItem*> found = list_->findItems(chosen_, Qt::MatchExactly);
    QListWidgetItem* chosen = found.isEmpty() ? list_->item(0) : found.first();
    const int rowTop = chosen ? list_->row(chosen) * row : 0;
    const int listHeight = list_->count() * row;
    LanguageMenuMeasures measures{textIndent() + widest + kRowPaddingRight + kFrame, listHeight,
                                  rowTop, row, kFrame};
    const QPoint anchor(label.left() - textIndent(), label.top() + (label.height() - row) / 2);
    const QRect workArea = screen->availableGeometry();
    LanguageMenuPlacement placement = placeLanguageMenu(measures, anchor, workArea);
    const bool scrolls = placement.frame.height() - 2 * kFrame < listHeight;
    if (scrolls) {
        measures.width += list_->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, list_);
        placement = placeLanguageMenu(measures, anchor, workArea);
    }
    list_->setVerticalScrollBarPolicy(scrolls ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    list_->setCurrentItem(chosen);
    list_->setAccessibleName(accessibleName());
    pointer_ = QCursor::pos(screen);
    setGeometry(placement.frame);
    list_->setGeometry(rect().adjusted(kFrame, kFrame, -kFrame, -kFrame));
    show();
    list_->setFocus();
    // Laid out now rather than on a later turn, so the scroll is not cut to an old range.
    list_->doItemsLayout();
    list_->verticalScrollBar()->setValue(placement.scroll);
}

void LanguageMenu::showEvent(QShowEvent* event) {
    QFrame::showEvent(event);
    // The palette is the panel's by now: the check mark is drawn in its colours, and in the
    // highlight's while its row is lit.
    const qreal ratio = devicePixelRatioF();
    QPixmap blank(QSize(kCheckmarkPixelSize, kCheckmarkPixelSize) * ratio);
    blank.setDevicePixelRatio(ratio);
    blank.fill(Qt::transparent);
    const QString checkmark = QStringLiteral("checkmark");
    QIcon mark;
    mark.addPixmap(
        ThemeIcons::pixmap(checkmark, palette().color(QPalette::Text), kCheckmarkPixelSize, ratio));
    mark.addPixmap(ThemeIcons::pixmap(checkmark, palette().color(QPalette::HighlightedText),
                                      kCheckmarkPixelSize, ratio),
                   QIcon::Selected);
    for (int i = 0; i < list_->count(); ++i) {
        QListWidgetItem* item = list_->item(i);
        item->setIcon(item->text() == chosen_ ? mark : QIcon(blank));
    }
}

void LanguageMenu::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Base));
    painter.setPen(NiveloTheme::withOpacity(palette().color(QPalette::WindowText), 0.25));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

void LanguageMenu::pick(const QString& language) {
    // A click may also activate: the first one picks.
    if (!isVisible()) {
        return;
    }
    hide();
    Q_EMIT picked(language);
}
