// The Application owns the whole program state in three parts: the GTK-free records, the user
// interface, and the services. The start-up creates it; the action files work on it.
#pragma once

#include <gdkmm/pixbuf.h>
#include <gdkmm/rgba.h>
#include <pangomm/fontdescription.h>

#include <array>
#include <functional>
#include <memory>
#include <string>

#include "app/AppState.h"
#include "app/History.h"
#include "base/EventQueue.h"
#include "base/ProgramStarter.h"
#include "database/CodeTextIndex.h"
#include "database/CodeTextReader.h"
#include "database/Database.h"
#include "database/IndexRows.h"
#include "database/Search.h"
#include "database/XmlDocument.h"
#include "resources/PictureLoader.h"
#include "settings/LanguageTable.h"
#include "settings/Preferences.h"
#include "settings/TextKeys.h"
#include "settings/UpdateCheck.h"
#include "viewer/Palette.h"
#include "viewer/Zoom.h"

namespace quillmate {

class DatabaseInfoWindow;
class MainWindow;
class UpdateWindow;
class SettingsWindow;
struct PopupMenus;

// The process-wide facts of the program, free of GTK.
struct ProgramRecords {
    AppState state;
    Preferences preferences;
    LanguageTable languageTable;  // reads ProgramFolder + "QuillmateLang.inf"
    DatabaseLocation location;
    Palette palette;
    XmlDocument document;  // the parsed database, kept for rebuilds
    EntryList entries;
    IndexRows indexRows;  // row i belongs to entry i; the index tree shows them
    std::string lastGroupTitle;
    History history;
    ZoomState zoom;
    SearchHaystacks searchHaystacks;  // folded search texts of the index rows
    CodeTextIndex codeTexts;          // the entries' folded code, for the search that covers it
};

// The windows and what they show with: pictures, fonts, the texts a language switch replaces.
struct UserInterface {
    PictureBook pictures;
    Pango::FontDescription codeFont;
    Pango::FontDescription headingFont;
    Gdk::RGBA transparent;
    // Widget texts that a language switch replaces; each window adds its own when it is built.
    TextTargetRegistry textTargets;
    std::unique_ptr<PopupMenus> menus;
    std::unique_ptr<MainWindow> mainWindow;
    std::unique_ptr<DatabaseInfoWindow> databaseInfoWindow;
    std::unique_ptr<UpdateWindow> updateWindow;
    std::unique_ptr<SettingsWindow> settingsWindow;
};

// What the program uses from outside the windows: the event queue, the program starter and the
// update download.
struct Services {
    EventQueue queue;
    ProgramStarter starter;
    UpdateChecker updateChecker;
    CodeTextReader codeReader{queue};
};

class Application {
  public:
    explicit Application(std::string programFolder);
    ~Application();
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    // Closes and releases every window and menu.
    void ReleaseWindows();

    ProgramRecords records;
    UserInterface ui;
    Services services;
};

}  // namespace quillmate
