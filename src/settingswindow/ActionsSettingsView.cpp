#include "settingswindow/ActionsSettingsView.h"

#include <QAbstractTextDocumentLayout>
#include <QComboBox>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTextEdit>
#include <QVBoxLayout>
#include <cmath>

#include "base/Text.h"
#include "core/NiveloPromptLibrary.h"
#include "settingswindow/SettingsBinding.h"
#include "settingswindow/SettingsBlock.h"
#include "state/NiveloAppState.h"
#include "theme/LineBreakKeyFilter.h"
#include "theme/NiveloTheme.h"
#include "theme/ThemeIcons.h"

namespace {

constexpr int kEditorMinimumHeight = 92;

bool hasRow(const QString& id) {
    return id != QLatin1String("ai") && id != QLatin1String("clipboard") &&
           id != QLatin1String("layout");
}

QLabel* heading(QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setTextFormat(Qt::PlainText);
    label->setFont(NiveloTheme::font(NiveloTheme::FontRole::headline));
    return label;
}

}  // namespace

ActionsPageModel actionsPageModel(const NiveloAppState& state) {
    const UiLanguage lang = state.settings().uiLanguage;
    ActionsPageModel m;
    m.inputHeading = tr2(lang, QStringLiteral("Test input"), QStringLiteral("Тестовый текст"));
    m.targetTitle = tr2(lang, QStringLiteral("Translate target"), QStringLiteral("Язык перевода"));
    m.languages = NiveloPromptLibrary::languages();
    m.languageIndex = int(m.languages.indexOf(state.settings().targetLanguage));
    for (const QuickAction& action : state.quickActions()) {
        if (hasRow(action.id)) {
            m.rows.append({action.id, state.title(action), action.symbolName()});
        }
    }
    m.runTitle = tr2(lang, QStringLiteral("Run"), QStringLiteral("Запустить"));
    m.outputHeading =
        tr2(lang, QStringLiteral("Latest output"), QStringLiteral("Последний результат"));
    m.showsOutput = !state.latestOutput().isEmpty();
    return m;
}

ActionsSettingsView::ActionsSettingsView(NiveloAppState& state, QWidget* parent)
    : QWidget(parent), state_(state) {
    auto* page = new QVBoxLayout(this);
    page->setContentsMargins(0, 0, 0, 0);
    page->setSpacing(16);

    auto* input = new QVBoxLayout();
    input->setSpacing(8);
    inputHeading_ = heading(this);
    input->addWidget(inputHeading_);
    auto* editorSection = newSettingsSection(true, this);
    auto* editorLayout = new QVBoxLayout(editorSection);
    editorLayout->setContentsMargins(8, 8, 8, 8);
    editor_ = new QTextEdit(editorSection);
    editor_->setObjectName(QStringLiteral("sampleEditor"));
    editor_->setAcceptRichText(false);
    editor_->setFrameShape(QFrame::NoFrame);
    editor_->setFont(NiveloTheme::font(NiveloTheme::FontRole::body));
    editor_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    editor_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // Only the base is set here, so the text colours still follow the window's palette.
    QPalette clearBase;
    clearBase.setColor(QPalette::Base, Qt::transparent);
    editor_->setPalette(clearBase);
    editor_->setMinimumHeight(kEditorMinimumHeight);
    LineBreakKeyFilter::install(editor_);
    editorLayout->addWidget(editor_);
    input->addWidget(editorSection);
    page->addLayout(input);
    connect(editor_->document()->documentLayout(),
            &QAbstractTextDocumentLayout::documentSizeChanged, this,
            &ActionsSettingsView::fitEditor);
    connect(editor_, &QTextEdit::textChanged, this,
            [this] { state_.setSampleText(text::documentText(*editor_->document())); });

    auto* targetRow = new QHBoxLayout();
    targetRow->setSpacing(8);
    targetTitle_ = new QLabel(this);
    targetTitle_->setTextFormat(Qt::PlainText);
    target_ = new QComboBox(this);
    target_->setObjectName(QStringLiteral("targetPicker"));
    target_->setMaxVisibleItems(16);
    targetTitle_->setBuddy(target_);
    targetRow->addWidget(targetTitle_);
    targetRow->addWidget(target_);
    targetRow->addStretch(1);
    page->addLayout(targetRow);
    connect(target_, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (index >= 0) {
            binding(state_, &NiveloSettings::targetLanguage).set(target_->itemText(index));
        }
    });

    rowsLayout_ = new QVBoxLayout();
    rowsLayout_->setSpacing(16);
    page->addLayout(rowsLayout_);

    outputSection_ = new QWidget(this);
    outputSection_->setObjectName(QStringLiteral("outputSection"));
    auto* outputLayout = new QVBoxLayout(outputSection_);
    outputLayout->setContentsMargins(0, 0, 0, 0);
    outputLayout->setSpacing(8);
    outputHeading_ = heading(outputSection_);
    outputLayout->addWidget(outputHeading_);
    auto* outputBox = newSettingsSection(false, outputSection_);
    auto* outputBoxLayout = new QVBoxLayout(outputBox);
    outputBoxLayout->setContentsMargins(12, 12, 12, 12);
    output_ = new QLabel(outputBox);
    output_->setObjectName(QStringLiteral("output"));
    output_->setTextFormat(Qt::PlainText);
    output_->setWordWrap(true);
    output_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    output_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    output_->setFont(NiveloTheme::font(NiveloTheme::FontRole::body));
    outputBoxLayout->addWidget(output_);
    outputLayout->addWidget(outputBox);
    page->addWidget(outputSection_);

    connect(&state_, &NiveloAppState::settingsChanged, this, &ActionsSettingsView::refresh);
    connect(&state_, &NiveloAppState::quickActionsChanged, this, &ActionsSettingsView::refresh);
    connect(&state_, &NiveloAppState::latestOutputChanged, this, &ActionsSettingsView::refresh);
    connect(&state_, &NiveloAppState::sampleTextChanged, this, &ActionsSettingsView::syncSample);
    syncSample();
    refresh();
}

ActionsSettingsView::ActionRow ActionsSettingsView::makeRow(const QString& id) {
    ActionRow row;
    row.section = newSettingsSection(false, this);
    auto* layout = new QHBoxLayout(row.section);
    layout->setContentsMargins(12, 12, 12, 12);
    layout->setSpacing(8);
    row.icon = new QLabel(row.section);
    row.title = new QLabel(row.section);
    row.title->setTextFormat(Qt::PlainText);
    row.title->setFont(NiveloTheme::font(NiveloTheme::FontRole::body));
    row.run = new QPushButton(row.section);
    row.run->setObjectName(QStringLiteral("run:") + id);
    layout->addWidget(row.icon);
    layout->addWidget(row.title, 1);
    layout->addWidget(row.run);
    // Never disabled: each press starts a run of its own.
    connect(row.run, &QPushButton::clicked, this,
            [this, id] { state_.run(QuickAction{id}, false, true); });
    return row;
}

void ActionsSettingsView::refresh() {
    const ActionsPageModel m = actionsPageModel(state_);
    inputHeading_->setText(m.inputHeading);
    editor_->setAccessibleName(m.inputHeading);
    targetTitle_->setText(m.targetTitle);
    target_->setAccessibleName(m.targetTitle);
    {
        const QSignalBlocker blocker(target_);
        if (target_->count() != m.languages.size()) {
            target_->clear();
            target_->addItems(m.languages);
        }
        target_->setCurrentIndex(m.languageIndex);
    }

    // Rows are kept by id and put back in the quick menu's order.
    QHash<QString, ActionRow> kept;
    for (const auto& r : m.rows) {
        ActionRow row = rows_.contains(r.id) ? rows_.take(r.id) : makeRow(r.id);
        const QColor ink = palette().color(QPalette::WindowText);
        row.icon->setPixmap(ThemeIcons::pixmap(r.symbol, ink, 16, devicePixelRatioF()));
        row.title->setText(r.title);
        row.run->setText(m.runTitle);
        row.run->setAccessibleName(m.runTitle + QStringLiteral(" ") + r.title);
        rowsLayout_->removeWidget(row.section);
        rowsLayout_->addWidget(row.section);
        kept.insert(r.id, row);
    }
    for (const ActionRow& gone : std::as_const(rows_)) {
        delete gone.section;
    }
    rows_ = kept;

    outputHeading_->setText(m.outputHeading);
    output_->setAccessibleName(m.outputHeading);
    output_->setText(state_.latestOutput());
    outputSection_->setVisible(m.showsOutput);
}

void ActionsSettingsView::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    // The action symbols are drawn in the text colour.
    if (event->type() == QEvent::PaletteChange && outputSection_) {
        refresh();
    }
}

void ActionsSettingsView::syncSample() {
    if (!text::documentShows(*editor_->document(), state_.sampleText())) {
        const QSignalBlocker blocker(editor_);
        editor_->setPlainText(state_.sampleText());
        fitEditor();
    }
}

void ActionsSettingsView::fitEditor() {
    const int height =
        int(std::ceil(editor_->document()->size().height())) + 2 * editor_->frameWidth();
    editor_->setFixedHeight(std::max(kEditorMinimumHeight, height));
}
