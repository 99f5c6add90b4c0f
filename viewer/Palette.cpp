#include "viewer/Palette.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace quillmate {
namespace {

// The relative luminance of "#RRGGBB".
std::optional<double> Luminance(std::string_view colour) {
    if (colour.size() != 7 || colour[0] != '#' || !std::all_of(colour.begin() + 1, colour.end(), [](char c) {
            return std::isxdigit(static_cast<unsigned char>(c));
        })) {
        return std::nullopt;
    }
    const auto channel = [colour](std::size_t at) {
        const double value = std::stoi(std::string(colour.substr(at, 2)), nullptr, 16) / 255.0;
        return value <= 0.03928 ? value / 12.92 : std::pow((value + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(1) + 0.7152 * channel(3) + 0.0722 * channel(5);
}

}  // namespace

void ApplyPalette(Palette& palette, bool dark) {
    palette.keyword = dark ? "#00BFFF" : "#0000DC";
    palette.constant = dark ? "#9ACD32" : "#007F00";
    palette.procedureName = dark ? "#33B5E5" : "#0074A2";
    palette.procedureCall = dark ? "#0099CC" : "#0074A2";
    palette.string = dark ? "#FF6060" : "#CC0000";
    palette.comment = dark ? "#909090" : "#707070";
    palette.codeText = dark ? "#FFFFFF" : "#000000";
    palette.link = dark ? "#78AEED" : "#1A5FB4";
    palette.codeBack = dark ? "#1E1E1E" : "#FFFFFF";
    palette.findMatch = dark ? "#705F00" : "#FCE94F";
    palette.findCurrent = dark ? "#A3471A" : "#F5A623";
    palette.versionHint = dark ? "#008000" : "#9ACD32";
    palette.versionHintText = dark ? "#FFFFFF" : "#000000";
    palette.themeText = "#000000";
    palette.ownTheme = "#B8B8B8";
    palette.topRowBack = "#666666";
    palette.topRowText = "#FFFFFF";
    palette.evenTheme = dark ? "#A1A1A1" : "#E8E8E8";
    palette.oddTheme = dark ? "#B0B0B0" : "#F0F0F0";
    palette.warning = "#E09183";
    palette.warningText = "#000000";
    palette.flash = "#34B4BD";
}

double ContrastRatio(std::string_view first, std::string_view second) {
    const std::optional<double> a = Luminance(first);
    const std::optional<double> b = Luminance(second);
    if (!a || !b) {
        return 0;
    }
    return (std::max(*a, *b) + 0.05) / (std::min(*a, *b) + 0.05);
}

std::vector<ColouredText> ColouredTexts(const Palette& palette) {
    std::vector<ColouredText> texts;
    for (const auto& [what, colour] :
         {std::pair<std::string_view, const std::string&>{"keyword", palette.keyword},
          {"constant", palette.constant},
          {"procedure name", palette.procedureName},
          {"procedure call", palette.procedureCall},
          {"string", palette.string},
          {"comment", palette.comment},
          {"code text", palette.codeText}}) {
        texts.push_back({what, colour, palette.codeBack});
    }
    texts.push_back({"find match", palette.codeText, palette.findMatch});
    texts.push_back({"current find match", palette.codeText, palette.findCurrent});
    texts.push_back({"version hint", palette.versionHintText, palette.versionHint});
    texts.push_back({"head row", palette.topRowText, palette.topRowBack});
    texts.push_back({"own theme row", palette.themeText, palette.ownTheme});
    texts.push_back({"even theme row", palette.themeText, palette.evenTheme});
    texts.push_back({"odd theme row", palette.themeText, palette.oddTheme});
    texts.push_back({"missing file's description", palette.warningText, palette.warning});
    return texts;
}

}  // namespace quillmate
