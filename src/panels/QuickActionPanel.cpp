#include "panels/QuickActionPanel.h"

#include <QEnterEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QScrollArea>
#include <QScrollBar>
#include <QTimer>
#include <QToolButton>
#include <QVariantAnimation>

#include "core/NiveloPromptLibrary.h"
#include "core/NiveloSettings.h"
#include "panels/LanguageMenu.h"
#include "panels/QuickPanelController.h"
#include "state/NiveloAppState.h"
#include "theme/CloseButton.h"
#include "theme/FloatingSurface.h"
#include "theme/NiveloTheme.h"
#include "theme/PanelWindow.h"
#include "theme/RoundedBox.h"
#include "theme/SharedPartNames.h"
#include "theme/SystemSurfaceMode.h"
#include "theme/TextFit.h"
#include "theme/ThemeIcons.h"
#include "theme/WindowDragHandle.h"

namespace {

constexpr int kPadding = 14;
constexpr int kSymbolFrame = 20;
constexpr int kRowCornerRadius = 11;
constexpr int kLanguageLabelMaxWidth = 120;
constexpr int kHoverEaseMs = 120;

const QString kTranslate = QStringLiteral("translate");

// Menus and buttons read "&" as a mnemonic marker.
QString escapedMnemonic(QString text) {
    return text.replace(QLatin1Char('&'), QLatin1String("&&"));
}

}  // namespace

QuickPanelMetrics quickPanelMetrics(MenuScale scale) {
    switch (scale) {
        case MenuScale::tiny:
            return {13, 10, 8, 7, 16};
        case MenuScale::small:
            return {14, 11, 9, 8, 17};
        case MenuScale::medium:
            return {15, 13, 11, 9, 19};
        case MenuScale::large:
            return {16, 15, 13, 10, 21};
        case MenuScale::xlarge:
            return {17, 17, 15, 11, 23};
    }
    return {13, 10, 8, 7, 16};
}

QuickActionPanelModel quickActionPanelModel(const NiveloAppState& appState) {
    QuickActionPanelModel model{quickPanelMetrics(appState.settings().quickMenuSize),
                                {},
                                appState.settings().targetLanguage};
    for (const QuickAction& action : appState.quickActions()) {
        model.rows.append(
            {action.id, appState.title(action), action.symbolName(), action.id == kTranslate});
    }
    return model;
}

QuickActionRow::QuickActionRow(QuickPanelRow row, QuickPanelMetrics metrics, QWidget* parent)
    : QAbstractButton(parent), row_(std::move(row)), metrics_(metrics) {
    setAccessibleName(row_.title);
    setText(escapedMnemonic(row_.title));
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_Hover);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    hoverAnimation_ = new QVariantAnimation(this);
    hoverAnimation_->setObjectName(QStringLiteral("hoverAnimation"));
    hoverAnimation_->setDuration(kHoverEaseMs);
    // The ease-out of the desktop's animations: fast at first, slowing to a stop.
    QEasingCurve easeOut(QEasingCurve::BezierSpline);
    easeOut.addCubicBezierSegment(QPointF(0, 0), QPointF(0.58, 1), QPointF(1, 1));
    hoverAnimation_->setEasingCurve(easeOut);
    connect(hoverAnimation_, &QVariantAnimation::valueChanged, this, [this](const QVariant& v) {
        hoverLevel_ = v.toDouble();
        update();
    });
}

void QuickActionRow::setHovered(bool hovered) {
    hovered_ = hovered;
    hoverAnimation_->stop();
    hoverAnimation_->setStartValue(hoverLevel_);
    hoverAnimation_->setEndValue(hovered ? 1.0 : 0.0);
    hoverAnimation_->start();
    Q_EMIT hoverChanged(hovered);
}

QFont QuickActionRow::titleFont() const {
    QFont font = NiveloTheme::font(NiveloTheme::FontRole::body);
    font.setPixelSize(metrics_.rowFontPixelSize);
    font.setWeight(QFont::Medium);
    return font;
}

QSize QuickActionRow::sizeHint() const {
    const int line = std::max(QFontMetrics(titleFont()).height(), kSymbolFrame);
    return {200, line + 2 * metrics_.rowPaddingY};
}

void QuickActionRow::setLanguageButton(QToolButton* button) {
    languageButton_ = button;
    resizeEvent(nullptr);
}

void QuickActionRow::resizeEvent(QResizeEvent*) {
    if (!languageButton_) {
        return;
    }
    const QSize hint = languageButton_->sizeHint();
    const int width = std::min(hint.width(), kLanguageLabelMaxWidth);
    languageButton_->setGeometry(this->width() - metrics_.languageMenuInset - width,
                                 (height() - hint.height()) / 2, width, hint.height());
}

void QuickActionRow::enterEvent(QEnterEvent* event) {
    setHovered(true);
    QAbstractButton::enterEvent(event);
}

void QuickActionRow::leaveEvent(QEvent* event) {
    setHovered(false);
    QAbstractButton::leaveEvent(event);
}

void QuickActionRow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor primary = palette().color(QPalette::WindowText);
    const QColor accent = palette().color(QPalette::Highlight);
    using R = ThemeColor::Role;
    // Between the resting and the lit look while the hover eases in or out.
    const double lit = hoverLevel_;
    if (lit < 1) {
        painter.setOpacity(1 - lit);
        RoundedBox::paint(painter, QRectF(rect()),
                          {.radius = kRowCornerRadius,
                           .fill = {R::primary, 0.043},
                           .stroke = {R::primary, 0.045}},
                          palette());
    }
    if (lit > 0) {
        painter.setOpacity(lit);
        RoundedBox::paint(
            painter, QRectF(rect()),
            {.radius = kRowCornerRadius, .fill = {R::accent, 0.15}, .stroke = {R::accent, 0.32}},
            palette());
    }
    painter.setOpacity(1);

    const int x = metrics_.rowPaddingX;
    const int symbolSize = QuickActionPanel::kSymbolPixelSize;
    const QPoint symbolAt(x + (kSymbolFrame - symbolSize) / 2, (height() - symbolSize) / 2);
    painter.drawPixmap(symbolAt,
                       ThemeIcons::pixmap(row_.symbol, primary, symbolSize, devicePixelRatioF()));
    if (lit > 0) {
        painter.setOpacity(lit);
        painter.drawPixmap(
            symbolAt, ThemeIcons::pixmap(row_.symbol, accent, symbolSize, devicePixelRatioF()));
        painter.setOpacity(1);
    }

    const int titleX = x + kSymbolFrame + 6;
    int right = width() - metrics_.rowPaddingX;
    if (languageButton_) {
        right = languageButton_->geometry().left() - 6;
    }
    const FittedLine line = fitOneLine(row_.title, titleFont(), std::max(right - titleX, 0));
    painter.setFont(line.font);
    painter.setPen(primary);
    painter.drawText(QRect(titleX, 0, std::max(right - titleX, 0), height()),
                     Qt::AlignVCenter | Qt::AlignLeft | Qt::TextSingleLine, line.text);
}

QuickActionPanel::QuickActionPanel(NiveloAppState& appState, QuickPanelController& controller,
                                   QWidget* parent)
    : QWidget(parent), appState_(&appState), controller_(controller) {
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(kPadding, kPadding, kPadding, kPadding);
    outer->setSpacing(8);

    // The header moves the window; the empty square leaves room for the close button.
    auto* header = new WindowDragHandle(this);
    auto* headerLayout = new QHBoxLayout(header);
    headerLayout->setContentsMargins(0, 0, 0, 6);
    headerLayout->setSpacing(8);
    headerLayout->addSpacing(18);
    auto* bolt = new QLabel(header);
    // The product's mark.
    bolt->setAccessibleName(QStringLiteral("NiveloAI"));
    bolt->setPixmap(ThemeIcons::pixmap(
        QStringLiteral("bolt.fill"),
        NiveloTheme::color(NiveloTheme::Role::yellow, NiveloTheme::environmentScheme()), 16,
        devicePixelRatioF()));
    headerLayout->addWidget(bolt);
    auto* title = new QLabel(QStringLiteral("NiveloAI"), header);
    title->setTextFormat(Qt::PlainText);
    title->setFont(NiveloTheme::font(NiveloTheme::FontRole::headline));
    title->setAccessibleName(QStringLiteral("NiveloAI"));
    headerLayout->addWidget(title);
    headerLayout->addStretch(1);
    header->setFixedHeight(18 + 6);
    outer->addWidget(header);

    auto* scroll = scroll_ = new QScrollArea(this);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->viewport()->setAutoFillBackground(false);
    auto* list = new QWidget(scroll);
    list->setAutoFillBackground(false);
    rowsLayout_ = new QVBoxLayout(list);
    rowsLayout_->setContentsMargins(0, 0, 0, 12);
    scroll->setWidget(list);
    outer->addWidget(scroll, 1);

    addPanelCloseButton(this, [this] { controller_.hide(); });

    const auto later = [this] {
        // Rows may be in the middle of their own click: rebuild on the next turn.
        QTimer::singleShot(0, this, [this] { refresh(); });
    };
    connect(&appState, &NiveloAppState::quickActionsChanged, this, later);
    connect(&appState, &NiveloAppState::settingsChanged, this, later);
    connect(&appState, &NiveloAppState::systemSurfaceModeChanged, this, later);
    refresh();
}

QuickActionRow* QuickActionPanel::row(const QString& id) const {
    for (QuickActionRow* r : rows_) {
        if (r->row().id == id) {
            return r;
        }
    }
    return nullptr;
}

void QuickActionPanel::refresh() {
    if (!appState_) {
        return;
    }
    model_ = quickActionPanelModel(*appState_);
    const UiLanguage lang = appState_->settings().uiLanguage;
    nameSharedParts(window(), lang);
    window()->setAccessibleName(
        tr2(lang, QStringLiteral("Quick Menu"), QStringLiteral("Быстрое меню")));
    setAccessibleName(
        tr2(lang, QStringLiteral("Quick actions"), QStringLiteral("Быстрые действия")));
    scroll_->setAccessibleName(tr2(lang, QStringLiteral("Actions"), QStringLiteral("Действия")));
    const QString targetLanguage =
        tr2(lang, QStringLiteral("Target language"), QStringLiteral("Язык перевода"));
    if (auto* panel = qobject_cast<PanelWindow*>(window())) {
        panel->setSurfaceRecipe(floatingSurfaceRecipe(appState_->settings().appearanceMode,
                                                      appState_->systemSurfaceMode(), kCornerRadius,
                                                      NiveloTheme::environmentScheme()));
    }
    for (QuickActionRow* old : rows_) {
        old->hide();
        old->deleteLater();
    }
    rows_.clear();
    while (QLayoutItem* item = rowsLayout_->takeAt(0)) {
        delete item;
    }
    rowsLayout_->setSpacing(model_.metrics.rowSpacing);
    QWidget* list = rowsLayout_->parentWidget();
    for (const QuickPanelRow& r : model_.rows) {
        auto* rowWidget = new QuickActionRow(r, model_.metrics, list);
        const QString id = r.id;
        connect(rowWidget, &QAbstractButton::clicked, this, [this, id] { runRow(id); });
        connect(rowWidget, &QuickActionRow::hoverChanged, this, [this, id](bool hovered) {
            if (hovered) {
                hoveredActionID_ = id;
            } else if (hoveredActionID_ == id) {
                hoveredActionID_.clear();
            }
        });
        if (r.hasLanguageMenu) {
            auto* button = new QToolButton(rowWidget);
            button->setObjectName(QStringLiteral("languageButton"));
            button->setAccessibleName(targetLanguage);
            button->setFocusPolicy(Qt::NoFocus);
            button->setAutoRaise(true);
            button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
            button->setLayoutDirection(Qt::RightToLeft);
            QFont caption = NiveloTheme::font(NiveloTheme::FontRole::caption);
            button->setFont(caption);
            const QColor secondary =
                NiveloTheme::withOpacity(palette().color(QPalette::WindowText), 0.6);
            QPalette buttonPalette = button->palette();
            buttonPalette.setColor(QPalette::ButtonText, secondary);
            button->setPalette(buttonPalette);
            button->setIcon(
                ThemeIcons::icon(QStringLiteral("chevron.up.chevron.down"), secondary, 9));
            button->setIconSize(QSize(9, 9));
            const QString elided = QFontMetrics(caption).elidedText(
                model_.targetLanguage, Qt::ElideRight, kLanguageLabelMaxWidth - 20);
            button->setText(escapedMnemonic(elided));
            button->setToolTip(model_.targetLanguage);
            auto* menu =
                new LanguageMenu(NiveloPromptLibrary::languages(), model_.targetLanguage, button);
            menu->setObjectName(QStringLiteral("languageMenu"));
            menu->setAccessibleName(targetLanguage);
            // Not the button's right-to-left, which only puts its chevron after the text.
            menu->setLayoutDirection(layoutDirection());
            connect(menu, &LanguageMenu::picked, this,
                    [this](const QString& language) { pickLanguage(language); });
            // Not as the button's menu, which would run an event loop of its own.
            menu->openFrom(button);
            rowWidget->setLanguageButton(button);
        }
        rowsLayout_->addWidget(rowWidget);
        rows_.append(rowWidget);
    }
    rowsLayout_->addStretch(1);
}

void QuickActionPanel::runRow(const QString& id) {
    controller_.hide();
    if (!appState_) {
        return;
    }
    if (id == QLatin1String("ai")) {
        QPointer<QuickPanelController> controller(&controller_);
        QTimer::singleShot(0, &controller_, [controller] {
            controller->rememberFrontmost();
            const QString context = controller->peekSelection();
            if (AssistantPanelHandle* assistant = controller->assistantPanel()) {
                assistant->show(context);
            }
        });
    } else if (id == QLatin1String("clipboard")) {
        if (ClipboardPanelHandle* clipboard = controller_.clipboardPanel()) {
            clipboard->show();
        }
    } else {
        appState_->run(QuickAction{id}, true, false);
    }
}

void QuickActionPanel::pickLanguage(const QString& language) {
    if (!appState_) {
        return;
    }
    appState_->editSettings([&](NiveloSettings& s) { s.targetLanguage = language; });
    controller_.hide();
    appState_->run(QuickAction{kTranslate}, true, false);
}

void QuickActionPanel::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // Each opening starts at the first actions, wherever the last one was scrolled to.
    scroll_->verticalScrollBar()->setValue(0);
}
