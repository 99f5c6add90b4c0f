// The user-interface texts that a language switch replaces: the text keys in the order in which
// they are written, and the registry through which each window offers its widgets as targets.
#pragma once

#include <array>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/EventQueue.h"

namespace quillmate {

// Label texts (combo-box rows and menu entries included), written first.
inline constexpr std::array<std::string_view, 38> kLabelKeys = {
    "#Cnf_LabelHint",    "#Cnf_LabelLib",     "#Cnf_LabelTitle",  "#Cnf_SearchFailHint", "#Cnf_WinData2Pref",
    "#Cnf_DyeNews",      "#Cnf_DarkMode",     "#Cnf_LangLabel",   "#Cnf_LabelDB",        "#Cnf_Frame1",
    "#Cnf_Frame2",       "#DbA_LabelFile",    "#DbA_LabelEnt",    "#Cnf_LangFont",       "#Cnf_LabelMark",
    "#Cnf_Language",     "#Cnf_FontChoose",   "#DbA_LabelDb",     "#DbA_LabelSrcForm",   "#Cnf_SearchMode",
    "#DbA_LabelTop",     "#Cnf_CodeMarking",  "#Cnf_Paths2Pref",  "#DbA_LabelExeForm",   "#Cnf_FileNameLen",
    "#DbA_LabelLib",     "#DbA_LabelCont",    "#Cnf_LabelSearch", "#DbA_Frame1",         "#DbA_Frame2",
    "#Upt_LabelAppGtk2", "#Upt_LabelAppGtk3", "#Upt_LabelXml",    "#PuInf_OpnCode",      "#PuInf_AboutApp",
    "#PuInf_AboutDb",    "#PuInf_IsUpdate",   "#Cnf_LineNumbers",
};

// Tooltips, written after the labels; the language file holds them under "TT" + key.
inline constexpr std::array<std::string_view, 34> kTooltipKeys = {
    "#Cnf_Apply",      "#Cnf_FontChoose",     "#Main_Info",        "#Cnf_LibChoose",   "#Main_NodeToggle",
    "#Main_Find",      "#Main_Quickcopy",     "#Cnf_SearchMode",   "#DbA_ToDb",        "#Cnf_CodeMarking",
    "#Cnf_Paths2Pref", "#Cnf_FileNameLen",    "#Main_EdDescript",  "#Cnf_LibShow",     "#Main_CbHistory",
    "#Main_Help",      "#Cnf_SearchFailHint", "#Cnf_WinData2Pref", "#Cnf_DarkMode",    "#Cnf_DyeNews",
    "#Cnf_DbChoose",   "#Cnf_OkSave",         "#Cnf_Cancel",       "#Main_Setting",    "#DbA_CopyFile",
    "#Cnf_DbShow",     "#Cnf_Fontname",       "#Cnf_Language",     "#Cnf_LineNumbers", "#Main_Favourite",
    "#Find_Term",      "#Find_Previous",      "#Find_Next",        "#Find_Case",
};

// One widget text that the language file can replace. `builtIn` is the German text the widget
// was built with; it is written back when the language file has no text for the key.
struct TextTarget {
    std::string builtIn;
    std::function<void(const std::string& text)> set;
};

// Filled by each window when it is built; a key without a target is skipped by a switch.
struct TextTargetRegistry {
    std::map<std::string, TextTarget, std::less<>> labels;
    std::map<std::string, TextTarget, std::less<>> tooltips;
};

// The index language a language key leads to from `current` (0 German, 1 English, 2 French):
// F6 toggles German and English and does nothing from French or from no language, Alt+G and
// Alt+D give German, Alt+E English, Alt+F French; nothing for any other command.
std::optional<int> LanguageAfterKey(Command command, int current);

// What a widget shows of a language text: each TAB-separated part (a combo-box row) valid and
// cut after `limit` characters, so that a long row does not push out the rows after it, and no
// more parts than any combo box has rows: a label's layout costs with the square of its tabs.
inline constexpr std::size_t kLanguageTextParts = 8;
std::string ShownLanguageText(std::string_view text, std::size_t limit);

// The rows of a combo-box text: its entries separated by TAB characters. Rows beyond the given
// entries keep `builtInRows`' entries; entries beyond `rowCount` are dropped.
std::vector<std::string> ComboRows(std::string_view text, std::string_view builtInRows, size_t rowCount);

}  // namespace quillmate
