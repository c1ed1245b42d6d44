#include "panels/LanguagePicker.h"

#include <QStyle>
#include <QStyleOptionComboBox>

#include "panels/LanguageMenu.h"

LanguagePicker::LanguagePicker(const QStringList& languages, QWidget* parent) : QComboBox(parent) {
    for (const QString& language : languages) {
        addItem(language, language);
    }
    menu_ = new LanguageMenu(languages, currentText(), this);
    menu_->setObjectName(QStringLiteral("languageMenu"));
    menu_->watchPresses(this);
    connect(menu_, &LanguageMenu::picked, this, [this](const QString& language) {
        const int index = findData(language);
        setCurrentIndex(index);
        Q_EMIT activated(index);
    });
}

QRect LanguagePicker::textRect() const {
    QStyleOptionComboBox option;
    initStyleOption(&option);
    return style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField,
                                   this);
}

void LanguagePicker::showPopup() {
    menu_->setAccessibleName(accessibleName());
    menu_->setChosen(currentText());
    menu_->openOver(this, textRect());
}

void LanguagePicker::hidePopup() {
    menu_->hide();
}
