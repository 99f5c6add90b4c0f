// The first monitor, the one the program's windows are kept on.
#pragma once

#include "settings/Preferences.h"

namespace quillmate {

// The first monitor's rectangle; all zero when there is none.
MonitorArea FirstMonitor();

}  // namespace quillmate
