#pragma once

#include <QColor>
#include <QWidget>

enum class ColorScheme;
namespace NiveloTheme {
enum class Role;
}

// A list row's background: a rounded rectangle filled with the text colour at 0.055. Its layout
// sets the padding.
class SettingsRowFrame : public QWidget {
    Q_OBJECT
public:
    SettingsRowFrame(double radius, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    double radius_;
};

// The scheme a settings widget is drawn in, read from its palette.
ColorScheme settingsScheme(const QWidget& widget);
// One of the standard colours in that scheme.
QColor settingsColor(const QWidget& widget, NiveloTheme::Role role);
