// The program's built-in pictures: PNG data carried inside the executable.
#pragma once

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

// The PNG bytes of the picture; they live as long as the program.
std::span<const unsigned char> PictureData(Picture picture);

}  // namespace quillmate
