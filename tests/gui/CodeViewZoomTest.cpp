// Zoom of the real code view with Ctrl and the mouse wheel, fed with synthetic scroll events.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "ProgramDriver.h"
#include "viewer/Zoom.h"

namespace quillmate {
namespace {

// The size the code view shows for a zoom index: GTK keeps only whole points of an overridden
// font size (12290 Pango units become 12 points).
int ShownSize(int fontSize, int index) {
    return ZoomedFontSize(fontSize, index) / PANGO_SCALE * PANGO_SCALE;
}

// The real program showing a long code file.
class CodeViewZoomTest : public test::ProgramTest {
  protected:
    CodeViewZoomTest() {
        std::string code;
        for (int i = 0; i < 10; ++i) {
            code += test::ReadTestData("highlight/Sample.kx");
        }
        test::FillSmallLibrary(folder, {"CodeMarks=2"});
        folder.WriteFile("Buttons/Simple.kx", code);
        Launch();
        ShowRow(test::kSimpleRow);
        test::PumpFor(std::chrono::milliseconds(50));
    }
    void TearDown() override { EXPECT_TRUE(watcher.Seen().empty()); }

    Gtk::TextView& View() { return Main().Code().View(); }
    ZoomState& Zoom() { return app->records.zoom; }

    // A wheel event on the code text as the pointer delivers it. Returns whether the code view's
    // own handler used it; with `propagate` GTK handles it as a real event instead (an unused
    // event then scrolls the view).
    bool Wheel(GdkScrollDirection direction, bool control, double deltaY = 0.0, bool propagate = false) {
        GdkEvent* event = gdk_event_new(GDK_SCROLL);
        event->scroll.window = GDK_WINDOW(g_object_ref(View().get_window(Gtk::TEXT_WINDOW_TEXT)->gobj()));
        event->scroll.send_event = TRUE;
        event->scroll.time = GDK_CURRENT_TIME;
        event->scroll.x = 40;
        event->scroll.y = 40;
        event->scroll.direction = direction;
        event->scroll.state = control ? GDK_CONTROL_MASK : 0;
        event->scroll.delta_y = deltaY;
        GdkDevice* pointer = gdk_seat_get_pointer(gdk_display_get_default_seat(gdk_display_get_default()));
        gdk_event_set_device(event, pointer);
        gdk_event_set_source_device(event, pointer);
        bool used = false;
        if (propagate) {
            gtk_main_do_event(event);
        } else {
            used = View().event(event);
        }
        gdk_event_free(event);
        return used;
    }

    // Font size of the code view in Pango units, once the style has caught up with `expected`.
    int FontSize(int expected) {
        const auto size = [&] { return View().get_pango_context()->get_font_description().get_size(); };
        test::PumpUntil([&] { return size() == expected; }, std::chrono::seconds(2));
        return size();
    }

    double ScrollPosition() { return View().get_vadjustment()->get_value(); }
};

TEST_F(CodeViewZoomTest, CtrlWheelUpFourTimesReachesTheLargestStepAndStops) {
    const std::vector<int> expected = {4, 5, 6, 7, 7, 7};
    for (const int index : expected) {
        EXPECT_TRUE(Wheel(GDK_SCROLL_UP, true));
        EXPECT_EQ(Zoom().current, index);
        EXPECT_EQ(FontSize(ShownSize(10, index)), ShownSize(10, index));
    }
    EXPECT_EQ(FontSize(20480), 20480);  // twice the size of 10 points
    EXPECT_EQ(ScrollPosition(), 0.0);
}

TEST_F(CodeViewZoomTest, CtrlWheelDownStopsAtTheSmallestStep) {
    for (const int index : {2, 1, 0, 0}) {
        EXPECT_TRUE(Wheel(GDK_SCROLL_DOWN, true));
        EXPECT_EQ(Zoom().current, index);
    }
    EXPECT_EQ(FontSize(ShownSize(10, 0)), 5 * PANGO_SCALE);
}

TEST_F(CodeViewZoomTest, WholeSmoothStepsZoomAndFractionalOnesDoNothing) {
    EXPECT_TRUE(Wheel(GDK_SCROLL_SMOOTH, true, -1.0));
    EXPECT_EQ(Zoom().current, 4);
    EXPECT_EQ(FontSize(ShownSize(10, 4)), 12 * PANGO_SCALE);
    for (const double delta : {0.35, -0.5, 1.5, -2.0}) {
        EXPECT_TRUE(Wheel(GDK_SCROLL_SMOOTH, true, delta)) << delta;
        Wheel(GDK_SCROLL_SMOOTH, true, delta, true);
        EXPECT_EQ(Zoom().current, 4) << delta;
    }
    test::PumpFor(std::chrono::milliseconds(100));
    EXPECT_EQ(FontSize(ShownSize(10, 4)), 12 * PANGO_SCALE);
    EXPECT_EQ(ScrollPosition(), 0.0);
    // Once the mouse has sent smooth deltas, its discrete wheel events no longer zoom.
    EXPECT_TRUE(Wheel(GDK_SCROLL_UP, true));
    EXPECT_EQ(Zoom().current, 4);
    EXPECT_TRUE(Wheel(GDK_SCROLL_SMOOTH, true, 1.0));
    EXPECT_EQ(Zoom().current, 3);
}

TEST_F(CodeViewZoomTest, WithoutCtrlTheWheelScrollsTheCode) {
    EXPECT_FALSE(Wheel(GDK_SCROLL_DOWN, false));
    Wheel(GDK_SCROLL_DOWN, false, 0.0, true);
    EXPECT_TRUE(test::PumpUntil([&] { return ScrollPosition() > 0.0; }, std::chrono::seconds(2)));
    EXPECT_EQ(Zoom().current, 3);
    EXPECT_EQ(Zoom().lastApplied, -1);
}

TEST_F(CodeViewZoomTest, ZoomFollowsTheFontSizeSetting) {
    app->records.preferences.fontSize = 12;
    EXPECT_TRUE(Wheel(GDK_SCROLL_UP, true));
    EXPECT_EQ(FontSize(ShownSize(12, 4)), 14 * PANGO_SCALE);
}

TEST_F(CodeViewZoomTest, SavedStepComesBackAtTheNextStart) {
    Wheel(GDK_SCROLL_UP, true);
    Wheel(GDK_SCROLL_UP, true);
    OpenSettings();
    Click(Settings().SaveButton());
    EXPECT_NE(folder.ReadFile("QuillmateViewer.ini").find("Zoom=5\n"), std::string::npos);
    app.reset();
    Launch();
    EXPECT_EQ(Zoom().current, 5);
    EXPECT_EQ(FontSize(ShownSize(10, 5)), ShownSize(10, 5));
}

// "beep" found first on the search path: a script that notes its arguments.
class BeepRecorder {
  public:
    explicit BeepRecorder(const test::TempProgramFolder& folder)
        : m_log(folder.Path() + "beep.log"), m_oldPath(std::getenv("PATH") ? std::getenv("PATH") : "") {
        folder.WriteFile("bin/beep", "#!/bin/sh\necho \"$*\" >> '" + m_log + "'\n");
        ::chmod((folder.Path() + "bin/beep").c_str(), 0755);
        ::setenv("PATH", (folder.Path() + "bin:" + m_oldPath).c_str(), 1);
    }
    ~BeepRecorder() { ::setenv("PATH", m_oldPath.c_str(), 1); }
    BeepRecorder(const BeepRecorder&) = delete;
    BeepRecorder& operator=(const BeepRecorder&) = delete;

    // The argument lines of the beeps so far, after waiting until `count` have come.
    std::vector<std::string> Calls(std::size_t count) {
        std::vector<std::string> lines;
        test::PumpUntil(
            [&] {
                lines.clear();
                std::ifstream in(m_log);
                for (std::string line; std::getline(in, line);) {
                    lines.push_back(line);
                }
                return lines.size() >= count;
            },
            std::chrono::seconds(3));
        return lines;
    }

  private:
    std::string m_log;
    std::string m_oldPath;
};

TEST_F(CodeViewZoomTest, BackAtFullSizeTheBeepSounds) {
    BeepRecorder beep(folder);
    Wheel(GDK_SCROLL_DOWN, true);  // 100 % to smaller: no beep
    test::PumpFor(std::chrono::milliseconds(300));
    EXPECT_TRUE(beep.Calls(0).empty());
    Wheel(GDK_SCROLL_UP, true);  // back from below
    EXPECT_EQ(beep.Calls(1), (std::vector<std::string>{"-f 100 -l 20"}));
    Wheel(GDK_SCROLL_UP, true);
    Wheel(GDK_SCROLL_DOWN, true);  // back from above
    EXPECT_EQ(beep.Calls(2), (std::vector<std::string>{"-f 100 -l 20", "-f 100 -l 20"}));
    EXPECT_EQ(FontSize(10240), 10240);
}

}  // namespace
}  // namespace quillmate
