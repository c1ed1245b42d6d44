#include "settingswindow/SettingsDetailView.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>

#include "settingswindow/AIReplySettingsView.h"
#include "settingswindow/ActionsSettingsView.h"
#include "settingswindow/ClipboardSettingsView.h"
#include "settingswindow/GeneralSettingsView.h"
#include "settingswindow/LayoutSettingsView.h"
#include "settingswindow/PermissionsSettingsView.h"
#include "settingswindow/QuickMenuSettingsView.h"
#include "settingswindow/ShortcutsSettingsView.h"
#include "settingswindow/StylesSettingsView.h"
#include "settingswindow/UpdatesSettingsView.h"
#include "state/NiveloAppState.h"

namespace {

QWidget* makePage(SettingsPage page, const MainSettingsView::Environment& env, QWidget* parent) {
    NiveloAppState& state = env.appState;
    switch (page) {
        case SettingsPage::general:
            return new GeneralSettingsView(state, parent);
        case SettingsPage::actions:
            return new ActionsSettingsView(state, parent);
        case SettingsPage::styles:
            return new StylesSettingsView(state, parent);
        case SettingsPage::aiReply:
            return new AIReplySettingsView(state, parent);
        case SettingsPage::quickMenu:
            return new QuickMenuSettingsView(state, parent);
        case SettingsPage::clipboard:
            return new ClipboardSettingsView(state, parent);
        case SettingsPage::layout:
            return new LayoutSettingsView(state, parent);
        case SettingsPage::permissions:
            return new PermissionsSettingsView(state, parent);
        case SettingsPage::shortcuts:
            return new ShortcutsSettingsView(state, parent);
        case SettingsPage::updates:
            return env.updateManager ? new UpdatesSettingsView(state, *env.updateManager, parent)
                                     : nullptr;
        default:
            return nullptr;
    }
}

}  // namespace

SettingsDetailView::SettingsDetailView(const MainSettingsView::Environment& environment,
                                       QWidget* parent)
    : QWidget(parent), env_(environment), state_(env_.appState) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 16, 0, 2);
    layout->setSpacing(14);

    title_ = new QLabel(this);
    title_->setObjectName(QStringLiteral("pageTitle"));
    title_->setTextFormat(Qt::PlainText);
    QFont font = title_->font();
    font.setPixelSize(19);
    font.setWeight(QFont::DemiBold);
    title_->setFont(font);
    title_->setFixedHeight(30);
    layout->addWidget(title_);

    scroll_ = new QScrollArea(this);
    scroll_->setObjectName(QStringLiteral("pageScroll"));
    scroll_->setFrameShape(QFrame::NoFrame);
    scroll_->setWidgetResizable(true);
    scroll_->viewport()->setAutoFillBackground(false);
    layout->addWidget(scroll_, 1);

    connect(&state_, &NiveloAppState::selectedSettingsPageChanged, this,
            &SettingsDetailView::showPage);
    connect(&state_, &NiveloAppState::settingsChanged, this, &SettingsDetailView::retitle);
    showPage(state_.selectedSettingsPage());
}

void SettingsDetailView::showPage(SettingsPage page) {
    if (page_ && page == shown_) {
        return;
    }
    shown_ = page;
    auto* content = new QWidget();
    auto* column = new QVBoxLayout(content);
    column->setContentsMargins(0, 0, 14, 20);
    column->setSpacing(14);
    QWidget* view = makePage(page, env_, content);
    page_ = view ? view : new QWidget(content);
    page_->setObjectName(QStringLiteral("page"));
    page_->setMaximumWidth(kMaximumPageWidth);
    // Up to 700 wide from the leading edge; the rest of the width stays empty.
    auto* row = new QHBoxLayout();
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(page_, 1, Qt::AlignTop);
    row->addStretch(0);
    column->addLayout(row);
    column->addStretch(1);
    delete scroll_->takeWidget();
    scroll_->setWidget(content);
    // setWidget() turns the fill on; the window's backdrop shows through instead.
    content->setAutoFillBackground(false);
    scroll_->verticalScrollBar()->setValue(0);
    scroll_->setAccessibleName(title(page, state_.settings().uiLanguage));
    retitle();
}

void SettingsDetailView::retitle() {
    const QString text = title(shown_, state_.settings().uiLanguage);
    title_->setText(text);
    scroll_->setAccessibleName(text);
}
