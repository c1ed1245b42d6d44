#include <gtest/gtest.h>

#include <QWidget>

#include "support/VirtualAnimationTime.h"
#include "theme/SampleLetter.h"
#include "theme/SpringAnimation.h"

// The text-size sample letter springs to a new size: response 0.16 s, damping fraction 0.85.
TEST(SampleLetter, ANewSizeSpringsIntoPlaceAndTheFirstShowsAtOnce) {
    VirtualAnimationTime animations;
    QWidget window;
    auto* letter = new SampleLetter(&window);
    letter->setTarget(13);
    window.show();
    EXPECT_EQ(letter->drawnSize(), 13);

    letter->setTarget(20);
    EXPECT_EQ(letter->drawnSize(), 13);
    // Milliseconds since the change, the size drawn: x(t) of the damped spring, a little over
    // the target at 160 ms.
    const std::pair<int, double> curve[] = {
        {16, 13.9675}, {48, 17.3238}, {96, 19.6951}, {160, 20.0421}};
    int elapsed = 0;
    for (const auto& [at, size] : curve) {
        animations.advance(at - elapsed);
        elapsed = at;
        EXPECT_NEAR(letter->drawnSize(), size, 1e-3) << at;
    }
    animations.advance(600);
    EXPECT_EQ(letter->drawnSize(), 20);
    auto* spring = letter->findChild<SpringAnimation*>("sampleLetterSpring");
    ASSERT_NE(spring, nullptr);
    EXPECT_EQ(spring->state(), QAbstractAnimation::Stopped);

    // Turned back while it shrinks, it keeps its speed: smaller still a moment later.
    letter->setTarget(13);
    animations.advance(48);
    const double turned = letter->drawnSize();
    EXPECT_NEAR(turned, 15.6762, 1e-3);
    letter->setTarget(20);
    animations.advance(16);
    EXPECT_NEAR(letter->drawnSize(), 15.4629, 1e-3);
    animations.advance(600);
    EXPECT_EQ(letter->drawnSize(), 20);

    // Hidden, a new size shows at once.
    window.hide();
    letter->setTarget(17);
    EXPECT_EQ(letter->drawnSize(), 17);
}
