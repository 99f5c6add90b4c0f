// Build tool: writes the first preferences file into a program folder, pointing at the database in
// a database folder, unless the program folder has one, so that the settings a user saved survive
// a rebuild or a reinstall. The build and the install both run it: the file is the key table's,
// as any Save writes it.
#include <cstdio>
#include <string>

#include "base/Paths.h"
#include "base/ProgramNames.h"
#include "settings/Preferences.h"

int main(int argc, char** argv) {
    using namespace quillmate;
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s PROGRAM-FOLDER DATABASE-FOLDER\n",
                     argc > 0 ? argv[0] : "quillmate_first_preferences");
        return 2;
    }
    const std::string iniPath = WithTrailingSlash(argv[1]) + kPreferencesFileName;
    if (PathExists(iniPath)) {
        return 0;
    }
    Preferences prefs;
    prefs.codeMarks = 2;  // the bundled library shows highlighted; the program's own default is plain
    DatabaseLocation location;
    location.dbFolder = WithTrailingSlash(argv[2]);
    if (SavePreferences(iniPath, prefs, location, std::nullopt, SaveKind::FirstFile) !=
        PreferencesSave::Saved) {
        std::fprintf(stderr, "%s: cannot write %s\n", argv[0], iniPath.c_str());
        return 1;
    }
    return 0;
}
