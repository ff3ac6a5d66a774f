// The scene starts from the values a first-time user sees.
#include <gtest/gtest.h>

#include "render/scene_state.h"

TEST(SceneState, StartsWithTheCurtainWaveLitAndSpinning) {
    scene = SceneState{};
    EXPECT_EQ(scene.surfaceIndex, 0);
    EXPECT_EQ(scene.lightsOn, 1);
    EXPECT_EQ(scene.keepSpinning, 1);
    EXPECT_EQ(scene.trackballState, 0);
    EXPECT_FLOAT_EQ(scene.cameraDistance, 6.0f);
    EXPECT_EQ(scene.idleFunc, nullptr);
    for (int pos : scene.scrollPos) EXPECT_EQ(pos, 128);
}
