// Position and size of a widget in its window, in pixels, and how the fixed places grow when the
// text is drawn larger.
#pragma once

namespace quillmate {

struct WidgetRect {
    int x;
    int y;
    int width;
    int height;

    bool operator==(const WidgetRect&) const = default;
};

// How much the fixed places grow with the text: the screen's font resolution (dots per inch)
// against the 96 they were designed at. Never below 1: a smaller text keeps the designed places.
// An unknown resolution (0 or less) counts as 96.
double TextScale(double resolution);

// `length` grown by `factor`, in whole pixels.
int ScaleLength(int length, double factor);

// `rect` grown by `factor`: each edge is scaled and rounded on its own, so that places that were
// apart stay apart or at most touch, and places that touched still touch without overlapping.
WidgetRect ScaleRect(const WidgetRect& rect, double factor);

}  // namespace quillmate
