// The colour table of the program, with a light and a dark look, and the contrast every coloured
// text keeps against the background it is drawn on.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace quillmate {

struct Palette {
    // Text tag colours of the code view, drawn on codeBack.
    std::string keyword;
    std::string constant;
    std::string procedureName;
    std::string procedureCall;
    std::string string;
    std::string comment;
    std::string codeText;
    std::string link;  // the link lines' addresses
    // The code view's own background: its colours are readable under any theme.
    std::string codeBack;
    // Backgrounds of the find's matches and of its current match, under the code text colour.
    std::string findMatch;
    std::string findCurrent;
    // Index rows: a version hint's background and text, the themes' texts on their backgrounds.
    std::string versionHint;
    std::string versionHintText;
    std::string themeText;
    std::string ownTheme;    // index rows of the program's own theme
    std::string topRowBack;  // index row 0
    std::string topRowText;
    std::string evenTheme;    // background of even-numbered theme rows
    std::string oddTheme;     // background of odd-numbered theme rows
    std::string warning;      // description line of a missing file, search flash
    std::string warningText;  // the description line's text on the warning colour
    std::string flash;        // flash of the database-info file field
};

// Fills every entry with the light or the dark column.
void ApplyPalette(Palette& palette, bool dark);

// The contrast ratio of two "#RRGGBB" colours, from 1 (the same) to 21 (black on white), as the
// accessibility guidelines measure it; 0 when either is no such colour.
double ContrastRatio(std::string_view first, std::string_view second);

// A text the program colours, and the background it is drawn on.
struct ColouredText {
    std::string_view what;
    std::string text;
    std::string background;
};

// Every text the program colours with its background. Each brings its own background, so that
// no theme, light or dark, can take the contrast away.
std::vector<ColouredText> ColouredTexts(const Palette& palette);

}  // namespace quillmate
