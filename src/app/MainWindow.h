#pragma once

#include <QMainWindow>
#include <QMargins>
#include <QRect>

class Screens;

// The main window: the settings window's host, with the window manager's normal frame. Its
// content paints an opaque backdrop, since without a compositor a translucent window shows
// black.
class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    // The content's minimum; the window adds its menu bar.
    static constexpr int kMinimumWidth = 760;
    static constexpr int kMinimumHeight = 500;

    explicit MainWindow(QWidget* parent = nullptr);

    // Puts the content in, held to the minimum size.
    void setContent(QWidget* content);

    // Before a show: the window, its frame included, comes back where it was last shown, moved
    // and cut down (to no less than its minimum, unless the visible area itself is smaller)
    // into the visible area of the screen that holds it. Shown the first time, it is only cut to
    // the main screen's visible area and the window manager places it; framed partly off that
    // area, it is placed again as above.
    void fitToScreen(const Screens& screens);

Q_SIGNALS:
    void showQuickMenuRequested();
    // The window went away for good (its close was not refused).
    void closed();

protected:
    void closeEvent(QCloseEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void moveEvent(QMoveEvent* event) override;

private:
    static QMargins marginsAround(const QRect& client, const QRect& frame);
    void placeFrame(const Screens& screens, const QRect& frame, const QMargins& margins);

    // The screens of a first show until the window manager has framed the window.
    const Screens* unframedOn_ = nullptr;
    // The frame when the window was last hidden (invalid before), and its decoration then.
    QRect lastFrame_;
    QMargins frameMargins_;
};
