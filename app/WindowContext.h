// What a window is built from: the queue its handlers post to, the pictures, fonts and colours it
// shows with, and the registry its language-dependent texts go into. A test can build any window
// from one of these without the whole start-up.
#pragma once

#include <gdkmm/rgba.h>
#include <pangomm/fontdescription.h>

#include "base/EventQueue.h"
#include "resources/PictureLoader.h"
#include "settings/TextKeys.h"
#include "viewer/Palette.h"

namespace quillmate {

struct WindowContext {
    EventQueue& queue;
    const PictureBook& pictures;
    const Pango::FontDescription& codeFont;
    const Pango::FontDescription& headingFont;
    const Gdk::RGBA& transparent;
    const Palette& palette;
    TextTargetRegistry& textTargets;
};

}  // namespace quillmate
