// Switching the program's language: the index tree and descriptions in the database's language,
// and the widget texts and tooltips from the language file.
#pragma once

#include "base/EventQueue.h"

namespace quillmate {

class Application;

// Switches to the language chooser's row when it differs from the "Language" setting: rebuilds
// the tree in that language with every node expanded and, unless `indexOnly`, writes every
// registered widget text from the language file. A text the file lacks is the widget's built-in
// German one. A missing language file is reported once per run.
void ApplyLanguage(Application& app, bool indexOnly);

// The main window's language keys (F6, Alt+G, Alt+D, Alt+E, Alt+F): set the language chooser
// and switch the index language; the widget texts stay.
void SwitchIndexLanguage(Application& app, Command command);

// Registers the main window's tooltips and the info menu's entries as language targets.
void RegisterMainWindowTexts(Application& app);

}  // namespace quillmate
