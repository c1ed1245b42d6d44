#pragma once

#include "theme/RoundedBox.h"

class QVBoxLayout;

// The look of a page's row, section or card: a rounded rectangle filled with the text colour at
// fillOpacity up to its edge, optionally with a fine border at 0.08 inside it.
RoundedBox::Look settingsCardLook(double radius, double fillOpacity, bool bordered);

// The card around a group of settings controls: at most 640 wide, padded 14, on a rounded
// rectangle (radius 18) lightly filled for the scheme and finely bordered.
class SettingsBlock : public RoundedBox {
    Q_OBJECT
public:
    explicit SettingsBlock(QWidget* parent = nullptr);
    QVBoxLayout* contentLayout() const { return layout_; }

private:
    QVBoxLayout* layout_ = nullptr;
};

// A page section that draws its own background (radius 12), with an optional fine border.
RoundedBox* newSettingsSection(bool bordered, QWidget* parent);

// A 1 px line in the text colour at low opacity, so it suits either scheme.
class SettingsDivider : public QWidget {
    Q_OBJECT
public:
    explicit SettingsDivider(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};
