#include "app/Zoom.h"

#include <gtest/gtest.h>

namespace quillmate {
namespace {

WheelEvent CtrlWheel(WheelDirection direction) {
    return WheelEvent{direction, false, 0.0, true};
}

WheelEvent CtrlSmooth(double dy) {
    return WheelEvent{WheelDirection::Smooth, true, dy, true};
}

TEST(ZoomTest, CtrlWheelUpFourTimesReachesTheLargestStepAndStops) {
    ZoomState state;
    std::vector<bool> applied;
    for (int i = 0; i < 6; ++i) {
        const ZoomDecision decision = HandleZoomWheel(state, CtrlWheel(WheelDirection::Up));
        EXPECT_TRUE(decision.consumed);
        applied.push_back(decision.apply);
    }
    EXPECT_EQ(state.current, 7);
    EXPECT_EQ(applied, (std::vector<bool>{true, true, true, true, false, false}));
}

TEST(ZoomTest, WithoutCtrlTheViewScrolls) {
    ZoomState state;
    const ZoomDecision decision = HandleZoomWheel(state, WheelEvent{WheelDirection::Down, false, 0.0, false});
    EXPECT_FALSE(decision.consumed);
    EXPECT_EQ(state.current, 3);
}

TEST(ZoomTest, SmoothDeltasZoomOnlyAtExactlyOneStep) {
    ZoomState state;
    EXPECT_TRUE(HandleZoomWheel(state, CtrlSmooth(-1.0)).apply);
    EXPECT_EQ(state.current, 4);
    // Fractional deltas with Ctrl neither zoom nor scroll.
    const ZoomDecision fractional = HandleZoomWheel(state, CtrlSmooth(0.35));
    EXPECT_TRUE(fractional.consumed);
    EXPECT_FALSE(fractional.apply);
    EXPECT_EQ(state.current, 4);
    // Once smooth events were seen, discrete wheel directions no longer zoom.
    HandleZoomWheel(state, CtrlWheel(WheelDirection::Up));
    EXPECT_EQ(state.current, 4);
    HandleZoomWheel(state, CtrlSmooth(1.0));
    EXPECT_EQ(state.current, 3);
}

TEST(ZoomTest, FontSizeInPangoUnits) {
    EXPECT_EQ(ZoomedFontSize(10, 4), 12290);
    EXPECT_EQ(ZoomedFontSize(10, 3), 10240);
    EXPECT_EQ(ZoomedFontSize(12, 0), 12 * 593);
}

}  // namespace
}  // namespace quillmate
