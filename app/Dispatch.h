// Dispatch of program events by window, event kind and widget or command to their handlers.
#pragma once

#include "base/EventQueue.h"

namespace quillmate {

class Application;

void Dispatch(Application& app, const ProgramEvent& event);

}  // namespace quillmate
