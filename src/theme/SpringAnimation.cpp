#include "theme/SpringAnimation.h"

#include <cmath>
#include <numbers>

namespace {

// Closer than this to the target, and slower than this per second, it is at rest.
constexpr double kRestOffset = 1e-3;
constexpr double kRestSpeed = 1e-2;

}  // namespace

SpringAnimation::SpringAnimation(Spring spring, QObject* parent)
    : QAbstractAnimation(parent), spring_(spring) {}

void SpringAnimation::jumpTo(double value) {
    stop();
    target_ = value;
    value_ = value;
    velocity_ = 0;
    Q_EMIT valueChanged(value_);
}

void SpringAnimation::setTarget(double target) {
    if (target == target_) {
        return;
    }
    target_ = target;
    startOffset_ = value_ - target_;
    startVelocity_ = velocity_;
    if (state() == Running) {
        startTime_ = currentTime();
    } else {
        startTime_ = 0;
        start();
    }
}

void SpringAnimation::updateCurrentTime(int currentTime) {
    // The underdamped oscillator x'' = -w0^2 x - 2 z w0 x' from the offset and velocity the
    // last target change left.
    const double t = (currentTime - startTime_) / 1000.0;
    const double w0 = 2 * std::numbers::pi / spring_.response;
    const double decay = spring_.dampingFraction * w0;
    const double wd = w0 * std::sqrt(1 - spring_.dampingFraction * spring_.dampingFraction);
    const double x0 = startOffset_;
    const double v0 = startVelocity_;
    const double envelope = std::exp(-decay * t);
    const double c = std::cos(wd * t);
    const double s = std::sin(wd * t);
    const double offset = envelope * (x0 * c + (v0 + decay * x0) / wd * s);
    velocity_ = envelope * (v0 * c - (decay * v0 + w0 * w0 * x0) / wd * s);
    value_ = target_ + offset;
    if (std::abs(offset) < kRestOffset && std::abs(velocity_) < kRestSpeed) {
        value_ = target_;
        velocity_ = 0;
        Q_EMIT valueChanged(value_);
        stop();
        return;
    }
    Q_EMIT valueChanged(value_);
}
