// Zoom of the code view with Ctrl and the mouse wheel: eight scale steps around 100 %.
#pragma once

#include <array>

namespace quillmate {

inline constexpr std::array<double, 8> kZoomScales = {0.5787, 0.6444, 0.8333, 1.0, 1.2, 1.44, 1.728, 2.0};
inline constexpr int kNormalZoomIndex = 3;

enum class WheelDirection { Up, Down, Left, Right, Smooth };

struct ZoomState {
    int current = kNormalZoomIndex;
    int lastApplied = -1;  // so that the first zoom gesture always applies
    bool smoothScrolling = false;
};

struct WheelEvent {
    WheelDirection direction = WheelDirection::Up;
    bool hasDeltas = false;  // a smooth event that yields scroll deltas
    double deltaY = 0.0;
    bool control = false;
};

struct ZoomDecision {
    bool consumed = false;  // true: the view must not scroll
    bool apply = false;     // true: set the font for `state.current`
};

// One wheel event on the code view.
ZoomDecision HandleZoomWheel(ZoomState& state, const WheelEvent& event);

// The zoom index after a key: one step in (`step` 1) or out (-1) along the scales, staying at
// either end; `step` 0 goes back to 100 %.
int ZoomIndexAfterKey(int current, int step);

// Font size in Pango units for the "FontSize" preference at a zoom index.
int ZoomedFontSize(int fontSize, int index);

}  // namespace quillmate
