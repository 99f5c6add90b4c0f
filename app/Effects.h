// Feedback effects: a short colour flash of a widget, a horizontal shake of a window, and the
// redraw that keeps the window alive during long work.
#pragma once

#include <gdk/gdk.h>

#include <chrono>
#include <functional>
#include <stop_token>
#include <string>

namespace Gtk {
class Widget;
class Window;
}  // namespace Gtk

namespace quillmate {

// Queues a redraw of the widget, then processes the pending GUI events, taking no more after
// 100 ms.
void RefreshWidget(Gtk::Widget& widget);
// Processes the GUI events that are pending, taking no more once `budget` has passed or `enough`
// turns true: the window answers and draws, while work that is never done at once (a text view
// laying out a long text) is left for later.
inline constexpr std::chrono::milliseconds kAnswerBudget{20};
void AnswerEvents(std::chrono::milliseconds budget = kAnswerBudget,
                  const std::function<bool()>& enough = nullptr);
// Colours the widget's background for 200 ms.
void FlashWidget(Gtk::Widget& widget, const std::string& colour);
// Moves the window left and right twice around its position (about 320 ms, longer while the
// window has much to draw).
void ShakeWindow(Gtk::Window& window, int amplitude);
// How work on a second thread ended.
enum class WorkEnd {
    Finished,
    Failed,   // it threw: none of its results count
    Stopped,  // overtaken: a stop was requested, and the work has ended
};
// Runs `work` on a second thread while this one goes on handling GUI events, so that the window
// answers during long work; work that ends within `quietWait` is simply waited for. When
// `overtaken` turns true meanwhile (checked after each event), a stop is requested from `work`,
// which should then end within milliseconds. No exception leaves the work: one ends it as
// Failed. When no thread can be started the work runs here, and the window waits. The second
// thread has an alternate signal stack of its own, so that the error trap reports a fault there.
// Either way `work` has ended when this returns.
inline constexpr std::chrono::milliseconds kQuietWait{50};  // well within a frame the user notices
WorkEnd RunAnswering(const std::function<void(std::stop_token)>& work, const std::function<bool()>& overtaken,
                     std::chrono::milliseconds quietWait = kQuietWait);
void FlashAndShake(Gtk::Window& window, Gtk::Widget& widget, const std::string& colour, int amplitude);

}  // namespace quillmate
