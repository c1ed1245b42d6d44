#pragma once

#include <QAbstractAnimation>

// A value that follows its target as a damped spring of unit mass would: a new target while
// it moves keeps its present speed. Qt's animation timer drives it; it stops once at rest.
class SpringAnimation : public QAbstractAnimation {
    Q_OBJECT
public:
    struct Spring {
        // Seconds of one undamped oscillation.
        double response = 0.16;
        // Below 1: it overshoots a little and settles.
        double dampingFraction = 0.85;
    };

    explicit SpringAnimation(Spring spring, QObject* parent = nullptr);

    double value() const { return value_; }
    double target() const { return target_; }
    // At rest at value, at once.
    void jumpTo(double value);
    // Moves towards target from where it is, at its present speed.
    void setTarget(double target);

    int duration() const override { return -1; }

Q_SIGNALS:
    void valueChanged(double value);

protected:
    void updateCurrentTime(int currentTime) override;

private:
    Spring spring_;
    double target_ = 0;
    double value_ = 0;
    double velocity_ = 0;
    // The offset from the target and the velocity when the target last changed, and when.
    double startOffset_ = 0;
    double startVelocity_ = 0;
    int startTime_ = 0;
};
