// The Application owns every process-wide record and window of the program; it is created in
// main and passed by reference to the operations that need it.
#pragma once

#include <gdkmm/pixbuf.h>
#include <gdkmm/rgba.h>
#include <pangomm/fontdescription.h>

#include <array>
#include <memory>
#include <string>

#include "app/AppState.h"
#include "app/EventQueue.h"
#include "app/History.h"
#include "app/ProgramStarter.h"
#include "app/Zoom.h"
#include "database/Database.h"
#include "database/XmlDocument.h"
#include "resources/Pictures.h"
#include "settings/Preferences.h"
#include "viewer/CodeFile.h"
#include "viewer/HighlightView.h"
#include "viewer/Palette.h"

namespace quillmate {

class MainWindow;
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
    DatabaseLocation location;
    Palette palette;
    EventQueue queue;
    ProgramStarter starter;
    History history;
    ZoomState zoom;
    HighlightRuns highlight;
    XmlDocument document;  // the parsed database, kept for rebuilds
    EntryList entries;
    std::string lastGroupTitle;
    CodeFileInfo codeFileInfo;
    int currentEntry = 0;
    Pango::FontDescription codeFont;
    Pango::FontDescription headingFont;
    Gdk::RGBA transparent;
    std::unique_ptr<PopupMenus> menus;
    std::unique_ptr<MainWindow> mainWindow;

  private:
    std::array<Glib::RefPtr<Gdk::Pixbuf>, static_cast<size_t>(Picture::FlagFrench) + 1> m_pictures;
};

}  // namespace quillmate
