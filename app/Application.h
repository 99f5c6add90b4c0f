// The Application owns every process-wide record and window of the program; it is created in
// main and passed by reference to the operations that need it.
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
#include "app/Zoom.h"
#include "base/EventQueue.h"
#include "base/ProgramStarter.h"
#include "database/Database.h"
#include "database/Search.h"
#include "database/XmlDocument.h"
#include "resources/Pictures.h"
#include "settings/LanguageTable.h"
#include "settings/Preferences.h"
#include "settings/TextKeys.h"
#include "settings/UpdateCheck.h"
#include "viewer/CodeFile.h"
#include "viewer/HighlightView.h"
#include "viewer/Palette.h"

namespace quillmate {

class DatabaseInfoWindow;
class MainWindow;
class UpdateWindow;
class SettingsWindow;
struct PopupMenus;

class Application {
  public:
    explicit Application(std::string programFolder);
    ~Application();
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    // The decoded built-in picture; null when it did not decode.
    Glib::RefPtr<Gdk::Pixbuf> PictureOf(Picture picture) const;
    void DecodePictures();
    // Language of the index and descriptions: the settings dialog's language chooser (0 German,
    // 1 English, 2 French).
    int IndexLanguage() const;
    // Closes and releases every window and menu.
    void ReleaseWindows();

    AppState state;
    Preferences preferences;
    LanguageTable languageTable;  // reads ProgramFolder + "QuillmateLang.inf"
    DatabaseLocation location;
    Palette palette;
    EventQueue queue;
    ProgramStarter starter;
    History history;
    ZoomState zoom;
    HighlightRuns highlight;
    XmlDocument document;  // the parsed database, kept for rebuilds
    EntryList entries;
    SearchHaystacks searchHaystacks;  // folded search texts of the index rows
    std::string lastGroupTitle;
    CodeFileInfo codeFileInfo;
    int currentEntry = 0;
    Pango::FontDescription codeFont;
    Pango::FontDescription headingFont;
    Gdk::RGBA transparent;
    std::unique_ptr<PopupMenus> menus;
    std::unique_ptr<MainWindow> mainWindow;
    std::unique_ptr<DatabaseInfoWindow> databaseInfoWindow;
    std::unique_ptr<UpdateWindow> updateWindow;
    UpdateChecker updateChecker;
    std::unique_ptr<SettingsWindow> settingsWindow;
    // Widget texts that a language switch replaces; each window adds its own when it is built.
    TextTargetRegistry textTargets;
    // Called after the settings dialog's Apply has loaded the database again (the database-info
    // window refills its database section); empty while nobody listens.
    std::function<void()> onDatabaseReloaded;

  private:
    std::array<Glib::RefPtr<Gdk::Pixbuf>, static_cast<size_t>(Picture::FlagFrench) + 1> m_pictures;
};

}  // namespace quillmate
