// The Preferences record (the settings of QuillmateViewer.ini) and the database location.
#pragma once

#include <algorithm>
#include <functional>
#include <limits>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "base/ProgramNames.h"

namespace quillmate {

// The settings of the preferences file. Every field starts at its key's built-in value
// (PreferenceKeys()).
struct Preferences {
    Preferences();

    int about{};
    int language{};    // 0 German, 1 English, 2 French
    int searchHint{};  // 0 both effects, 1 window shake, 2 search field flashes
    int searchMode{};  // 0 index + description, 1 index only, 2 all languages
    int codeMarks{};   // 0 plain, 1 bold, 2 blue + bold
    std::string fontName;
    int fontSize{};
    int savePaths{};
    int sourceInTitle{};
    int saveWinSetting{};
    int dyeingNews{};
    int darkMode{};
    std::string codeEditorPath;
    int lineNumbers{};
    int zoom{};  // the code view's zoom step, an index of kZoomScales
    int winX{};
    int winY{};
    int winWidth{};
    int winHight{};
    int splitter{};
    // Address of the update server instead of the built-in one; read when present, never written.
    std::string updateServer;
};

// The parts of the preferences file, in the order a Save writes them; a new file names each in a
// comment line. Read-only keys are never written.
enum class KeySection { Viewer, User, App, ReadOnly };

// One key of the preferences file: its name, its part, the field of Preferences that holds it
// (a number or a text; none for the database location's two paths, which are written only as
// "SavePaths" says), its built-in value, and the range a number read from the file is brought
// into: below `lowest` it becomes `belowLowest`, above `highest` it becomes `highest`. A key the
// file lacks keeps the field's current value, unless `missingIsBuiltIn`.
struct PreferenceKey {
    std::string_view name{};
    KeySection section = KeySection::User;
    int Preferences::*number = nullptr;
    std::string Preferences::*text = nullptr;
    int builtInNumber = 0;
    std::string_view builtInText{};
    int lowest = std::numeric_limits<int>::min();
    int belowLowest = std::numeric_limits<int>::min();
    int highest = std::numeric_limits<int>::max();
    // A file without the key gives the built-in value instead of keeping the current one.
    bool missingIsBuiltIn = false;
    // A value that is no whole number from `lowest` to `highest` gives the built-in value: no
    // nearest value stands in, and text is not read as 0 (where 0 would be a real choice).
    bool onlyExact = false;
    // Left out of the first preferences file, so that the first start decides it (the language
    // follows the locale until the user saves one).
    bool notInFirstFile = false;

    int Limited(int value) const { return value < lowest ? belowLowest : std::min(value, highest); }
};

// Every key of the preferences file, once, in the order a Save writes them: what the loader reads,
// the saver writes, a file saved from the settings dialog must hold (the User part), and the
// first preferences file of a build or an install is made of.
std::span<const PreferenceKey> PreferenceKeys();

// Where the database and the code files are; kept beside the Preferences record.
struct DatabaseLocation {
    std::string dbFolder;  // folder of the database file, ending with "/"
    std::string dbFileName = kDefaultDbFileName;
    std::string dbFullPath;  // the file the loader opens
    std::string libPath;     // library folder; empty means the program folder
};

inline constexpr const char* kPreferencesSaveFailedText = "*.ini-file couldn't be updatet!";
inline constexpr const char* kPreferencesOutdatedQuestion =
    "The Preference-Setting-File is not uptodate.\nShould it be updated?";

// Size of the first monitor; a dimension that is not positive is treated as unknown (no limit).
struct DesktopSize {
    int width = 0;
    int height = 0;
};

// The main window's position, size and splitter position.
struct WindowGeometry {
    int x{};
    int y{};
    int width{};
    int height{};
    int splitter{};
};

// The first monitor's rectangle in screen coordinates; a size that is not positive is unknown.
struct MonitorArea {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

// Where the main window opens with the stored position and size `stored` (its splitter is
// passed through): moved the shortest way so that its top edge lies on the monitor, at least 100
// pixels above the monitor's bottom, and at least 100 pixels of its width lie on the monitor, so
// that the title bar can always be reached. A position of -1, -1
// (the window manager places the window) and an unknown monitor keep the position as stored.
WindowGeometry PlaceOnMonitor(const WindowGeometry& stored, const MonitorArea& monitor);

// How many characters of `characterWidth` pixels a message box's lines hold at most: a
// comfortable 60, and never more than two thirds of the monitor (an unknown monitor allows the
// 60); at least 10.
int BoxWidthCharacters(const MonitorArea& monitor, int characterWidth);

// Tells whether the code view's font can be loaded as `family` at `size` points.
using FontLoadCheck = std::function<bool(const std::string& family, int size)>;

// What LoadPreferences found and what the window layer has to do with it.
struct PreferencesLoad {
    bool fileExists = false;
    // CodeFont must be (re)loaded from prefs.fontName and prefs.fontSize (already checked, or
    // already replaced by the built-in font when the stored font cannot be loaded).
    bool loadCodeFont = false;
    // When not empty: the new label of the info menu's open-code item (valid UTF-8).
    std::string openCodeLabel;
    // The "db-path" value as read (the current database folder when the key is missing).
    std::string dbPath;
    // The file has been saved by the settings dialog before but lacks a user setting.
    bool prefsOutdated = false;
    // The file holds no text (binary content): nothing is read from it, and it stays as it is
    // until a Save replaces it.
    bool notText = false;
};

// Reads the preferences file at `iniPath` into `prefs` and location.libPath. When the file does
// not exist nothing changes and fileExists is false. A file that exists but cannot be read counts
// as an empty file.
PreferencesLoad LoadPreferences(const std::string& iniPath, const DesktopSize& desktop,
                                const FontLoadCheck& fontLoads, Preferences& prefs,
                                DatabaseLocation& location);

enum class PreferencesSave {
    Saved,
    // The file could not be opened, created or written; it is unchanged. The caller shows
    // kPreferencesSaveFailedText in a box titled "Quillmate".
    Failed,
    // The file can be read but not written; it is unchanged and nothing is reported.
    ReadOnlyUnchanged,
};

// What a save writes: the settings, or the first preferences file of a program folder, which
// leaves out the keys the first start decides.
enum class SaveKind { Settings, FirstFile };

// Writes the record to `iniPath`, keeping every other line of an existing file. The window data
// is written when `window` is given and prefs.saveWinSetting is 1.
PreferencesSave SavePreferences(const std::string& iniPath, const Preferences& prefs,
                                const DatabaseLocation& location,
                                const std::optional<WindowGeometry>& window = std::nullopt,
                                SaveKind kind = SaveKind::Settings);

// The folder of this user's settings: "quillmate/" in $XDG_CONFIG_HOME, or in ~/.config when
// that is unset, empty or relative; empty when neither is known.
std::string UserSettingsFolder(const char* xdgConfigHome, const char* home);

// Which preferences file the program reads and saves.
struct PreferencesPlace {
    std::string path;
    // False when neither the program folder's file nor the user's can be written: a Save then
    // reports its failure instead of leaving the settings unsaved without a word.
    bool saveable = true;
};

// The program folder's preferences file where it can be written (or created); else
// the user's own file in `userFolder` (an installed program), which starts as a copy of the
// program folder's file at the user's first start.
PreferencesPlace SettlePreferencesPlace(const std::string& programFolder, const std::string& userFolder);

// What the database file requester shows.
struct DatabaseRequest {
    std::string title;          // "Choose database '" + dbFileName + "' ..."
    std::string proposedFile;   // dbFileName
    std::string filterLabel;    // "XML files (*.xml)"
    std::string filterPattern;  // "*.xml"
};

// The requester for a database file named `dbFileName`.
DatabaseRequest DatabaseRequestFor(const std::string& dbFileName);

// The user interaction of SettleDatabaseLocation, supplied by the window layer.
struct SettleHooks {
    // The chosen file, or nothing when the requester was cancelled.
    std::function<std::optional<std::string>(const DatabaseRequest& request)> chooseDatabaseFile;
    std::function<void(const std::string& title, const std::string& text)> showMessage;
    // True for Yes.
    std::function<bool(const std::string& title, const std::string& text)> askYesNo;
};

// Start-up: reads the preferences and decides which database file is opened, asking the user when
// the stored path names neither a file nor a folder, or on the first start. Fills `location`;
// dbFullPath stays empty when the user cancels on the first start. Writes the file when the
// location had to be settled or chosen, and reports a failed write through hooks.showMessage.
PreferencesLoad SettleDatabaseLocation(const std::string& iniPath, const DesktopSize& desktop,
                                       const FontLoadCheck& fontLoads, const SettleHooks& hooks,
                                       Preferences& prefs, DatabaseLocation& location);

}  // namespace quillmate
