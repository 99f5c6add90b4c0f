#include "settings/Preferences.h"

#include <algorithm>
#include <charconv>
#include <string_view>

#include "base/Paths.h"
#include "base/ProgramNames.h"
#include "base/Text.h"
#include "base/Utf8.h"
#include "settings/IniDocument.h"
#include "viewer/Zoom.h"

namespace quillmate {
namespace {

// The window may not come closer to the desktop's size than this.
constexpr int kDesktopMargin = 50;
// Width of the main window that always lies on the monitor.
constexpr long long kMinimumOnMonitor = 100;

constexpr PreferenceKey Number(std::string_view name, KeySection section, int Preferences::*field,
                               int builtIn) {
    return {.name = name, .section = section, .number = field, .builtInNumber = builtIn};
}
constexpr PreferenceKey Text(std::string_view name, KeySection section, std::string Preferences::*field,
                             std::string_view builtIn) {
    return {.name = name, .section = section, .text = field, .builtInText = builtIn};
}

// The keys the loader and the saver name besides walking the table.
constexpr std::string_view kDbPathKey = "db-path";
constexpr std::string_view kLibPathKey = "Lib-path";
constexpr std::string_view kAboutKey = "about";

using S = KeySection;
constexpr PreferenceKey kPreferenceKeys[] = {
    {.name = kDbPathKey, .section = S::Viewer},
    {.name = kLibPathKey, .section = S::Viewer},
    Number(kAboutKey, S::Viewer, &Preferences::about, 0),
    {.name = "Language", .section = S::User, .number = &Preferences::language, .notInFirstFile = true},
    Number("SearchHint", S::User, &Preferences::searchHint, 0),
    Number("SearchMode", S::User, &Preferences::searchMode, 0),
    Number("CodeMarks", S::User, &Preferences::codeMarks, 0),
    Text("FontName", S::User, &Preferences::fontName, "Monospace"),
    {.name = "FontSize",
     .section = S::User,
     .number = &Preferences::fontSize,
     .builtInNumber = 10,
     .lowest = 6,
     .belowLowest = 6,
     .highest = 24},
    Number("SavePaths", S::User, &Preferences::savePaths, 1),
    Number("SourceInTitle", S::User, &Preferences::sourceInTitle, 1),
    Number("SaveWinSetting", S::User, &Preferences::saveWinSetting, 0),
    Number("DyeingNews", S::User, &Preferences::dyeingNews, 1),
    Number("DarkMode", S::User, &Preferences::darkMode, 0),
    Text("CodeEditorPath", S::User, &Preferences::codeEditorPath, ""),
    Number("LineNumbers", S::User, &Preferences::lineNumbers, 0),
    {.name = "Zoom",
     .section = S::User,
     .number = &Preferences::zoom,
     .builtInNumber = kNormalZoomIndex,
     .lowest = 0,
     .highest = static_cast<int>(kZoomScales.size()) - 1,
     .onlyExact = true},
    // -1, -1 lets the window manager place the window; any lower position is the screen's edge.
    {.name = "WinX",
     .section = S::App,
     .number = &Preferences::winX,
     .builtInNumber = -1,
     .lowest = -1,
     .belowLowest = 0},
    Number("WinY", S::App, &Preferences::winY, -1),
    Number("WinWidth", S::App, &Preferences::winWidth, 800),
    Number("WinHight", S::App, &Preferences::winHight, 600),
    {.name = "Splitter",
     .section = S::App,
     .number = &Preferences::splitter,
     .builtInNumber = 345,
     .missingIsBuiltIn = true},
    Text("UpdateServer", S::ReadOnly, &Preferences::updateServer, ""),
};

constexpr std::string_view kSectionComments[] = {"Viewer", "User settings", "App settings", ""};

int ExactNumber(const PreferenceKey& key, std::string_view value) {
    const std::string_view digits = Trim(value);
    int number = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), number);
    const bool exact = error == std::errc{} && end == digits.data() + digits.size();
    return exact && number >= key.lowest && number <= key.highest ? number : key.builtInNumber;
}

}  // namespace

Preferences::Preferences() {
    for (const PreferenceKey& key : kPreferenceKeys) {
        if (key.number != nullptr) {
            this->*key.number = key.builtInNumber;
        } else if (key.text != nullptr) {
            this->*key.text = std::string(key.builtInText);
        }
    }
}

std::span<const PreferenceKey> PreferenceKeys() {
    return kPreferenceKeys;
}

std::string UserSettingsFolder(const char* xdgConfigHome, const char* home) {
    // A relative $XDG_CONFIG_HOME counts as unset, as desktops treat it.
    if (xdgConfigHome != nullptr && xdgConfigHome[0] == '/') {
        return WithTrailingSlash(xdgConfigHome) + kSettingsFolderName + "/";
    }
    if (home != nullptr && home[0] == '/') {
        return WithTrailingSlash(home) + ".config/" + kSettingsFolderName + "/";
    }
    return {};
}

PreferencesPlace SettlePreferencesPlace(const std::string& programFolder, const std::string& userFolder) {
    const std::string programFile = programFolder + kPreferencesFileName;
    const bool programFileWritable = CanWriteFile(programFile);
    if (programFileWritable || userFolder.empty()) {
        return {programFile, programFileWritable};
    }
    const std::string userFile = userFolder + kPreferencesFileName;
    if (!PathExists(userFile) && MakeFolders(userFolder)) {
        // The user's first start: the settings begin as the program folder's, binary content
        // aside; without that file the start is a first start of the program.
        if (auto document = IniDocument::Open(programFile, IniDocument::kFlagNoSpaces);
            document && document->IsText()) {
            [[maybe_unused]] const IniCloseResult copied = document->CloseAs(userFile);
        }
    }
    if (PathExists(userFile) || CanWriteFile(userFile)) {
        return {userFile, true};
    }
    return {programFile, false};
}

DatabaseRequest DatabaseRequestFor(const std::string& dbFileName) {
    return {"Choose database '" + dbFileName + "' ...", dbFileName, "XML files (*.xml)", "*.xml"};
}

PreferencesLoad LoadPreferences(const std::string& iniPath, const DesktopSize& desktop,
                                const FontLoadCheck& fontLoads, Preferences& prefs,
                                DatabaseLocation& location) {
    PreferencesLoad result;
    const std::string builtInFontName = prefs.fontName;
    const int builtInFontSize = prefs.fontSize;
    if (!IsRegularFile(iniPath)) {
        return result;
    }
    result.fileExists = true;

    auto document = IniDocument::Open(iniPath, IniDocument::kFlagNoSpaces);
    if (!document) {
        document = IniDocument::FromBytes({}, IniDocument::kFlagNoSpaces);
    }
    const IniDocument& ini = *document;
    result.notText = !ini.IsText();
    result.dbPath = ini.ReadString(kDbPathKey, location.dbFolder);
    location.libPath = ini.ReadString(kLibPathKey, "");
    for (const PreferenceKey& key : kPreferenceKeys) {
        if (key.number != nullptr && key.onlyExact) {
            if (ini.HasKey(key.name)) {
                prefs.*key.number = ExactNumber(key, ini.ReadString(key.name, ""));
            }
        } else if (key.number != nullptr) {
            const int missing = key.missingIsBuiltIn ? key.builtInNumber : prefs.*key.number;
            prefs.*key.number = key.Limited(ini.ReadInteger(key.name, missing));
        } else if (key.text != nullptr) {
            prefs.*key.text = ini.ReadString(key.name, prefs.*key.text);
        }
    }
    if (desktop.width > 0) {
        prefs.winWidth = std::min(prefs.winWidth, desktop.width - kDesktopMargin);
    }
    if (desktop.height > 0) {
        prefs.winHight = std::min(prefs.winHight, desktop.height - kDesktopMargin);
    }

    // Only a file the settings dialog has saved before is expected to hold every user setting.
    result.prefsOutdated =
        ini.HasKey(kAboutKey) && prefs.about == 1 &&
        std::any_of(std::begin(kPreferenceKeys), std::end(kPreferenceKeys), [&ini](const PreferenceKey& key) {
            return key.section == KeySection::User && !ini.HasKey(key.name);
        });

    if (prefs.fontName != builtInFontName || prefs.fontSize != builtInFontSize) {
        result.loadCodeFont = true;
        if (fontLoads && !fontLoads(prefs.fontName, prefs.fontSize)) {
            const Preferences builtIn;
            prefs.fontName = builtIn.fontName;
            prefs.fontSize = builtIn.fontSize;
        }
    }

    if (!prefs.codeEditorPath.empty() && IsRegularFile(prefs.codeEditorPath) &&
        HasOwnerExecuteBit(prefs.codeEditorPath)) {
        result.openCodeLabel = "Open code in " + ShownText(FilePart(prefs.codeEditorPath), kRowTextLimit);
    }
    return result;
}

int BoxWidthCharacters(const MonitorArea& monitor, int characterWidth) {
    constexpr int kReadable = 60;
    constexpr int kNarrowest = 10;
    if (monitor.width <= 0) {
        return kReadable;
    }
    const int fitting = monitor.width * 2 / 3 / std::max(characterWidth, 1);
    return std::clamp(fitting, kNarrowest, kReadable);
}

WindowGeometry PlaceOnMonitor(const WindowGeometry& stored, const MonitorArea& monitor) {
    WindowGeometry placed = stored;
    if ((stored.x == -1 && stored.y == -1) || monitor.width <= 0 || monitor.height <= 0) {
        return placed;
    }
    // In 64 bits, so that no stored value can overflow the sums.
    const long long left = monitor.x;
    const long long top = monitor.y;
    const long long visible = std::min<long long>(kMinimumOnMonitor, monitor.width);
    const long long lowestX = left - std::max<long long>(stored.width, visible) + visible;
    const long long highestX = left + monitor.width - visible;
    const long long highestY = top + std::max<long long>(monitor.height - kMinimumOnMonitor, 0);
    placed.x = static_cast<int>(std::clamp<long long>(stored.x, lowestX, highestX));
    placed.y = static_cast<int>(std::clamp<long long>(stored.y, top, highestY));
    return placed;
}

PreferencesSave SavePreferences(const std::string& iniPath, const Preferences& prefs,
                                const DatabaseLocation& location, const std::optional<WindowGeometry>& window,
                                SaveKind kind) {
    // An existing file that cannot be opened is never replaced by a new one; one that holds no
    // text is, as a whole: none of its bytes are written back.
    bool isNew = !PathExists(iniPath);
    std::optional<IniDocument> document;
    if (!isNew) {
        document = IniDocument::Open(iniPath, IniDocument::kFlagNoSpaces);
        if (!document) {
            return PreferencesSave::Failed;
        }
        if (!document->IsText()) {
            if (document->IsReadOnly()) {
                return PreferencesSave::ReadOnlyUnchanged;
            }
            isNew = true;
        }
    }
    if (isNew) {
        document = IniDocument::Create(iniPath, IniDocument::kFlagNoSpaces);
    }
    IniDocument& ini = *document;

    // The window data is written from the window as it is.
    Preferences written = prefs;
    const bool writeWindow = window && prefs.saveWinSetting == 1;
    if (writeWindow) {
        written.winX = window->x;
        written.winY = window->y;
        written.winWidth = window->width;
        written.winHight = window->height;
        written.splitter = window->splitter;
    }
    const bool writePaths = prefs.savePaths == 1 || prefs.about == 0;
    std::optional<KeySection> section;
    for (const PreferenceKey& key : kPreferenceKeys) {
        if (key.section == KeySection::ReadOnly) {
            continue;
        }
        if (isNew && key.section != section) {
            ini.AddComment(kSectionComments[static_cast<int>(key.section)]);
        }
        section = key.section;
        if ((key.section == KeySection::App && !writeWindow) ||
            (kind == SaveKind::FirstFile && key.notInFirstFile)) {
            continue;
        }
        if (key.number != nullptr) {
            ini.WriteInteger(key.name, written.*key.number);
        } else if (key.text != nullptr) {
            ini.WriteString(key.name, written.*key.text);
        } else if (writePaths) {
            ini.WriteString(key.name, key.name == kDbPathKey ? location.dbFolder + location.dbFileName
                                                             : location.libPath);
        }
    }

    switch (ini.Close()) {
        case IniCloseResult::Written:
        case IniCloseResult::NotModified:
            return PreferencesSave::Saved;
        case IniCloseResult::ReadOnlyUnchanged:
            return PreferencesSave::ReadOnlyUnchanged;
        case IniCloseResult::Failed:
            break;
    }
    return PreferencesSave::Failed;
}

PreferencesLoad SettleDatabaseLocation(const std::string& iniPath, const DesktopSize& desktop,
                                       const FontLoadCheck& fontLoads, const SettleHooks& hooks,
                                       Preferences& prefs, DatabaseLocation& location) {
    PreferencesLoad loaded = LoadPreferences(iniPath, desktop, fontLoads, prefs, location);

    const auto save = [&] {
        if (loaded.notText) {
            return;  // the user's file is never rewritten at start; a Save replaces it
        }
        const PreferencesSave outcome = SavePreferences(iniPath, prefs, location);
        if (outcome == PreferencesSave::Failed && hooks.showMessage) {
            hooks.showMessage(kProgramTitle, kPreferencesSaveFailedText);
        }
        if (outcome == PreferencesSave::Saved) {
            // The save has written every user setting.
            loaded.prefsOutdated = false;
        }
    };
    const auto chooseDatabase = [&]() -> std::optional<std::string> {
        if (!hooks.chooseDatabaseFile) {
            return std::nullopt;
        }
        return hooks.chooseDatabaseFile(DatabaseRequestFor(location.dbFileName));
    };
    const auto takeChosen = [&location](const std::string& chosen) {
        location.dbFullPath = chosen;
        location.dbFileName = FilePart(chosen);
        location.dbFolder = FolderPart(chosen);
    };

    if (!loaded.fileExists) {
        // First start: the file is created only when a database has been chosen.
        if (const auto chosen = chooseDatabase()) {
            takeChosen(*chosen);
            save();
        } else {
            location.dbFullPath.clear();
        }
    } else if (IsRegularFile(loaded.dbPath)) {
        takeChosen(loaded.dbPath);
    } else if (IsDirectory(loaded.dbPath)) {
        // A folder written without its final "/" would otherwise run into the file name.
        location.dbFolder = WithTrailingSlash(loaded.dbPath);
        location.dbFullPath = location.dbFolder + location.dbFileName;
        save();
    } else {
        // A cancelled requester ends the program with the missing-database message; the stored
        // path (a drive that is not mounted, say) stays in the file for the next start.
        if (const auto chosen = chooseDatabase()) {
            takeChosen(*chosen);
            save();
        } else {
            location.dbFullPath.clear();
            location.dbFileName.clear();
            location.dbFolder.clear();
        }
    }

    if (loaded.prefsOutdated && !location.dbFullPath.empty() && hooks.askYesNo &&
        hooks.askYesNo(kProgramTitle, kPreferencesOutdatedQuestion)) {
        save();
    }
    return loaded;
}

}  // namespace quillmate
