#include "app/Effects.h"

#include <gtkmm/cssprovider.h>
#include <gtkmm/main.h>
#include <gtkmm/stylecontext.h>
#include <gtkmm/window.h>

#include <chrono>
#include <thread>

#include "app/Application.h"
#include "app/Zoom.h"

namespace quillmate {
namespace {

constexpr auto kFlashTime = std::chrono::milliseconds(200);
constexpr auto kShakeStepTime = std::chrono::milliseconds(80);

void ProcessPendingEvents() {
    while (Gtk::Main::events_pending()) {
        Gtk::Main::iteration(true);
    }
}

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
            ProcessPendingEvents();
            std::this_thread::sleep_for(kShakeStepTime);
        }
    }
}

WheelDirection DirectionOf(GdkScrollDirection direction) {
    switch (direction) {
        case GDK_SCROLL_UP:
            return WheelDirection::Up;
        case GDK_SCROLL_DOWN:
            return WheelDirection::Down;
        case GDK_SCROLL_LEFT:
            return WheelDirection::Left;
        case GDK_SCROLL_RIGHT:
            return WheelDirection::Right;
        default:
            return WheelDirection::Smooth;
    }
}

}  // namespace

void RefreshWidget(Gtk::Widget& widget) {
    widget.queue_draw();
    ProcessPendingEvents();
}

bool CodeViewScrolled(Application& app, Gtk::Widget& widget, const GdkEventScroll* event) {
    if (event == nullptr || event->type != GDK_SCROLL) {
        return false;
    }
    WheelEvent wheel;
    wheel.direction = DirectionOf(event->direction);
    double dx = 0.0;
    double dy = 0.0;
    wheel.hasDeltas =
        gdk_event_get_scroll_deltas(reinterpret_cast<const GdkEvent*>(event), &dx, &dy) != FALSE;
    wheel.deltaY = dy;
    wheel.control = (event->state & GDK_CONTROL_MASK) != 0;
    const ZoomDecision decision = HandleZoomWheel(app.zoom, wheel);
    if (decision.apply) {
        ApplyZoom(app, widget, app.zoom.current);
    }
    return decision.consumed;
}

void ApplyZoom(Application& app, Gtk::Widget& widget, int index) {
    Pango::FontDescription font = app.codeFont;
    font.set_size(ZoomedFontSize(app.preferences.fontSize, index));
    widget.override_font(font);
    if (index == kNormalZoomIndex) {
        app.starter.Start("beep", "-f 100 -l 20", "");
    }
    widget.queue_draw();
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
