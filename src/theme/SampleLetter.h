#pragma once

#include <QWidget>

class SpringAnimation;

// The bold "T" of a text-size control, drawn at the chosen size in the text colour. A new size
// springs into place (response 0.16 s, damping fraction 0.85); the first one, and any while
// hidden, shows at once.
class SampleLetter : public QWidget {
    Q_OBJECT
public:
    explicit SampleLetter(QWidget* parent = nullptr);

    // The size it comes to rest at, in pixels.
    int target() const { return target_; }
    void setTarget(int pixels);
    // The size drawn now, between sizes while it springs.
    double drawnSize() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    SpringAnimation* spring_;
    int target_ = 0;
};
