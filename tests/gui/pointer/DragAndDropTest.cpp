// Drag and drop with real pointer input: the X server delivers it as it delivers a user's
// hand, so a drag runs the whole protocol between the index tree and the code view. The pointer
// is shared by everything on the display, so these tests run alone.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>

#include "GuiHarness.h"
#include "ProgramDriver.h"
#include "app/MainWindow.h"

// Xlib's macros (None, True, False) would clash with names in the headers above: last.
#include <X11/extensions/XTest.h>
#include <gdk/gdkx.h>

namespace quillmate {
namespace {

using CodeViewTest = test::ProgramTest;

using test::CodeText;
using test::DescriptionText;
using test::Settle;

// Rows of the small library.
constexpr int kButtonsThemeRow = 3;
constexpr int kSimpleRow = 4;
constexpr int kLabelRow = 5;
constexpr int kMissingRow = 6;

class FakePointer {
  public:
    FakePointer() : m_display(gdk_x11_display_get_xdisplay(gdk_display_get_default())) {}

    void MoveTo(Application& app, int x, int y) {
        XTestFakeMotionEvent(m_display, -1, x, y, CurrentTime);
        XFlush(m_display);
        test::PumpFor(std::chrono::milliseconds(40));
        Settle(app, std::chrono::milliseconds(5));
    }
    void Button(Application& app, bool press) {
        XTestFakeButtonEvent(m_display, 1, press ? True : False, CurrentTime);
        XFlush(m_display);
        test::PumpFor(std::chrono::milliseconds(60));
        Settle(app, std::chrono::milliseconds(5));
    }

  private:
    Display* m_display;
};

struct ScreenPoint {
    int x;
    int y;
};

ScreenPoint RowOnScreen(Application& app, int row) {
    IndexTree& tree = app.ui.mainWindow->Tree();
    Gdk::Rectangle cell;
    tree.get_cell_area(tree.RowPath(row), tree.Column(), cell);
    int x = 0;
    int y = 0;
    tree.get_bin_window()->get_origin(x, y);
    return {x + cell.get_x() + 30, y + cell.get_y() + cell.get_height() / 2};
}

ScreenPoint CodeViewOnScreen(Application& app) {
    Gtk::TextView& view = app.ui.mainWindow->Code().View();
    int x = 0;
    int y = 0;
    view.get_window(Gtk::TEXT_WINDOW_TEXT)->get_origin(x, y);
    return {x + view.get_allocated_width() / 2, y + view.get_allocated_height() / 2};
}

// Presses on the row, moves to the code view in small steps and lets go there.
void DragRowOntoCodeView(Application& app, int row) {
    FakePointer pointer;
    const ScreenPoint from = RowOnScreen(app, row);
    const ScreenPoint to = CodeViewOnScreen(app);
    pointer.MoveTo(app, from.x, from.y);
    pointer.Button(app, true);
    Settle(app, std::chrono::milliseconds(20));
    constexpr int kSteps = 12;
    for (int i = 1; i <= kSteps; ++i) {
        pointer.MoveTo(app, from.x + (to.x - from.x) * i / kSteps, from.y + (to.y - from.y) * i / kSteps);
    }
    pointer.Button(app, false);
    Settle(app, std::chrono::milliseconds(300));
}

TEST_F(CodeViewTest, EntryDraggedOntoTheCodeViewIsShownAsExternalFile) {
    Start();
    DragRowOntoCodeView(*app, kLabelRow);
    EXPECT_EQ(CodeText(*app), "; Button with label\nText$ = \"Hello\"");
    EXPECT_EQ(DescriptionText(*app), "Extern file ...");
    EXPECT_EQ(app->ui.mainWindow->Tree().SelectedRow(), -1);
    EXPECT_EQ(app->ui.mainWindow->get_title(), "Quillmate ~ Label.kx");
    // The library file is still there: a drop never asks its source to delete anything.
    EXPECT_TRUE(std::filesystem::exists(folder.Path() + "Buttons/Label.kx"));
}

TEST_F(CodeViewTest, EntryWithoutCodeFileCannotBeDragged) {
    Start();
    int drags = 0;
    app->ui.mainWindow->Tree().signal_drag_begin().connect(
        [&drags](const Glib::RefPtr<Gdk::DragContext>&) { ++drags; });
    for (const int row : {kButtonsThemeRow, kMissingRow}) {
        SCOPED_TRACE(row);
        DragRowOntoCodeView(*app, row);
        EXPECT_EQ(drags, 0);
        EXPECT_EQ(app->ui.mainWindow->Tree().SelectedRow(), row);
        EXPECT_NE(DescriptionText(*app), "Extern file ...");
    }
    DragRowOntoCodeView(*app, kSimpleRow);
    EXPECT_EQ(drags, 1);
}

}  // namespace
}  // namespace quillmate
