#include "settings/Preferences.h"

#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <string_view>

#include "base/Paths.h"
#include "base/ProgramNames.h"
#include "base/Utf8.h"
#include "settings/IniDocument.h"

namespace quillmate {
namespace {

constexpr int kMinFontSize = 6;
constexpr int kMaxFontSize = 24;
constexpr const char* kDefaultFontName = "Monospace";
constexpr int kDefaultFontSize = 10;
constexpr int kDefaultSplitter = 345;
// The window may not come closer to the desktop's size than this.
constexpr int kDesktopMargin = 50;
// Width of the main window that always lies on the monitor.
constexpr long long kMinimumOnMonitor = 100;

// The user settings every save writes; a file saved from the settings dialog holds all of them.
constexpr std::array<std::string_view, 12> kUserSettingKeys = {
    "Language",  "SearchHint",    "SearchMode",     "CodeMarks",  "FontName", "FontSize",
    "SavePaths", "SourceInTitle", "SaveWinSetting", "DyeingNews", "DarkMode", "CodeEditorPath",
};

bool PathExists(const std::string& path) {
    struct stat info {};
    return !path.empty() && ::stat(path.c_str(), &info) == 0;
}

std::string WithTrailingSlash(std::string folder) {
    if (folder.empty() || folder.back() != '/') {
        folder.push_back('/');
    }
    return folder;
}

}  // namespace

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
    result.dbPath = ini.ReadString("db-path", location.dbFolder);
    location.libPath = ini.ReadString("Lib-path", "");
    prefs.about = ini.ReadInteger("about", prefs.about);
    prefs.language = ini.ReadInteger("Language", prefs.language);
    prefs.searchHint = ini.ReadInteger("SearchHint", prefs.searchHint);
    prefs.searchMode = ini.ReadInteger("SearchMode", prefs.searchMode);
    prefs.codeMarks = ini.ReadInteger("CodeMarks", prefs.codeMarks);
    prefs.fontName = ini.ReadString("FontName", prefs.fontName);
    prefs.fontSize = ini.ReadInteger("FontSize", prefs.fontSize);
    prefs.savePaths = ini.ReadInteger("SavePaths", prefs.savePaths);
    prefs.sourceInTitle = ini.ReadInteger("SourceInTitle", prefs.sourceInTitle);
    prefs.saveWinSetting = ini.ReadInteger("SaveWinSetting", prefs.saveWinSetting);
    prefs.dyeingNews = ini.ReadInteger("DyeingNews", prefs.dyeingNews);
    prefs.darkMode = ini.ReadInteger("DarkMode", prefs.darkMode);
    prefs.codeEditorPath = ini.ReadString("CodeEditorPath", prefs.codeEditorPath);
    prefs.winX = ini.ReadInteger("WinX", prefs.winX);
    prefs.winY = ini.ReadInteger("WinY", prefs.winY);
    prefs.winWidth = ini.ReadInteger("WinWidth", prefs.winWidth);
    if (desktop.width > 0) {
        prefs.winWidth = std::min(prefs.winWidth, desktop.width - kDesktopMargin);
    }
    prefs.winHight = ini.ReadInteger("WinHight", prefs.winHight);
    if (desktop.height > 0) {
        prefs.winHight = std::min(prefs.winHight, desktop.height - kDesktopMargin);
    }
    prefs.splitter = ini.ReadInteger("Splitter", kDefaultSplitter);
    prefs.updateServer = ini.ReadString("UpdateServer", prefs.updateServer);

    // Only a file the settings dialog has saved before is expected to hold every user setting.
    result.prefsOutdated = ini.HasKey("about") && prefs.about == 1 &&
                           std::any_of(kUserSettingKeys.begin(), kUserSettingKeys.end(),
                                       [&ini](std::string_view key) { return !ini.HasKey(key); });

    prefs.fontSize = std::clamp(prefs.fontSize, kMinFontSize, kMaxFontSize);
    if (prefs.fontName != builtInFontName || prefs.fontSize != builtInFontSize) {
        result.loadCodeFont = true;
        if (fontLoads && !fontLoads(prefs.fontName, prefs.fontSize)) {
            prefs.fontName = kDefaultFontName;
            prefs.fontSize = kDefaultFontSize;
        }
    }

    if (!prefs.codeEditorPath.empty() && IsRegularFile(prefs.codeEditorPath) &&
        HasOwnerExecuteBit(prefs.codeEditorPath)) {
        result.openCodeLabel = "Open code in " + ShownText(FilePart(prefs.codeEditorPath), kRowTextLimit);
    }

    if (prefs.winX < -1) {
        prefs.winX = 0;
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
                                const DatabaseLocation& location,
                                const std::optional<WindowGeometry>& window) {
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

    if (isNew) {
        ini.AddComment("Viewer");
    }
    if (prefs.savePaths == 1 || prefs.about == 0) {
        ini.WriteString("db-path", location.dbFolder + location.dbFileName);
        ini.WriteString("Lib-path", location.libPath);
    }
    ini.WriteInteger("about", prefs.about);
    if (isNew) {
        ini.AddComment("User settings");
    }
    ini.WriteInteger("Language", prefs.language);
    ini.WriteInteger("SearchHint", prefs.searchHint);
    ini.WriteInteger("SearchMode", prefs.searchMode);
    ini.WriteInteger("CodeMarks", prefs.codeMarks);
    ini.WriteString("FontName", prefs.fontName);
    ini.WriteInteger("FontSize", prefs.fontSize);
    ini.WriteInteger("SavePaths", prefs.savePaths);
    ini.WriteInteger("SourceInTitle", prefs.sourceInTitle);
    ini.WriteInteger("SaveWinSetting", prefs.saveWinSetting);
    ini.WriteInteger("DyeingNews", prefs.dyeingNews);
    ini.WriteInteger("DarkMode", prefs.darkMode);
    ini.WriteString("CodeEditorPath", prefs.codeEditorPath);
    if (isNew) {
        ini.AddComment("App settings");
    }
    if (window && prefs.saveWinSetting == 1) {
        ini.WriteInteger("WinX", window->x);
        ini.WriteInteger("WinY", window->y);
        ini.WriteInteger("WinWidth", window->width);
        ini.WriteInteger("WinHight", window->height);
        ini.WriteInteger("Splitter", window->splitter);
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
        const DatabaseRequest request{"Choose database '" + location.dbFileName + "' ...",
                                      location.dbFileName, "XML files (*.xml)", "*.xml"};
        return hooks.chooseDatabaseFile(request);
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
