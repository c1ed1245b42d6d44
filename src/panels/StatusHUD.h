#pragma once

#include <QString>
#include <QWidget>

#include "core/ActionStatus.h"
#include "core/AppearanceMode.h"
#include "core/SurfaceMode.h"
#include "theme/NiveloTheme.h"

class QLabel;

// What the HUD shows for a status: a symbol in a colour, and one line of text.
struct StatusHUDModel {
    QString symbol;
    NiveloTheme::Role color;
    QString text;

    bool operator==(const StatusHUDModel&) const = default;
};
StatusHUDModel statusHUDModel(const ActionStatus& status);

// The HUD's content: the status symbol and its text on one line, on the floating surface
// the window around it draws.
class StatusHUD : public QWidget {
    Q_OBJECT
public:
    // The width for a short message; a longer one widens the box up to the maximum.
    static constexpr int kWindowWidth = 260;
    static constexpr int kMaximumWindowWidth = 480;
    static constexpr int kMinimumWindowHeight = 72;
    static constexpr int kMargin = 18;
    static constexpr int kCornerRadius = 16;
    static constexpr int kTextPixelSize = 14;
    static constexpr int kSymbolPixelSize = 20;

    explicit StatusHUD(QWidget* parent = nullptr);

    // scheme: the one the surface draws in.
    void setStatus(const ActionStatus& status, ColorScheme scheme);
    const StatusHUDModel& model() const { return model_; }
    // The window width the current message asks for.
    int windowWidth() const { return windowWidth_; }

private:
    StatusHUDModel model_;
    int windowWidth_ = kWindowWidth;
    QLabel* symbol_;
    QLabel* text_;
};
