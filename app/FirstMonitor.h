// The first monitor, the one the program's windows are kept on, and whether the program may
// place its windows at all.
#pragma once

#include "settings/Preferences.h"

namespace quillmate {

// The first monitor's rectangle; all zero when there is none.
MonitorArea FirstMonitor();

// True where the compositor places the windows (Wayland): a window's position can be neither set
// nor read there.
bool CompositorPlacesWindows();

}  // namespace quillmate
