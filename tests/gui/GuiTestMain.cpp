// Entry point of the GUI tests: GTK is initialised once per test process (CTest runs each test
// in a process of its own); exit tests re-run the binary for their child, the error trap for
// its report.
#include <gtest/gtest.h>
#include <gtk/gtk.h>
#include <gtkmm/main.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "GuiHarness.h"
#include "app/ErrorTrap.h"
#include "app/StartUp.h"

int main(int argc, char** argv) {
    // A fault test's report process: this binary started again by the error trap shows the real
    // report box, which a watcher answers and echoes into the faulted test's output.
    if (const auto fault = quillmate::HandedOverFault()) {
        if (!gtk_init_check(&argc, &argv)) {
            return 1;
        }
        Gtk::Main::init_gtkmm_internals();
        quillmate::test::DialogWatcher watcher(true);
        quillmate::ReportProgramError(*fault);
        return 0;
    }
    ::testing::InitGoogleTest(&argc, argv);
    // Settings changed by the tests stay in memory instead of reaching the user's dconf.
    setenv("GSETTINGS_BACKEND", "memory", 0);
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    if (GTEST_FLAG_GET(list_tests)) {
        return RUN_ALL_TESTS();  // listing the tests needs no display
    }
    // A busy X server refuses a connection now and then for a moment (the socket's queue is
    // full): try again a few times before giving up.
    bool connected = false;
    for (int attempt = 0; attempt < 5 && !connected; ++attempt) {
        if (attempt > 0) {
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
        }
        connected = gtk_init_check(&argc, &argv);
    }
    if (!connected) {
        std::fprintf(stderr, "The GUI tests need a display; run them under xvfb-run -a.\n");
        return 1;
    }
    Gtk::Main::init_gtkmm_internals();
    return RUN_ALL_TESTS();
}
