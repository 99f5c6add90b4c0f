// Position and size of a widget in its window, in pixels.
#pragma once

namespace quillmate {

struct WidgetRect {
    int x;
    int y;
    int width;
    int height;
};

}  // namespace quillmate
