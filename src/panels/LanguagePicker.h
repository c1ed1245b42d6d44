#pragma once

#include <QComboBox>

class LanguageMenu;

// A combo box of the target languages whose list is the quick panel's language menu: it opens
// with the chosen language over the box's text, cut to the work area, in the panel's look.
// Picking a language makes it current and is reported as `activated`.
class LanguagePicker : public QComboBox {
    Q_OBJECT
public:
    LanguagePicker(const QStringList& languages, QWidget* parent = nullptr);

    LanguageMenu* menu() const { return menu_; }
    // Where the box shows the current language's name, in its own coordinates.
    QRect textRect() const;
    void showPopup() override;
    void hidePopup() override;

private:
    LanguageMenu* menu_ = nullptr;
};
