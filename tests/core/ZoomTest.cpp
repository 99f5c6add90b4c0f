#include "viewer/Zoom.h"

#include "app/History.h"

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

TEST(ZoomTest, KeysStepAlongTheScalesAndStayAtTheEnds) {
    const int last = static_cast<int>(kZoomScales.size()) - 1;
    const struct {
        int current;
        int step;
        int after;
    } cases[] = {{3, 1, 4}, {last, 1, last}, {0, -1, 0}, {5, 0, kNormalZoomIndex}, {1, -1, 0}};
    for (const auto& c : cases) {
        EXPECT_EQ(ZoomIndexAfterKey(c.current, c.step), c.after) << c.current << " " << c.step;
    }
}

// The lists go by file: a state text read back for a database that lost an entry, and one whose
// lines are no files, doubled or beyond the limits, keeps only the entries it still names.
TEST(HistoryStateTest, ListsComeBackByFileAndLeaveOutWhatTheDatabaseLost) {
    EntryList entries;
    for (const char* file : {"", "/a.kx", "/b.kx", "/c.kx", "/b.kx"}) {
        DbEntry entry;
        entry.file = file;
        entries.push_back(entry);
    }
    History history;
    for (const int row : {1, 2, 3}) {
        history.Add(row);
    }
    history.ToggleFavourite(4);  // the second entry of b: kept as b, read back as its first
    history.ToggleFavourite(1);
    const std::string state = history.StateText(entries);
    EntryList fewer = entries;
    fewer.Set(3, DbEntry{});  // c left the database
    History back;
    back.TakeState(state + "[History]\n/none.kx\n/a.kx\nno section line\n", fewer);
    EXPECT_EQ(back.Favourites(), (std::vector<int>{2, 1}));
    EXPECT_EQ(back.Entries(), (std::vector<int>{2, 1}));
    EXPECT_EQ(back.ListedRows(), (std::vector<int>{2, 1, -1, 2, 1}));
    back.TakeState("/a.kx\n[Favourites]\r\n/a.kx\r\n", entries);  // a file before any section counts not
    EXPECT_EQ(back.Favourites(), (std::vector<int>{1}));
    EXPECT_TRUE(back.Entries().empty());
}

}  // namespace
}  // namespace quillmate
