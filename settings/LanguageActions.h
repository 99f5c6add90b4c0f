// Switching the program's language: the index tree and descriptions in the database's language,
// and the widget texts and tooltips from the language file.
#pragma once

#include "base/EventQueue.h"

namespace quillmate {

class Application;

// Switches the language of the index and the descriptions (the "Language" setting) to
// `language` when it differs, and shows it in the dialog's language box: rebuilds the tree in
// that language with every node expanded, keeps the entry shown (its row selected, its
// description in the new language, its code as it is) or a dropped file, and with neither
// shown selects the head row; and, unless `indexOnly`, writes every registered widget text from the language
// file. A text the file lacks is the widget's built-in German one. A missing language file is reported once
// per run.
void ApplyLanguage(Application& app, int language, bool indexOnly);

// The main window's language keys (F6, Alt+G, Alt+D, Alt+E, Alt+F): switch the index language;
// the widget texts stay.
void SwitchIndexLanguage(Application& app, Command command);

// Registers the main window's tooltips and the info menu's entries as language targets.
void RegisterMainWindowTexts(Application& app);

}  // namespace quillmate
