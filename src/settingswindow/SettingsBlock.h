#pragma once

#include <QWidget>

class QVBoxLayout;

// The card around a group of settings controls: at most 640 wide, padded 14, on a rounded
// rectangle (radius 18) lightly filled for the scheme and finely bordered.
class SettingsBlock : public QWidget {
    Q_OBJECT
public:
    explicit SettingsBlock(QWidget* parent = nullptr);
    QVBoxLayout* contentLayout() const { return layout_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QVBoxLayout* layout_ = nullptr;
};

// A page section that draws its own background: a rounded rectangle (radius 12) filled with
// the text colour at 0.055, with an optional fine border at 0.08. Its layout sets the padding.
class SettingsSection : public QWidget {
    Q_OBJECT
public:
    SettingsSection(bool bordered, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    bool bordered_;
};

// A 1 px line in the text colour at low opacity, so it suits either scheme.
class SettingsDivider : public QWidget {
    Q_OBJECT
public:
    explicit SettingsDivider(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};
