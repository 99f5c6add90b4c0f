// The colour table of the program, with a light and a dark look.
#pragma once

#include <string>

namespace quillmate {

struct Palette {
    // Text tag colours of the code view.
    std::string keyword;
    std::string constant;
    std::string procedureName;
    std::string procedureCall;
    std::string string;
    std::string comment;
    std::string versionHint;  // background of version hints in index rows (a colour name)
    // Widget colours.
    std::string codeText;
    std::string ownTheme;    // index rows of the program's own theme
    std::string topRowBack;  // index row 0
    std::string topRowText;
    std::string evenTheme;  // background of even-numbered theme rows
    std::string oddTheme;   // background of odd-numbered theme rows
    std::string warning;    // description line of a missing file, search flash
    std::string flash;      // flash of the database-info file field
};

// Fills every entry with the light or the dark column.
void ApplyPalette(Palette& palette, bool dark);

}  // namespace quillmate
