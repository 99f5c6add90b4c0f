#include "app/Effects.h"

#include <gtkmm/cssprovider.h>
#include <gtkmm/main.h>
#include <gtkmm/stylecontext.h>
#include <gtkmm/window.h>

#include <atomic>
#include <chrono>
#include <future>
#include <optional>
#include <thread>

#include "app/ErrorTrap.h"

namespace quillmate {
namespace {

constexpr auto kFlashTime = std::chrono::milliseconds(200);
constexpr auto kShakeStepTime = std::chrono::milliseconds(80);

// A redraw comes within a frame or two; a long text that a view lays out in the background is
// not waited for.
constexpr auto kRefreshBudget = std::chrono::milliseconds(100);

// A background colour laid over the widget's theme while the object lives.
class BackgroundOverride {
  public:
    BackgroundOverride(Gtk::Widget& widget, const std::string& colour)
        : m_widget(widget), m_css(Gtk::CssProvider::create()) {
        m_css->load_from_data("* { background-color: " + colour + "; background-image: none; }");
        m_widget.get_style_context()->add_provider(m_css, GTK_STYLE_PROVIDER_PRIORITY_APPLICATION + 1);
        RefreshWidget(m_widget);
    }
    ~BackgroundOverride() {
        m_widget.get_style_context()->remove_provider(m_css);
        m_widget.queue_draw();
    }
    BackgroundOverride(const BackgroundOverride&) = delete;
    BackgroundOverride& operator=(const BackgroundOverride&) = delete;

  private:
    Gtk::Widget& m_widget;
    Glib::RefPtr<Gtk::CssProvider> m_css;
};

void ShakeSteps(Gtk::Window& window, int x, int y, int amplitude) {
    for (int i = 0; i < 2; ++i) {
        for (const int offset : {amplitude, -amplitude}) {
            window.move(x + offset, y);
            gdk_display_flush(gdk_display_get_default());
            AnswerEvents(kRefreshBudget);
            std::this_thread::sleep_for(kShakeStepTime);
        }
    }
}

}  // namespace

void RefreshWidget(Gtk::Widget& widget) {
    widget.queue_draw();
    AnswerEvents(kRefreshBudget);
}

void AnswerEvents(std::chrono::milliseconds budget, const std::function<bool()>& enough) {
    const auto end = std::chrono::steady_clock::now() + budget;
    while (Gtk::Main::events_pending() && std::chrono::steady_clock::now() < end && !(enough && enough())) {
        Gtk::Main::iteration(false);
    }
}

WorkEnd RunAnswering(const std::function<void(std::stop_token)>& work, const std::function<bool()>& overtaken,
                     std::chrono::milliseconds quietWait) {
    std::atomic<bool> failed = false;
    const auto guarded = [&](std::stop_token stop) {
        try {
            work(std::move(stop));
        } catch (...) {
            failed = true;
        }
    };
    const auto ended = [&] { return failed ? WorkEnd::Failed : WorkEnd::Finished; };
    std::atomic<bool> done = false;
    std::promise<void> finished;
    std::future<void> finishing = finished.get_future();
    std::optional<std::jthread> worker;
    try {
        worker.emplace([&](std::stop_token stop) {
            try {
                const ThreadSignalStack signalStack;
                guarded(std::move(stop));
            } catch (...) {
                failed = true;  // no memory for the signal stack
            }
            done = true;
            finished.set_value();
            g_main_context_wakeup(nullptr);  // the loop below may be waiting for an event
        });
    } catch (const std::exception&) {
        guarded(std::stop_token());
        return ended();
    }
    // Short work is waited for: no event comes between, and the view lays the text out once.
    if (finishing.wait_for(quietWait) == std::future_status::ready) {
        return ended();
    }
    while (!done) {
        if (overtaken()) {
            worker->request_stop();
            return WorkEnd::Stopped;  // joins the worker
        }
        Gtk::Main::iteration(true);
    }
    return overtaken() ? WorkEnd::Stopped : ended();
}

void FlashWidget(Gtk::Widget& widget, const std::string& colour) {
    const BackgroundOverride flash(widget, colour);
    std::this_thread::sleep_for(kFlashTime);
}

void ShakeWindow(Gtk::Window& window, int amplitude) {
    int x = 0;
    int y = 0;
    window.get_position(x, y);
    ShakeSteps(window, x, y, amplitude);
    window.move(x, y);
}

void FlashAndShake(Gtk::Window& window, Gtk::Widget& widget, const std::string& colour, int amplitude) {
    int x = 0;
    int y = 0;
    window.get_position(x, y);
    {
        const BackgroundOverride flash(widget, colour);
        ShakeSteps(window, x, y, amplitude);
    }
    window.move(x, y);
}

}  // namespace quillmate
