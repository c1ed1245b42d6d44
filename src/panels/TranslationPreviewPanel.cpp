#include "panels/TranslationPreviewPanel.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "core/NiveloPromptLibrary.h"
#include "panels/LanguagePicker.h"
#include "panels/SelectablePreviewTextView.h"
#include "panels/TranslationPreviewPanelController.h"
#include "theme/CloseButton.h"
#include "theme/FloatingSurface.h"
#include "theme/PanelWindow.h"
#include "theme/RoundedBox.h"
#include "theme/SampleLetter.h"
#include "theme/SharedPartNames.h"
#include "theme/ThemeIcons.h"
#include "theme/WindowDragHandle.h"

namespace {

constexpr int kHeaderMinHeight = 52;
constexpr int kPickerWidth = 150;
constexpr int kPaneSpacing = 10;
constexpr int kSampleLetterMin = 12;
constexpr int kSampleLetterMax = 20;
constexpr int kSymbolPixelSize = 14;

QColor primaryColor(const QWidget* widget) {
    return widget->palette().color(QPalette::WindowText);
}

// A small spinner for work under way; it turns only while shown.
class BusySpinner : public QWidget {
public:
    explicit BusySpinner(QWidget* parent) : QWidget(parent), timer_(this) {
        setFixedSize(16, 16);
        timer_.setInterval(80);
        QObject::connect(&timer_, &QTimer::timeout, this, [this] {
            step_ = (step_ + 1) % 12;
            update();
        });
    }

protected:
    void showEvent(QShowEvent*) override { timer_.start(); }
    void hideEvent(QHideEvent*) override { timer_.stop(); }
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.translate(width() / 2.0, height() / 2.0);
        const QColor primary = primaryColor(this);
        for (int i = 0; i < 12; ++i) {
            const int age = (step_ - i + 12) % 12;
            painter.setPen(QPen(NiveloTheme::withOpacity(primary, 1.0 - age / 13.0), 1.6,
                                Qt::SolidLine, Qt::RoundCap));
            painter.drawLine(QPointF(0, -3.5), QPointF(0, -6.5));
            painter.rotate(30);
        }
    }

private:
    QTimer timer_;
    int step_ = 0;
};

QToolButton* makeStepButton(const QString& glyph, QWidget* parent) {
    auto* button = new QToolButton(parent);
    button->setText(glyph);
    button->setAutoRaise(true);
    button->setFixedSize(23, 22);
    button->setFocusPolicy(Qt::NoFocus);
    QFont font = NiveloTheme::font(NiveloTheme::FontRole::body);
    font.setPixelSize(14);
    font.setWeight(QFont::DemiBold);
    button->setFont(font);
    return button;
}

QPushButton* makeBarButton(QWidget* parent) {
    auto* button = new QPushButton(parent);
    button->setIconSize(QSize(kSymbolPixelSize, kSymbolPixelSize));
    return button;
}

// Buttons read "&" as a mnemonic marker.
QString escapedMnemonic(QString text) {
    return text.replace(QLatin1Char('&'), QLatin1String("&&"));
}

}  // namespace

TranslationPreviewPanelModel translationPreviewPanelModel(
    const TranslationPreviewPanelController& c, int panesWidth) {
    const UiLanguage lang = c.uiLanguage();
    const auto t = [lang](const char* english, const char* russian) {
        return tr2(lang, QString::fromUtf8(english), QString::fromUtf8(russian));
    };
    TranslationPreviewPanelModel m;
    m.title = t("Translation", "Перевод");
    m.panelName = t("Translation Preview", "Предпросмотр перевода");
    m.headerName = t("Header", "Заголовок");
    m.busyName = t("Busy", "Выполняется");
    m.textsName = t("Texts", "Тексты");
    m.errorName = t("Error", "Ошибка");
    m.textFrameName = t("Text frame", "Поле текста");
    m.sourceToggleSymbol =
        c.sourceVisible() ? QStringLiteral("sidebar.left") : QStringLiteral("sidebar.leading");
    m.sourceToggleHelp = c.sourceVisible() ? t("Hide original", "Скрыть оригинал")
                                           : t("Show original", "Показать оригинал");
    m.textSizeHelp = t("Text size", "Размер текста");
    m.decreaseHelp = t("Decrease text", "Уменьшить текст");
    m.increaseHelp = t("Increase text", "Увеличить текст");
    m.languageLabel = t("Language", "Язык");
    m.sourceTitle = t("Original", "Оригинал");
    m.resultTitle = c.targetLanguage();
    m.resultPlaceholder = t("Translation will appear here.", "Перевод появится здесь.");
    m.fromClipboard = t("From Clipboard", "Из буфера");
    m.copy = t("Copy", "Скопировать");
    m.insert = t("Insert", "Вставить перевод");
    m.sourceText = c.sourceText();
    m.resultText = c.resultText();
    m.errorText = c.errorText();
    m.targetLanguage = c.targetLanguage();
    m.showsProgress = c.isRunning();
    m.showsSourcePane = c.sourceVisible() && panesWidth >= kPreviewBothPanesMinWidth;
    m.fontSize = c.previewFontSize();
    m.sampleLetterPixelSize = int(std::lround(
        std::clamp(c.previewFontSize(), double(kSampleLetterMin), double(kSampleLetterMax))));
    m.decreaseEnabled =
        c.previewFontSize() > TranslationPreviewPanelController::kMinPreviewFontSize;
    m.increaseEnabled =
        c.previewFontSize() < TranslationPreviewPanelController::kMaxPreviewFontSize;
    m.languagePickerEnabled = !c.isRunning();
    m.fromClipboardEnabled = !c.isRunning();
    m.copyEnabled = !c.resultText().isEmpty();
    m.insertEnabled = !c.resultText().isEmpty();
    return m;
}

TranslationPreviewPanel::TranslationPreviewPanel(TranslationPreviewPanelController& controller,
                                                 QWidget* parent)
    : QWidget(parent), controller_(controller) {
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(kPadding, kPadding, kPadding, kPadding);
    outer->setSpacing(12);

    // The header moves the window; the empty square leaves room for the close button.
    auto* header = header_ = new WindowDragHandle(this);
    header->setMinimumHeight(kHeaderMinHeight);
    auto* headerLayout = new QHBoxLayout(header);
    headerLayout->setContentsMargins(0, 0, 0, 0);
    headerLayout->setSpacing(8);
    headerLayout->addSpacing(18);
    auto* titleGroup = new QHBoxLayout();
    titleGroup->setSpacing(10);
    titleIcon_ = new QLabel(header);
    titleIcon_->setAccessibleName(QStringLiteral("Translation"));
    titleGroup->addWidget(titleIcon_);
    title_ = new QLabel(header);
    title_->setTextFormat(Qt::PlainText);
    title_->setFont(NiveloTheme::font(NiveloTheme::FontRole::headline));
    titleGroup->addWidget(title_);
    spinner_ = new BusySpinner(header);
    spinner_->setObjectName(QStringLiteral("spinner"));
    titleGroup->addWidget(spinner_);
    titleGroup->addStretch(1);
    headerLayout->addLayout(titleGroup, 1);

    sourceToggle_ = new QToolButton(header);
    sourceToggle_->setObjectName(QStringLiteral("sourceToggle"));
    sourceToggle_->setAutoRaise(true);
    sourceToggle_->setIconSize(QSize(16, 16));
    sourceToggle_->setFocusPolicy(Qt::TabFocus);
    connect(sourceToggle_, &QToolButton::clicked, this,
            [this] { controller_.setSourceVisible(!controller_.sourceVisible()); });
    headerLayout->addWidget(sourceToggle_);

    fontControls_ = new RoundedBox(QString(), RoundedBox::textCapsule(0.045, 0.07), header);
    fontControls_->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    auto* fontLayout = new QHBoxLayout(fontControls_);
    fontLayout->setContentsMargins(4, 3, 4, 3);
    fontLayout->setSpacing(2);
    decrease_ = makeStepButton(QString(QChar(0x2212)), fontControls_);
    decrease_->setObjectName(QStringLiteral("decreaseText"));
    connect(decrease_, &QToolButton::clicked, this,
            [this] { controller_.setPreviewFontSize(controller_.previewFontSize() - 1); });
    fontLayout->addWidget(decrease_);
    sampleLetter_ = new SampleLetter(fontControls_);
    sampleLetter_->setObjectName(QStringLiteral("sampleLetter"));
    fontLayout->addWidget(sampleLetter_);
    increase_ = makeStepButton(QStringLiteral("+"), fontControls_);
    increase_->setObjectName(QStringLiteral("increaseText"));
    connect(increase_, &QToolButton::clicked, this,
            [this] { controller_.setPreviewFontSize(controller_.previewFontSize() + 1); });
    fontLayout->addWidget(increase_);
    headerLayout->addWidget(fontControls_, 0, Qt::AlignVCenter);

    languagePicker_ = new LanguagePicker(NiveloPromptLibrary::languages(), header);
    languagePicker_->setObjectName(QStringLiteral("languagePicker"));
    languagePicker_->setFixedWidth(kPickerWidth);
    connect(languagePicker_, &QComboBox::activated, this, [this](int index) {
        controller_.setTargetLanguage(languagePicker_->itemData(index).toString());
    });
    headerLayout->addWidget(languagePicker_);
    outer->addWidget(header);

    panesArea_ = new QWidget(this);
    auto* panes = new QHBoxLayout(panesArea_);
    panes->setContentsMargins(0, 0, 0, 0);
    panes->setSpacing(kPaneSpacing);
    sourcePane_ = makePane(sourceTitle_, sourceView_);
    sourcePane_->setObjectName(QStringLiteral("sourcePane"));
    resultPane_ = makePane(resultTitle_, resultView_);
    resultPane_->setObjectName(QStringLiteral("resultPane"));
    resultView_->setObjectName(QStringLiteral("resultView"));
    panes->addWidget(sourcePane_, 1);
    panes->addWidget(resultPane_, 1);
    panesArea_->installEventFilter(this);
    outer->addWidget(panesArea_, 1);

    errorLabel_ = new QLabel(this);
    errorLabel_->setObjectName(QStringLiteral("errorLabel"));
    errorLabel_->setTextFormat(Qt::PlainText);
    errorLabel_->setWordWrap(true);
    errorLabel_->setFont(NiveloTheme::font(NiveloTheme::FontRole::footnote));
    errorLabel_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    outer->addWidget(errorLabel_);

    auto* bar = new QHBoxLayout();
    bar->setSpacing(8);
    bar->addStretch(1);
    fromClipboard_ = makeBarButton(this);
    fromClipboard_->setObjectName(QStringLiteral("fromClipboard"));
    connect(fromClipboard_, &QPushButton::clicked, this,
            [this] { controller_.pasteFromClipboardAndTranslate(); });
    bar->addWidget(fromClipboard_);
    copy_ = makeBarButton(this);
    copy_->setObjectName(QStringLiteral("copy"));
    connect(copy_, &QPushButton::clicked, this, [this] { controller_.copyResult(); });
    bar->addWidget(copy_);
    insert_ = makeBarButton(this);
    insert_->setObjectName(QStringLiteral("insert"));
    connect(insert_, &QPushButton::clicked, this, [this] { controller_.pasteResult(); });
    bar->addWidget(insert_);
    outer->addLayout(bar);

    addPanelCloseButton(this, [this] { controller_.hide(); });

    using C = TranslationPreviewPanelController;
    for (auto signal : {&C::sourceTextChanged, &C::resultTextChanged, &C::targetLanguageChanged,
                        &C::sourceVisibleChanged, &C::isRunningChanged, &C::errorTextChanged,
                        &C::appearanceModeChanged, &C::surfaceModeChanged, &C::uiLanguageChanged,
                        &C::previewFontSizeChanged}) {
        connect(&controller_, signal, this, &TranslationPreviewPanel::refresh);
    }
    refresh();
}

QWidget* TranslationPreviewPanel::makePane(QLabel*& title, SelectablePreviewTextView*& view) {
    auto* pane = new QWidget(panesArea_);
    auto* layout = new QVBoxLayout(pane);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(8);
    title = new QLabel(pane);
    title->setTextFormat(Qt::PlainText);
    QFont caption = NiveloTheme::font(NiveloTheme::FontRole::caption);
    caption.setWeight(QFont::DemiBold);
    title->setFont(caption);
    layout->addWidget(title);
    auto* box = new RoundedBox(QString(),
                               {.radius = 10,
                                .fill = {ThemeColor::Role::primary, 0.014},
                                .stroke = {ThemeColor::Role::primary, 0.075}},
                               pane);
    auto* boxLayout = new QVBoxLayout(box);
    boxLayout->setContentsMargins(1, 1, 1, 1);
    box->setObjectName(QStringLiteral("textFrame"));
    view = new SelectablePreviewTextView(box);
    boxLayout->addWidget(view);
    layout->addWidget(box, 1);
    return pane;
}

int TranslationPreviewPanel::sampleLetterPixelSize() const {
    return sampleLetter_->target();
}

bool TranslationPreviewPanel::eventFilter(QObject* watched, QEvent* event) {
    if (watched == panesArea_ && event->type() == QEvent::Resize) {
        // Whether the original fits beside the translation depends on the width.
        QTimer::singleShot(0, this, &TranslationPreviewPanel::refresh);
    }
    return QWidget::eventFilter(watched, event);
}

void TranslationPreviewPanel::refresh() {
    model_ = translationPreviewPanelModel(controller_, panesArea_->width());
    const SurfaceKey surface{controller_.appearanceMode(), controller_.surfaceMode(),
                             NiveloTheme::environmentScheme()};
    const FloatingSurfaceRecipe recipe = floatingSurfaceRecipe(surface.appearance, surface.surface,
                                                               kCornerRadius, surface.environment);
    auto* panel = qobject_cast<PanelWindow*>(window());
    if (panel && surface != surface_) {
        surface_ = surface;
        panel->setSurfaceRecipe(recipe);
    }
    const QColor primary = primaryColor(this);
    const QColor secondary = NiveloTheme::color(NiveloTheme::Role::secondaryLabel, recipe.scheme);
    // Icons and colours are redrawn only when the look changes, not for every new text.
    const QString look =
        primary.name(QColor::HexArgb) + secondary.name(QColor::HexArgb) + model_.sourceToggleSymbol;
    if (look != look_) {
        look_ = look;
        applyLook(primary, secondary, recipe.scheme);
    }
    title_->setText(model_.title);
    title_->setAccessibleName(model_.title);
    nameSharedParts(window(), controller_.uiLanguage());
    window()->setAccessibleName(model_.panelName);
    setAccessibleName(model_.panelName);
    header_->setAccessibleName(model_.headerName);
    spinner_->setAccessibleName(model_.busyName);
    panesArea_->setAccessibleName(model_.textsName);
    errorLabel_->setAccessibleName(model_.errorName);
    for (QWidget* frame : findChildren<QWidget*>(QStringLiteral("textFrame"))) {
        frame->setAccessibleName(model_.textFrameName);
    }
    spinner_->setVisible(model_.showsProgress);

    sourceToggle_->setToolTip(model_.sourceToggleHelp);
    sourceToggle_->setAccessibleName(model_.sourceToggleHelp);

    fontControls_->setToolTip(model_.textSizeHelp);
    fontControls_->setAccessibleName(model_.textSizeHelp);
    decrease_->setToolTip(model_.decreaseHelp);
    decrease_->setAccessibleName(model_.decreaseHelp);
    decrease_->setEnabled(model_.decreaseEnabled);
    increase_->setToolTip(model_.increaseHelp);
    increase_->setAccessibleName(model_.increaseHelp);
    increase_->setEnabled(model_.increaseEnabled);
    sampleLetter_->setTarget(model_.sampleLetterPixelSize);

    languagePicker_->setAccessibleName(model_.languageLabel);
    {
        const QSignalBlocker blocker(languagePicker_);
        languagePicker_->setCurrentIndex(languagePicker_->findData(model_.targetLanguage));
    }
    languagePicker_->setEnabled(model_.languagePickerEnabled);

    sourceTitle_->setText(model_.sourceTitle);
    resultTitle_->setText(model_.resultTitle);
    sourcePane_->setAccessibleName(model_.sourceTitle);
    sourceView_->setAccessibleName(model_.sourceTitle);
    resultPane_->setAccessibleName(model_.resultTitle);
    resultView_->setAccessibleName(model_.resultTitle);
    sourceView_->updateTextView(model_.sourceText, QString(), model_.fontSize);
    resultView_->updateTextView(model_.resultText, model_.resultPlaceholder, model_.fontSize);
    sourcePane_->setVisible(model_.showsSourcePane);

    errorLabel_->setText(model_.errorText);
    errorLabel_->setVisible(!model_.errorText.isEmpty());

    const struct {
        QPushButton* button;
        const QString& text;
        bool enabled;
    } buttons[] = {
        {fromClipboard_, model_.fromClipboard, model_.fromClipboardEnabled},
        {copy_, model_.copy, model_.copyEnabled},
        {insert_, model_.insert, model_.insertEnabled},
    };
    for (const auto& b : buttons) {
        b.button->setText(escapedMnemonic(b.text));
        b.button->setAccessibleName(b.text);
        b.button->setEnabled(b.enabled);
    }
}

void TranslationPreviewPanel::applyLook(const QColor& primary, const QColor& secondary,
                                        ColorScheme scheme) {
    titleIcon_->setPixmap(
        ThemeIcons::pixmap(QStringLiteral("translate"), primary, 16, devicePixelRatioF()));
    sourceToggle_->setIcon(ThemeIcons::icon(model_.sourceToggleSymbol, primary, 16));
    QPalette titlePalette = sourceTitle_->palette();
    titlePalette.setColor(QPalette::WindowText, secondary);
    sourceTitle_->setPalette(titlePalette);
    resultTitle_->setPalette(titlePalette);
    for (SelectablePreviewTextView* textView : {sourceView_, resultView_}) {
        QPalette textPalette = textView->palette();
        textPalette.setColor(QPalette::Text, primary);
        textPalette.setColor(QPalette::PlaceholderText, NiveloTheme::withOpacity(primary, 0.45));
        textView->setPalette(textPalette);
    }
    QPalette errorPalette = errorLabel_->palette();
    errorPalette.setColor(QPalette::WindowText,
                          NiveloTheme::color(NiveloTheme::Role::orange, scheme));
    errorLabel_->setPalette(errorPalette);
    const std::pair<QPushButton*, const char*> symbols[] = {{fromClipboard_, "doc.on.clipboard"},
                                                            {copy_, "doc.on.doc"},
                                                            {insert_, "arrow.turn.down.left"}};
    for (const auto& [button, symbol] : symbols) {
        button->setIcon(ThemeIcons::icon(QLatin1String(symbol),
                                         button->palette().color(QPalette::ButtonText),
                                         kSymbolPixelSize));
    }
}
