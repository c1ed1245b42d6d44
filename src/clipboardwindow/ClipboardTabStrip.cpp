#include "clipboardwindow/ClipboardTabStrip.h"

#include <QAbstractButton>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWheelEvent>

#include "clipboardwindow/ClipboardControls.h"
#include "clipboardwindow/ClipboardWindowModel.h"
#include "theme/IconCache.h"
#include "theme/NiveloTheme.h"
#include "theme/RoundedBox.h"
#include "theme/ThemeIcons.h"

using namespace clipboardControls;

namespace {

// One tab of the strip: a symbol and the tab's title in a rounded box, lit while selected.
class TabButton : public QAbstractButton {
public:
    explicit TabButton(QWidget* parent) : QAbstractButton(parent) {
        setObjectName(QStringLiteral("tab"));
        setCheckable(true);
        setFocusPolicy(Qt::NoFocus);
        setFixedHeight(26);
    }

    void setTab(const ClipboardTabView& tab) {
        tab_ = tab;
        setText(escapedMnemonic(tab.title));
        setAccessibleName(tab.title);
        setChecked(tab.selected);
        setFixedWidth(sizeHint().width());
        update();
    }
    const ClipboardTabView& tab() const { return tab_; }

    QSize sizeHint() const override {
        return {10 + 11 + 5 + QFontMetrics(titleFont()).horizontalAdvance(tab_.title) + 10 + 1, 26};
    }

protected:
    void nextCheckState() override {}

    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const QColor primary = primaryOf(this);
        using R = ThemeColor::Role;
        RoundedBox::paint(painter, QRectF(rect()),
                          tab_.selected
                              ? RoundedBox::Look{.radius = 9,
                                                 .fill = {R::primary, 0.11},
                                                 .stroke = {R::primary, 0.11}}
                              : RoundedBox::Look{.radius = 9, .fill = {R::primary, 0.035}},
                          palette());
        const QColor fore = tab_.selected ? primary : NiveloTheme::withOpacity(primary, 0.6);
        painter.drawPixmap(10, (height() - 11) / 2,
                           ThemeIcons::pixmap(tab_.symbol, fore, 11, devicePixelRatioF()));
        painter.setFont(titleFont());
        painter.setPen(fore);
        painter.drawText(QRect(26, 0, width() - 26 - 10, height()),
                         Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, tab_.title);
    }

private:
    QFont titleFont() const {
        QFont font = NiveloTheme::font(NiveloTheme::FontRole::body);
        font.setPixelSize(12);
        font.setWeight(tab_.selected ? QFont::DemiBold : QFont::Medium);
        return font;
    }

    ClipboardTabView tab_;
};

}  // namespace

ClipboardTabStrip::ClipboardTabStrip(ClipboardWindowModel& model, IconCache& icons, QWidget* parent)
    : QWidget(parent), model_(model), icons_(icons) {
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(8);

    auto* scroll = new QScrollArea(this);
    tabScroll_ = scroll;
    // No scroll bar shows: the wheel moves the strip sideways.
    scroll->viewport()->installEventFilter(this);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setWidgetResizable(true);
    scroll->setFixedHeight(26);
    scroll->viewport()->setAutoFillBackground(false);
    auto* tabs = new QWidget(scroll);
    tabsLayout_ = new QHBoxLayout(tabs);
    tabsLayout_->setContentsMargins(0, 0, 0, 0);
    tabsLayout_->setSpacing(6);
    addTab_ = iconButton(tabs, QStringLiteral("Add tab"));
    addTab_->setFixedSize(26, 24);
    addTab_->setIconSize(QSize(12, 12));
    connect(addTab_, &QToolButton::clicked, this, [this] { model_.addTabAndStartRename(); });
    tabsLayout_->addWidget(addTab_);
    tabsLayout_->addStretch(1);
    scroll->setWidget(tabs);
    // The scroll area fills its widget's background; the strip lies on the surface.
    tabs->setAutoFillBackground(false);
    column->addWidget(scroll);

    toolbar_ = new QWidget(this);
    auto* bar = new QHBoxLayout(toolbar_);
    bar->setContentsMargins(0, 0, 0, 0);
    bar->setSpacing(8);
    tabName_ = new QLineEdit(toolbar_);
    tabName_->setMaximumWidth(180);
    QFont semibold = NiveloTheme::font(NiveloTheme::FontRole::body);
    semibold.setPixelSize(13);
    semibold.setWeight(QFont::DemiBold);
    tabName_->setFont(semibold);
    connect(tabName_, &QLineEdit::textEdited, this,
            [this](const QString& text) { model_.setTabTitleDraft(text); });
    connect(tabName_, &QLineEdit::returnPressed, this, [this] { model_.finishRenameTab(); });
    bar->addWidget(tabName_);
    saveName_ = iconButton(toolbar_, QStringLiteral("Save name"));
    connect(saveName_, &QToolButton::clicked, this, [this] { model_.finishRenameTab(); });
    bar->addWidget(saveName_);
    tabTitle_ = new QLabel(toolbar_);
    tabTitle_->setTextFormat(Qt::PlainText);
    tabTitle_->setFont(semibold);
    bar->addWidget(tabTitle_);
    rename_ = iconButton(toolbar_, QStringLiteral("Rename tab"));
    connect(rename_, &QToolButton::clicked, this, [this] { model_.startRenameTab(); });
    bar->addWidget(rename_);
    deleteTab_ = iconButton(toolbar_, QStringLiteral("Delete tab"));
    connect(deleteTab_, &QToolButton::clicked, this, [this] { model_.deleteCurrentTab(); });
    bar->addWidget(deleteTab_);
    bar->addStretch(1);
    addNote_ = new QPushButton(toolbar_);
    addNote_->setObjectName(QStringLiteral("addNote"));
    addNote_->setFocusPolicy(Qt::NoFocus);
    QFont noteFont = semibold;
    noteFont.setPixelSize(12);
    addNote_->setFont(noteFont);
    connect(addNote_, &QPushButton::clicked, this, [this] { model_.startNewNote(); });
    bar->addWidget(addNote_);
    column->addWidget(toolbar_);
}

void ClipboardTabStrip::focusNameField() {
    if (tabName_->isVisible()) {
        tabName_->setFocus(Qt::OtherFocusReason);
        tabName_->selectAll();
    }
}

bool ClipboardTabStrip::eventFilter(QObject* watched, QEvent* event) {
    if (watched == tabScroll_->viewport() && event->type() == QEvent::Wheel) {
        const QPoint delta = static_cast<QWheelEvent*>(event)->angleDelta();
        QScrollBar* bar = tabScroll_->horizontalScrollBar();
        bar->setValue(bar->value() - (delta.x() != 0 ? delta.x() : delta.y()) / 2);
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void ClipboardTabStrip::refresh(const ClipboardWindowView& view) {
    const QColor primary = primaryOf(this);
    if (view.tabs != shownTabs_) {
        while (tabButtons_.size() > view.tabs.size()) {
            delete tabButtons_.takeLast();
        }
        while (tabButtons_.size() < view.tabs.size()) {
            auto* button = new TabButton(addTab_->parentWidget());
            connect(button, &QAbstractButton::clicked, this,
                    [this, button] { model_.selectTab(button->tab().id); });
            tabsLayout_->insertWidget(int(tabButtons_.size()), button);
            tabButtons_.append(button);
        }
        for (int i = 0; i < view.tabs.size(); ++i) {
            static_cast<TabButton*>(tabButtons_[i])->setTab(view.tabs[i]);
        }
        shownTabs_ = view.tabs;
        for (QAbstractButton* button : tabButtons_) {
            if (button->isChecked()) {
                // After the strip has laid out its new buttons.
                QTimer::singleShot(0, this, [this, button = QPointer<QAbstractButton>(button)] {
                    if (button) {
                        tabScroll_->ensureWidgetVisible(button, 8, 0);
                    }
                });
            }
        }
        addTab_->setIcon(icons_.icon(QStringLiteral("plus"), primary, 12));
    }
    tabScroll_->setAccessibleName(view.tabsName);
    addTab_->setToolTip(view.addTabHelp);
    addTab_->setAccessibleName(view.addTabHelp);

    const bool tools = view.noteToolbarShown && view.currentTabShown;
    tabName_->setVisible(tools && view.renaming);
    saveName_->setVisible(tools && view.renaming);
    tabTitle_->setVisible(tools && !view.renaming);
    rename_->setVisible(tools && !view.renaming);
    deleteTab_->setVisible(tools);
    if (tools && view.renaming && tabName_->text() != model_.tabTitleDraft()) {
        const QSignalBlocker blocker(tabName_);
        tabName_->setText(model_.tabTitleDraft());
    }
    tabName_->setPlaceholderText(view.tabNamePlaceholder);
    tabName_->setAccessibleName(view.tabNamePlaceholder);
    saveName_->setIcon(icons_.icon(QStringLiteral("checkmark"), primary, 14));
    saveName_->setToolTip(view.saveNameHelp);
    saveName_->setAccessibleName(view.saveNameHelp);
    tabTitle_->setText(view.currentTabTitle);
    tabTitle_->setAccessibleName(view.currentTabTitle);
    rename_->setIcon(icons_.icon(QStringLiteral("pencil"), primary, 14));
    rename_->setToolTip(view.renameHelp);
    rename_->setAccessibleName(view.renameHelp);
    deleteTab_->setIcon(icons_.icon(QStringLiteral("trash"), redOf(), 14));
    deleteTab_->setToolTip(view.deleteTabHelp);
    deleteTab_->setAccessibleName(view.deleteTabHelp);
    addNote_->setText(escapedMnemonic(view.addNote));
    addNote_->setAccessibleName(view.addNote);
    addNote_->setIcon(icons_.icon(QStringLiteral("plus"), primary, 12));
    const QColor fill = NiveloTheme::withOpacity(primary, 0.04);
    const QColor pressed = NiveloTheme::withOpacity(primary, 0.1);
    setSheet(addNote_,
             QStringLiteral("QPushButton { border: none; border-radius: 10px; padding: 7px 10px; "
                            "color: %1; background: %2; } QPushButton:pressed { background: %3; }")
                 .arg(rgba(primary), rgba(fill), rgba(pressed)));
    setSheet(addTab_, QStringLiteral("QToolButton { border: none; border-radius: 8px; "
                                     "background: %1; } QToolButton:pressed { background: %2; }")
                          .arg(rgba(NiveloTheme::withOpacity(primary, 0.045)), rgba(pressed)));
    setSheet(tabName_,
             QStringLiteral("QLineEdit { border: none; border-radius: 9px; padding: 6px 9px; "
                            "color: %1; background: %2; }")
                 .arg(rgba(primary), rgba(NiveloTheme::withOpacity(primary, 0.06))));
}
