#include "viewer/Zoom.h"

#include <algorithm>
#include <cmath>

namespace quillmate {

ZoomDecision HandleZoomWheel(ZoomState& state, const WheelEvent& event) {
    double dy = 0.0;
    if (event.direction == WheelDirection::Smooth && event.hasDeltas) {
        state.smoothScrolling = true;
        dy = event.deltaY;
    }
    if (!event.control) {
        return {};
    }
    const int last = static_cast<int>(kZoomScales.size()) - 1;
    if ((event.direction == WheelDirection::Down && !state.smoothScrolling) || dy == 1.0) {
        state.current = std::max(state.current - 1, 0);
    } else if ((event.direction == WheelDirection::Up && !state.smoothScrolling) || dy == -1.0) {
        state.current = std::min(state.current + 1, last);
    }
    const bool apply = state.current != state.lastApplied;
    state.lastApplied = state.current;
    return {true, apply};
}

int ZoomedFontSize(int fontSize, int index) {
    const auto step = static_cast<size_t>(std::clamp(index, 0, static_cast<int>(kZoomScales.size()) - 1));
    return fontSize * static_cast<int>(std::lround(kZoomScales[step] * 1024.0));
}

int ZoomIndexAfterKey(int current, int step) {
    if (step == 0) {
        return kNormalZoomIndex;
    }
    return std::clamp(current + step, 0, static_cast<int>(kZoomScales.size()) - 1);
}

}  // namespace quillmate
