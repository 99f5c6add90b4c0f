#include "viewer/Palette.h"

namespace quillmate {

void ApplyPalette(Palette& palette, bool dark) {
    palette.keyword = dark ? "#00BFFF" : "#0000DC";
    palette.constant = dark ? "#6B8E23" : "#007F00";
    palette.procedureName = "#0074A2";
    palette.procedureCall = dark ? "#0099CC" : "#0074A2";
    palette.string = "#FF0000";
    palette.comment = "#909090";
    palette.versionHint = dark ? "Green" : "YellowGreen";
    palette.codeText = dark ? "#FFFFFF" : "#000000";
    palette.ownTheme = "#B8B8B8";
    palette.topRowBack = "#7F7F7F";
    palette.topRowText = "#FFFFFF";
    palette.evenTheme = dark ? "#A1A1A1" : "#E8E8E8";
    palette.oddTheme = dark ? "#B0B0B0" : "#F0F0F0";
    palette.warning = "#E09183";
    palette.flash = "#34B4BD";
}

}  // namespace quillmate
