// The three opening scenes one after the other, as the driver runs them:
// the GL state each leaves for the next, and the shipped data.
#include "scenes/CreditsScene.h"
#include "scenes/StarTunnelScene.h"
#include "scenes/TurntableScene.h"

#include "OpeningSupport.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

using namespace opening;

namespace {

// Background points of the credits (left edge, middle height) and of the
// star tunnel (above the middle) that nothing drawn in these tests covers.
const ScreenPoint kCreditsBackground{30, 300};
const ScreenPoint kTunnelBackground{400, 150};

}  // namespace

TEST(OpeningSequence, EachSceneFirstClearsWithTheColourThePreviousOneLeft) {
    IdentData data(testFolder("opening-sequence"));
    for (const char* file : {"big_circle.tga", "star.tga", "tia.tga", "flower.tga"}) makeTransparent(data, file);
    SceneRig rig(data.dir());
    TurntableScene turntable{SceneRig::clock()};
    CreditsScene credits{SceneRig::clock()};
    StarTunnelScene tunnel{SceneRig::clock()};
    rig.begin({&tunnel, &turntable, &credits});  // slot order

    rig.render(turntable, 18.95);
    EXPECT_EQ(clearColour(), (std::array<float, 4>{1.0f, 0.7f, 0.0f, 1.0f}));
    rig.setTime(19.05);  // the gap: nothing draws, nothing clears

    rig.render(credits, 19.15);
    rig.read();
    EXPECT_EQ(rig.pixel(kCreditsBackground.x, kCreditsBackground.y), kOrange);
    rig.render(credits, 19.2);
    rig.read();
    EXPECT_EQ(rig.pixel(kCreditsBackground.x, kCreditsBackground.y), kYellowOrange);
    rig.render(credits, 35.95);
    EXPECT_FALSE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    rig.setTime(36.05);

    rig.render(tunnel, 36.15);
    rig.read();
    EXPECT_EQ(rig.pixel(kTunnelBackground.x, kTunnelBackground.y), kYellowOrange);
    rig.render(tunnel, 36.2);
    rig.read();
    EXPECT_EQ(rig.pixel(kTunnelBackground.x, kTunnelBackground.y), kOrange);
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
}

TEST(OpeningSequence, ShippedDataLoadsWithoutAMessage) {
    SceneRig rig(GLOWMOTION_DATA_DIR);
    TurntableScene turntable{SceneRig::clock()};
    CreditsScene credits{SceneRig::clock()};
    StarTunnelScene tunnel{SceneRig::clock()};
    testing::internal::CaptureStdout();
    rig.begin({&tunnel, &turntable, &credits});
    std::fflush(stdout);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    // And they draw: the turntable covers its orange clear everywhere.
    rig.render(turntable, 9.0);
    rig.render(turntable, 9.05);
    rig.read();
    EXPECT_LT(rig.count(kOrange, 0), 800 * 600 / 100);
}
