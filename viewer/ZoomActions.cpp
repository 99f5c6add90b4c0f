#include "viewer/ZoomActions.h"

#include <gtkmm/widget.h>

#include "app/Application.h"
#include "viewer/Zoom.h"

namespace quillmate {
namespace {

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
    const ZoomDecision decision = HandleZoomWheel(app.records.zoom, wheel);
    if (decision.apply) {
        ApplyZoom(app, widget, app.records.zoom.current);
    }
    return decision.consumed;
}

void ApplyZoom(Application& app, Gtk::Widget& widget, int index) {
    Pango::FontDescription font = app.ui.codeFont;
    font.set_size(ZoomedFontSize(app.records.preferences.fontSize, index));
    widget.override_font(font);
    if (index == kNormalZoomIndex) {
        app.services.starter.Start("beep", "-f 100 -l 20", "");
    }
    widget.queue_draw();
}

void ZoomByKey(Application& app, Gtk::Widget& widget, int step) {
    const int index = ZoomIndexAfterKey(app.records.zoom.current, step);
    if (index != app.records.zoom.current || index != app.records.zoom.lastApplied) {
        app.records.zoom.current = index;
        app.records.zoom.lastApplied = index;
        ApplyZoom(app, widget, index);
    }
}

}  // namespace quillmate
