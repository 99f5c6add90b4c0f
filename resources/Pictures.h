// The program's built-in pictures: PNG data carried inside the executable.
#pragma once

#include <algorithm>
#include <span>

namespace quillmate {

enum class Picture {
    AppIcon,           // 48 x 48 application icon
    Admin,             // admin button
    Collapsed,         // expand toggle while the tree is collapsed
    Expanded,          // expand toggle while the tree is expanded
    Help,              // help button
    Info,              // info button
    Settings,          // settings button
    Copy,              // quick-copy button
    NewEntryMark,      // index rows of new entries
    ChangedEntryMark,  // index rows of changed entries
    Folder,            // database window: library
    Statistics,        // database window: theme and entry counts
    CodeFormat,        // database window: code format
    FlagGerman,
    FlagBritish,
    FlagFrench,
};

// Every picture is drawn at its size and at twice its size, for screens of scale factor 2.
inline constexpr int kLargestPictureScale = 2;

// The scale of the drawing that stays sharp on a widget of scale factor `widgetScale`: the drawing
// of that scale, the largest one on a screen of a still larger scale (drawn larger, it is the least
// blurred), and the plain one for a factor below 1.
constexpr int PictureScaleFor(int widgetScale) {
    return std::clamp(widgetScale, 1, kLargestPictureScale);
}

// The PNG bytes of the picture drawn at `scale` (2: at twice its size; any other value: at its
// size); they live as long as the program.
std::span<const unsigned char> PictureData(Picture picture, int scale = 1);

}  // namespace quillmate
