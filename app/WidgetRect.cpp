#include "app/WidgetRect.h"

#include <algorithm>
#include <cmath>

namespace quillmate {

double TextScale(double resolution) {
    constexpr double kDesignedResolution = 96.0;
    return std::max(1.0, resolution / kDesignedResolution);
}

int ScaleLength(int length, double factor) {
    return static_cast<int>(std::lround(length * factor));
}

WidgetRect ScaleRect(const WidgetRect& rect, double factor) {
    const int left = ScaleLength(rect.x, factor);
    const int top = ScaleLength(rect.y, factor);
    return {left, top, ScaleLength(rect.x + rect.width, factor) - left,
            ScaleLength(rect.y + rect.height, factor) - top};
}

}  // namespace quillmate
