#include "clipboardwindow/ClipboardHistoryPanel.h"

#include <QAbstractButton>
#include <QEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPainterPath>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWheelEvent>

#include "clipboard/ClipboardHistoryService.h"
#include "clipboardwindow/ClipboardEntryList.h"
#include "clipboardwindow/ClipboardNoteEditor.h"
#include "clipboardwindow/ClipboardPanelController.h"
#include "clipboardwindow/ClipboardSidePreview.h"
#include "clipboardwindow/ClipboardWindowModel.h"
#include "theme/CloseButton.h"
#include "theme/FloatingSurface.h"
#include "theme/NiveloTheme.h"
#include "theme/PanelWindow.h"
#include "theme/RoundedBox.h"
#include "theme/ThemeIcons.h"
#include "theme/WindowDragHandle.h"

namespace {

// Buttons read "&" as a mnemonic marker.
QString escapedMnemonic(QString text) {
    return text.replace(QLatin1Char('&'), QLatin1String("&&"));
}

QColor primaryOf(const QWidget* widget) {
    return widget->palette().color(QPalette::WindowText);
}

QColor redOf() {
    return NiveloTheme::color(NiveloTheme::Role::red, NiveloTheme::environmentScheme());
}

// One tab of the strip: a symbol and the tab's title in a rounded box, lit while selected.
class TabButton : public QAbstractButton {
public:
    explicit TabButton(QWidget* parent) : QAbstractButton(parent) {
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
        QPainterPath path;
        path.addRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 9, 9);
        painter.fillPath(path, NiveloTheme::withOpacity(primary, tab_.selected ? 0.11 : 0.035));
        if (tab_.selected) {
            painter.setPen(QPen(NiveloTheme::withOpacity(primary, 0.11), 1));
            painter.drawPath(path);
        }
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

// A new style sheet restyles the widget: set only when it changed.
void setSheet(QWidget* widget, const QString& sheet) {
    if (widget->styleSheet() != sheet) {
        widget->setStyleSheet(sheet);
    }
}

QString rgba(const QColor& c) {
    return c.name(QColor::HexArgb);
}

QToolButton* iconButton(QWidget* parent, const QString& name) {
    auto* button = new QToolButton(parent);
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::NoFocus);
    button->setAccessibleName(name);
    button->setIconSize(QSize(14, 14));
    return button;
}

}  // namespace

ClipboardHistoryPanel::ClipboardHistoryPanel(ClipboardPanelController& controller,
                                             ClipboardWindowModel& model, QWidget* parent)
    : QWidget(parent), controller_(controller), model_(model) {
    setAccessibleName(QStringLiteral("Clipboard"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(kPadding, kPadding, kPadding, kPadding);
    layout->setSpacing(12);
    layout->addWidget(buildHeader());
    layout->addWidget(buildTabStrip());
    layout->addWidget(buildSearch());
    layout->addWidget(buildContent(), 1);

    addPanelCloseButton(this, [this] {
        controller_.hide();
    })->setAccessibleName(QStringLiteral("Close"));

    connect(&model_, &ClipboardWindowModel::changed, this, &ClipboardHistoryPanel::refresh);
    connect(&model_, &ClipboardWindowModel::noteEditorFocusRequested, this, [this] {
        // After the editor is on screen.
        QTimer::singleShot(0, this, [this] {
            if (editor_->isVisible()) {
                editor_->textArea()->setFocus(Qt::OtherFocusReason);
            }
        });
    });
    connect(&model_, &ClipboardWindowModel::tabNameFocusRequested, this, [this] {
        QTimer::singleShot(0, this, [this] {
            if (tabName_->isVisible()) {
                tabName_->setFocus(Qt::OtherFocusReason);
                tabName_->selectAll();
            }
        });
    });
    connect(&model_, &ClipboardWindowModel::noteEditorFocusReleased, this, [this] {
        if (editor_->textArea()->hasFocus()) {
            editor_->textArea()->clearFocus();
        }
    });
    connect(&controller_, &ClipboardPanelController::appearanceChanged, this,
            &ClipboardHistoryPanel::applySurface);
    applySurface();
    refresh();
}

QWidget* ClipboardHistoryPanel::buildHeader() {
    auto* header = new QWidget(this);
    auto* row = new QHBoxLayout(header);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(8);
    // Keeps the title clear of the close control.
    row->addSpacing(18);
    titleIcon_ = new QLabel(header);
    titleIcon_->setTextFormat(Qt::PlainText);
    titleIcon_->setAccessibleName(QStringLiteral("clipboard"));
    row->addWidget(titleIcon_);
    title_ = new QLabel(header);
    title_->setTextFormat(Qt::PlainText);
    title_->setFont(NiveloTheme::font(NiveloTheme::FontRole::headline));
    row->addWidget(title_);
    auto* drag = new WindowDragHandle(header);
    drag->setAccessibleName(QStringLiteral("Move window"));
    drag->setFixedHeight(28);
    drag->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    row->addWidget(drag, 1);

    fontControls_ = new RoundedBox(QString(), RoundedBox::textCapsule(0.045, 0.07), header);
    auto* font = new QHBoxLayout(fontControls_);
    font->setContentsMargins(4, 3, 4, 3);
    font->setSpacing(2);
    QFont symbolFont = NiveloTheme::font(NiveloTheme::FontRole::body);
    symbolFont.setPixelSize(14);
    symbolFont.setWeight(QFont::DemiBold);
    decrease_ = iconButton(fontControls_, QStringLiteral("Decrease text"));
    decrease_->setText(QString(QChar(0x2212)));
    decrease_->setFont(symbolFont);
    decrease_->setFixedSize(23, 22);
    connect(decrease_, &QToolButton::clicked, this,
            [this] { model_.setContentFontSize(model_.contentFontSize() - 1); });
    sampleLetter_ = new QLabel(QStringLiteral("T"), fontControls_);
    sampleLetter_->setTextFormat(Qt::PlainText);
    sampleLetter_->setAccessibleName(QStringLiteral("Text size"));
    sampleLetter_->setAlignment(Qt::AlignCenter);
    sampleLetter_->setFixedSize(25, 22);
    increase_ = iconButton(fontControls_, QStringLiteral("Increase text"));
    increase_->setText(QStringLiteral("+"));
    increase_->setFont(symbolFont);
    increase_->setFixedSize(23, 22);
    connect(increase_, &QToolButton::clicked, this,
            [this] { model_.setContentFontSize(model_.contentFontSize() + 1); });
    font->addWidget(decrease_);
    font->addWidget(sampleLetter_);
    font->addWidget(increase_);
    row->addWidget(fontControls_);

    clearHistory_ = iconButton(header, QStringLiteral("Clear clipboard history"));
    connect(clearHistory_, &QToolButton::clicked, this, [this] { model_.clearHistory(); });
    row->addWidget(clearHistory_);
    return header;
}

QWidget* ClipboardHistoryPanel::buildTabStrip() {
    auto* strip = new QWidget(this);
    auto* column = new QVBoxLayout(strip);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(8);

    auto* scroll = new QScrollArea(strip);
    tabScroll_ = scroll;
    // No scroll bar shows: the wheel moves the strip sideways.
    scroll->viewport()->installEventFilter(this);
    scroll->setAccessibleName(QStringLiteral("Tabs"));
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

    toolbar_ = new QWidget(strip);
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
    addNote_->setFocusPolicy(Qt::NoFocus);
    QFont noteFont = semibold;
    noteFont.setPixelSize(12);
    addNote_->setFont(noteFont);
    connect(addNote_, &QPushButton::clicked, this, [this] { model_.startNewNote(); });
    bar->addWidget(addNote_);
    column->addWidget(toolbar_);
    return strip;
}

QWidget* ClipboardHistoryPanel::buildSearch() {
    auto* box = new RoundedBox(QString(), RoundedBox::textCapsule(0.05, 0), this);
    auto* row = new QHBoxLayout(box);
    row->setContentsMargins(10, 6, 10, 6);
    row->setSpacing(6);
    magnifier_ = new QLabel(box);
    magnifier_->setTextFormat(Qt::PlainText);
    magnifier_->setAccessibleName(QStringLiteral("magnifyingglass"));
    row->addWidget(magnifier_);
    search_ = new QLineEdit(box);
    search_->setFrame(false);
    search_->setAccessibleName(QStringLiteral("Search"));
    QPalette clear = search_->palette();
    clear.setColor(QPalette::Base, Qt::transparent);
    search_->setPalette(clear);
    connect(search_, &QLineEdit::textEdited, this,
            [this](const QString& text) { model_.setSearchText(text); });
    row->addWidget(search_, 1);
    bulkDelete_ = iconButton(box, QStringLiteral("Delete all found"));
    bulkDelete_->setToolButtonStyle(Qt::ToolButtonTextOnly);
    QFont caption = NiveloTheme::font(NiveloTheme::FontRole::caption);
    caption.setWeight(QFont::DemiBold);
    bulkDelete_->setFont(caption);
    connect(bulkDelete_, &QToolButton::clicked, this, [this] { model_.pressDeleteFound(); });
    row->addWidget(bulkDelete_);
    clearSearch_ = iconButton(box, QStringLiteral("Clear search"));
    connect(clearSearch_, &QToolButton::clicked, this, [this] { model_.setSearchText(QString()); });
    row->addWidget(clearSearch_);
    return box;
}

QWidget* ClipboardHistoryPanel::buildContent() {
    auto* content = new QWidget(this);
    auto* column = new QVBoxLayout(content);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(10);
    editor_ = new ClipboardNoteEditor(content);
    connect(editor_, &ClipboardNoteEditor::draftEdited, this,
            [this](const QString& text) { model_.setNoteDraft(text); });
    connect(editor_, &ClipboardNoteEditor::saveRequested, this, [this] { model_.saveNoteDraft(); });
    connect(editor_, &ClipboardNoteEditor::cancelRequested, this,
            [this] { model_.cancelNoteEditing(); });
    column->addWidget(editor_);
    empty_ = new QLabel(content);
    empty_->setTextFormat(Qt::PlainText);
    empty_->setAlignment(Qt::AlignCenter);
    empty_->setWordWrap(true);
    column->addWidget(empty_, 1);
    body_ = new QWidget(content);
    auto* row = new QHBoxLayout(body_);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(10);
    list_ = new ClipboardEntryList(body_);
    connect(list_, &ClipboardEntryList::rowSelected, this, [this](const QString& id) {
        if (model_.isHistoryTab()) {
            model_.selectItem(id);
        } else {
            model_.selectNote(id);
        }
    });
    connect(list_, &ClipboardEntryList::rowActivated, this, &ClipboardHistoryPanel::paste);
    connect(list_, &ClipboardEntryList::rowButtonClicked, this, &ClipboardHistoryPanel::rowButton);
    row->addWidget(list_, 1);
    preview_ = new ClipboardSidePreview(body_);
    connect(preview_, &ClipboardSidePreview::buttonClicked, this,
            &ClipboardHistoryPanel::previewButton);
    row->addWidget(preview_, 1);
    column->addWidget(body_, 1);
    return content;
}

QIcon ClipboardHistoryPanel::cachedIcon(const QString& symbol, const QColor& tint, int size) {
    const QString key = symbol + QLatin1Char('/') + tint.name(QColor::HexArgb) + QLatin1Char('/') +
                        QString::number(size);
    auto found = icons_.constFind(key);
    if (found == icons_.constEnd()) {
        found = icons_.insert(key, ThemeIcons::icon(symbol, tint, size));
    }
    return *found;
}

bool ClipboardHistoryPanel::eventFilter(QObject* watched, QEvent* event) {
    if (watched == tabScroll_->viewport() && event->type() == QEvent::Wheel) {
        const QPoint delta = static_cast<QWheelEvent*>(event)->angleDelta();
        QScrollBar* bar = tabScroll_->horizontalScrollBar();
        bar->setValue(bar->value() - (delta.x() != 0 ? delta.x() : delta.y()) / 2);
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

int ClipboardHistoryPanel::availableWidth() const {
    return width() - 2 * kPadding;
}

void ClipboardHistoryPanel::applySurface() {
    if (auto* panel = qobject_cast<PanelWindow*>(window())) {
        panel->setSurfaceRecipe(floatingSurfaceRecipe(controller_.appearanceMode(),
                                                      controller_.surfaceMode(), kCornerRadius,
                                                      NiveloTheme::environmentScheme()));
    }
    // The surface sets the palette; icons follow it on the next refresh.
    QTimer::singleShot(0, this, [this] {
        shownTabs_.clear();
        refresh();
    });
}

void ClipboardHistoryPanel::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange && !refreshing_) {
        shownTabs_.clear();
        QTimer::singleShot(0, this, [this] { refresh(); });
    }
}

void ClipboardHistoryPanel::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    const ClipboardWindowView next = clipboardWindowView(model_, availableWidth());
    if (next.sidePreviewShown != view_.sidePreviewShown || next.listWidth != view_.listWidth) {
        refresh();
    }
}

void ClipboardHistoryPanel::refresh() {
    if (refreshing_) {
        return;
    }
    refreshing_ = true;
    view_ = clipboardWindowView(model_, availableWidth());
    const QColor primary = primaryOf(this);
    const QColor secondary = NiveloTheme::withOpacity(primary, 0.6);
    const QColor red = redOf();

    // Header.
    titleIcon_->setPixmap(
        ThemeIcons::pixmap(QStringLiteral("clipboard"), primary, 15, devicePixelRatioF()));
    title_->setText(view_.title);
    title_->setAccessibleName(view_.title);
    fontControls_->setToolTip(view_.fontHelp);
    fontControls_->setAccessibleName(view_.fontHelp);
    decrease_->setToolTip(view_.decreaseHelp);
    decrease_->setAccessibleName(view_.decreaseHelp);
    decrease_->setEnabled(view_.decreaseEnabled);
    increase_->setToolTip(view_.increaseHelp);
    increase_->setAccessibleName(view_.increaseHelp);
    increase_->setEnabled(view_.increaseEnabled);
    QFont letter = NiveloTheme::font(NiveloTheme::FontRole::body);
    letter.setPixelSize(view_.sampleLetterPixelSize);
    letter.setBold(true);
    sampleLetter_->setFont(letter);
    sampleLetter_->setAccessibleName(view_.fontHelp);
    clearHistory_->setVisible(view_.clearHistoryShown);
    clearHistory_->setEnabled(view_.clearHistoryEnabled);
    clearHistory_->setIcon(
        cachedIcon(QStringLiteral("trash"), view_.clearHistoryEnabled ? red : secondary, 14));
    clearHistory_->setToolTip(view_.clearHistoryHelp);
    clearHistory_->setAccessibleName(view_.clearHistoryHelp);

    refreshTabs();

    // Search.
    magnifier_->setPixmap(
        ThemeIcons::pixmap(QStringLiteral("magnifyingglass"), secondary, 14, devicePixelRatioF()));
    search_->setPlaceholderText(view_.searchPlaceholder);
    search_->setAccessibleName(view_.searchPlaceholder);
    if (search_->text() != model_.searchText()) {
        const QSignalBlocker blocker(search_);
        search_->setText(model_.searchText());
    }
    bulkDelete_->setVisible(view_.bulkDeleteShown);
    QPalette redText = bulkDelete_->palette();
    redText.setColor(QPalette::ButtonText, red);
    bulkDelete_->setPalette(redText);
    if (view_.bulkDeleteLabel.isEmpty()) {
        bulkDelete_->setToolButtonStyle(Qt::ToolButtonIconOnly);
        bulkDelete_->setIcon(cachedIcon(QStringLiteral("trash"), red, 14));
        bulkDelete_->setText(QString());
    } else {
        bulkDelete_->setToolButtonStyle(Qt::ToolButtonTextOnly);
        bulkDelete_->setText(escapedMnemonic(view_.bulkDeleteLabel));
    }
    bulkDelete_->setToolTip(view_.bulkDeleteHelp);
    bulkDelete_->setAccessibleName(view_.bulkDeleteLabel.isEmpty() ? view_.bulkDeleteHelp
                                                                   : view_.bulkDeleteLabel);
    bulkDelete_->setAccessibleDescription(view_.bulkDeleteHelp);
    clearSearch_->setVisible(view_.clearSearchShown);
    clearSearch_->setIcon(cachedIcon(QStringLiteral("xmark.circle.fill"), secondary, 14));
    clearSearch_->setToolTip(view_.clearSearchHelp);
    clearSearch_->setAccessibleName(view_.clearSearchHelp);

    // Content.
    const int fontSize = int(std::lround(model_.contentFontSize()));
    editor_->setVisible(view_.noteEditor.has_value());
    if (view_.noteEditor) {
        editor_->setView(*view_.noteEditor, model_.noteDraft(), fontSize);
    }
    empty_->setVisible(view_.emptyText.has_value());
    body_->setVisible(!view_.emptyText.has_value());
    if (view_.emptyText) {
        empty_->setText(*view_.emptyText);
        empty_->setAccessibleName(*view_.emptyText);
        QPalette p = empty_->palette();
        p.setColor(QPalette::WindowText, secondary);
        empty_->setPalette(p);
    } else {
        refreshRows();
    }
    preview_->setVisible(view_.preview.has_value());
    if (view_.preview) {
        list_->setFixedWidth(view_.listWidth);
        preview_->setView(*view_.preview, fontSize);
    } else {
        list_->setMinimumWidth(0);
        list_->setMaximumWidth(QWIDGETSIZE_MAX);
    }
    refreshing_ = false;
}

void ClipboardHistoryPanel::refreshTabs() {
    const QColor primary = primaryOf(this);
    if (view_.tabs != shownTabs_) {
        while (tabButtons_.size() > view_.tabs.size()) {
            delete tabButtons_.takeLast();
        }
        while (tabButtons_.size() < view_.tabs.size()) {
            auto* button = new TabButton(addTab_->parentWidget());
            connect(button, &QAbstractButton::clicked, this,
                    [this, button] { model_.selectTab(button->tab().id); });
            tabsLayout_->insertWidget(int(tabButtons_.size()), button);
            tabButtons_.append(button);
        }
        for (int i = 0; i < view_.tabs.size(); ++i) {
            static_cast<TabButton*>(tabButtons_[i])->setTab(view_.tabs[i]);
        }
        shownTabs_ = view_.tabs;
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
        addTab_->setIcon(cachedIcon(QStringLiteral("plus"), primary, 12));
    }
    addTab_->setToolTip(view_.addTabHelp);
    addTab_->setAccessibleName(view_.addTabHelp);

    const bool tools = view_.noteToolbarShown && view_.currentTabShown;
    tabName_->setVisible(tools && view_.renaming);
    saveName_->setVisible(tools && view_.renaming);
    tabTitle_->setVisible(tools && !view_.renaming);
    rename_->setVisible(tools && !view_.renaming);
    deleteTab_->setVisible(tools);
    if (tools && view_.renaming && tabName_->text() != model_.tabTitleDraft()) {
        const QSignalBlocker blocker(tabName_);
        tabName_->setText(model_.tabTitleDraft());
    }
    tabName_->setPlaceholderText(view_.tabNamePlaceholder);
    tabName_->setAccessibleName(view_.tabNamePlaceholder);
    saveName_->setIcon(cachedIcon(QStringLiteral("checkmark"), primary, 14));
    saveName_->setToolTip(view_.saveNameHelp);
    saveName_->setAccessibleName(view_.saveNameHelp);
    tabTitle_->setText(view_.currentTabTitle);
    tabTitle_->setAccessibleName(view_.currentTabTitle);
    rename_->setIcon(cachedIcon(QStringLiteral("pencil"), primary, 14));
    rename_->setToolTip(view_.renameHelp);
    rename_->setAccessibleName(view_.renameHelp);
    deleteTab_->setIcon(cachedIcon(QStringLiteral("trash"), redOf(), 14));
    deleteTab_->setToolTip(view_.deleteTabHelp);
    deleteTab_->setAccessibleName(view_.deleteTabHelp);
    addNote_->setText(escapedMnemonic(view_.addNote));
    addNote_->setAccessibleName(view_.addNote);
    addNote_->setIcon(cachedIcon(QStringLiteral("plus"), primary, 12));
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

void ClipboardHistoryPanel::refreshRows() {
    QList<ClipboardRowView> rows;
    const UiLanguage lang = model_.language();
    std::optional<QString> highlighted;
    if (model_.isHistoryTab()) {
        const QList<ClipboardHistoryItem> items = model_.filteredHistoryItems();
        rows.reserve(items.size());
        for (const ClipboardHistoryItem& item : items) {
            rows.append(historyRowView(item, lang));
        }
        if (const auto item = model_.selectedItem()) {
            highlighted = item->id;
        }
    } else {
        const QList<ClipboardNoteItem> notes = model_.filteredNotes();
        rows.reserve(notes.size());
        for (const ClipboardNoteItem& note : notes) {
            rows.append(noteRowView(note, lang));
        }
        if (const auto note = model_.selectedNote()) {
            highlighted = note->id;
        }
    }
    const int fontSize = int(std::lround(model_.contentFontSize()));
    if (rows != list_->rows() || fontSize != list_->property("fontSize").toInt()) {
        list_->setProperty("fontSize", fontSize);
        list_->setRows(rows, fontSize);
    }
    // Rows show the selection only beside a preview.
    list_->setHighlightedID(view_.sidePreviewShown ? highlighted : std::nullopt);
}

void ClipboardHistoryPanel::paste(const QString& id) {
    if (model_.isHistoryTab()) {
        for (const ClipboardHistoryItem& item : model_.history().items()) {
            if (item.id == id) {
                controller_.pasteFromHistory(item.text);
                return;
            }
        }
    } else if (const auto tab = model_.currentTab()) {
        for (const ClipboardNoteItem& note : tab->notes) {
            if (note.id == id) {
                controller_.pasteFromHistory(note.text);
                return;
            }
        }
    }
}

void ClipboardHistoryPanel::rowButton(const QString& id, int index) {
    if (model_.isHistoryTab()) {
        if (index == 0) {
            paste(id);
        } else {
            model_.deleteHistoryItem(id);
        }
        return;
    }
    const auto tab = model_.currentTab();
    if (!tab) {
        return;
    }
    for (const ClipboardNoteItem& note : tab->notes) {
        if (note.id != id) {
            continue;
        }
        switch (index) {
            case 0:
                controller_.pasteFromHistory(note.text);
                break;
            case 1:
                controller_.copyNote(note.text);
                break;
            case 2:
                model_.startEditNote(note);
                break;
            default:
                model_.deleteNote(note);
                break;
        }
        return;
    }
}

void ClipboardHistoryPanel::previewButton(int index) {
    if (model_.isHistoryTab()) {
        const auto item = model_.selectedItem();
        if (!item) {
            return;
        }
        if (index == 0) {
            controller_.pasteFromHistory(item->text);
        } else if (index == 1) {
            model_.saveClipboardItemAsNote(*item);
        } else {
            model_.deleteHistoryItem(item->id);
        }
        return;
    }
    const auto note = model_.selectedNote();
    if (!note) {
        return;
    }
    switch (index) {
        case 0:
            controller_.pasteFromHistory(note->text);
            break;
        case 1:
            controller_.copyNote(note->text);
            break;
        case 2:
            model_.startEditNote(*note);
            break;
        default:
            model_.deleteNote(*note);
            break;
    }
}
