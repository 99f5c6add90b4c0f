#include "app/StartUp.h"

#include <glibmm/miscutils.h>
#include <gtk/gtk.h>
#include <gtkmm/filechooserdialog.h>
#include <gtkmm/main.h>
#include <gtkmm/settings.h>
#include <pangomm/context.h>
#include <unistd.h>

#include <algorithm>
#include <clocale>
#include <csignal>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "app/Application.h"
#include "app/ErrorTrap.h"
#include "app/EventLoop.h"
#include "app/FirstMonitor.h"
#include "app/FontMetrics.h"
#include "app/FontSetting.h"
#include "app/MainActions.h"
#include "app/MainWindow.h"
#include "app/MessageBox.h"
#include "base/Paths.h"
#include "database/IndexTreeActions.h"
#include "settings/AboutActions.h"
#include "settings/AboutDialogs.h"
#include "settings/LanguageActions.h"
#include "settings/LanguageTable.h"
#include "settings/Requesters.h"
#include "settings/SettingsDialog.h"
#include "settings/UpdateWindow.h"
#include "viewer/Zoom.h"
#include "viewer/ZoomActions.h"

namespace quillmate {
namespace {

WindowContext ContextOf(Application& app) {
    return {app.services.queue, app.ui.pictures,     app.ui.codeFont,   app.ui.headingFont,
            app.ui.transparent, app.records.palette, app.ui.textTargets};
}

// The main window's questions, answered by the operations on the whole program.
MainWindowHooks MainHooks(Application& app) {
    return {[&app](int row) { return DraggedEntryPath(app, row); },
            [&app](const GdkEventScroll* event) {
                return CodeViewScrolled(app, app.ui.mainWindow->Code().View(), event);
            },
            [&app](const GdkEventKey* event) { return TreeKeyNavigate(app, event); }};
}

// The locale the C library takes texts from: LC_ALL, else LC_MESSAGES, else LANG.
std::string_view MessagesLocale() {
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        if (const char* value = std::getenv(name); value != nullptr && value[0] != '\0') {
            return value;
        }
    }
    return {};
}

// The fixed names and the built-in defaults, in force until the preferences are read.
void SetDefaults(Application& app) {
    app.records.preferences = Preferences{};
    // Until a "Language" is saved (a first start, the first preferences file), the index and
    // the texts follow the locale's language for messages.
    app.records.preferences.language = LanguageOfLocale(MessagesLocale());
    app.records.location = DatabaseLocation{};
    app.records.location.dbFolder = app.records.state.programFolder;
    app.records.location.libPath = app.records.state.programFolder;
    app.records.zoom = ZoomState{};
}

// The built-in code font, and the bold heading font taken from the desktop's "gtk-font-name".
void LoadFonts(Application& app) {
    app.ui.codeFont = CodeFont(app.records.preferences.fontName, app.records.preferences.fontSize);
    const Glib::ustring desktopFont = Gtk::Settings::get_default()->property_gtk_font_name().get_value();
    const FontChoice choice = ParseDesktopFontName(desktopFont.raw());
    app.ui.headingFont = Pango::FontDescription(choice.family + " bold");
    app.ui.headingFont.set_size(choice.size * PANGO_SCALE);
}

}  // namespace

void ReportProgramError(const ErrorRecord& record) {
    ShowMessage("Quillmate-Error", ErrorReportText(record));
}

int RunErrorReport(const ErrorRecord& record, int argc, char** argv) {
    std::setlocale(LC_ALL, "");
    InitialiseGtk(&argc, &argv);
    ReportProgramError(record);
    return 0;
}

std::string FindProgramFolder(const char* argv0) {
    std::vector<char> buffer(4096);
    const ssize_t length = ::readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
    if (length > 0) {
        return FolderPart(std::string(buffer.data(), static_cast<size_t>(length)));
    }
    return FolderPart(argv0 != nullptr ? argv0 : "");
}

void InitialiseGtk(int* argc, char*** argv) {
    // The window's WM_CLASS and Wayland application id are made of these; GTK's start sets a
    // class of its own.
    g_set_prgname(kApplicationId);
    gtk_init(argc, argv);
    gdk_set_program_class(kApplicationId);
    Gtk::Main::init_gtkmm_internals();
}

void StartUp(Application& app) {
    SetDefaults(app);
    LoadFonts(app);
    app.ui.menus = BuildPopupMenus(app.services.queue);
    InstallErrorTrap();
    // A write beyond the file-size limit fails like any other write, and a save says so, instead
    // of ending the program.
    std::signal(SIGXFSZ, SIG_IGN);
    const MonitorArea monitor = FirstMonitor();
    const DesktopSize desktop{monitor.width, monitor.height};

    SettleHooks hooks;
    hooks.chooseDatabaseFile = [&app](const DatabaseRequest& request) {
        return ChooseDatabaseFile(request, app.records.state.programFolder);
    };
    hooks.showMessage = ShowMessage;
    hooks.askYesNo = AskYesNo;
    const PreferencesPlace place =
        SettlePreferencesPlace(app.records.state.programFolder,
                               UserSettingsFolder(std::getenv("XDG_CONFIG_HOME"), std::getenv("HOME")));
    app.records.state.preferencesFile = place.path;
    app.records.state.stateFile = FolderPart(place.path) + kStateFileName;
    app.records.state.preferencesSaveable = place.saveable;
    const PreferencesLoad loaded = SettleDatabaseLocation(
        place.path, desktop, [](const std::string& family, int) { return FontFamilyExists(family); }, hooks,
        app.records.preferences, app.records.location);
    if (loaded.loadCodeFont) {
        app.ui.codeFont = CodeFont(app.records.preferences.fontName, app.records.preferences.fontSize);
    }
    if (!loaded.openCodeLabel.empty()) {
        app.ui.menus->openCodeItem.set_label(loaded.openCodeLabel);
    }

    ApplyPalette(app.records.palette, app.records.preferences.darkMode != 0);

    DatabaseLoadResult database = LoadDatabaseFile(app.records.location.dbFullPath);
    if (database.status != DatabaseReadStatus::Loaded) {
        ShowMessage(database.messageTitle, database.messageText);
        EndProgram(app);
    }
    app.records.document = std::move(database.document);

    Glib::set_application_name(kProgramTitle);
    app.ui.pictures.Decode();
    if (const auto icon = app.ui.pictures.Of(Picture::AppIcon)) {
        Gtk::Window::set_default_icon(icon);
    }
    Gtk::Settings::get_default()->property_gtk_button_images() = true;
    app.ui.transparent = Gdk::RGBA("rgba(255,255,255,0.0)");

    try {
        app.ui.mainWindow =
            std::make_unique<MainWindow>(ContextOf(app), app.records.preferences, monitor, MainHooks(app));
    } catch (const Glib::Error&) {
        app.ui.mainWindow.reset();
    }
    if (!app.ui.mainWindow) {
        ShowMessage(kProgramTitle, "Main-Window couldn't be created!");
        EndProgram(app);
    }
    app.ui.mainWindow->show();
    app.ui.settingsWindow =
        std::make_unique<SettingsWindow>(ContextOf(app), app.records.preferences, app.ui.mainWindow.get());
    app.ui.databaseInfoWindow = std::make_unique<DatabaseInfoWindow>(ContextOf(app));
    app.ui.updateWindow = std::make_unique<UpdateWindow>(ContextOf(app));
    RegisterMainWindowTexts(app);
    app.ui.databaseInfoWindow->RegisterTexts(app.ui.textTargets);
    app.ui.updateWindow->RegisterTexts(app.ui.textTargets);

    RebuildIndexTree(app);
    CountThemesAndEntries(app);
    FillDatabaseInfo(app);
    // The windows are built with German texts: the switch to the stored language (or the
    // locale's) changes the tree and every text, and shows it in the dialog's language box.
    if (const int stored = app.records.preferences.language; stored != 0) {
        app.records.preferences.language = 0;
        ApplyLanguage(app, stored, false);
    }
    LoadPlaces(app);
    ShowAboutAtFirstStart(app);

    MainWindow& window = *app.ui.mainWindow;
    window.Tree().SelectRow(0);
    app.services.queue.Post(WidgetEvent(WindowId::Main, WidgetId::IndexTree, WidgetEventType::Change));
    window.MainSplitter().set_position(app.records.preferences.splitter);
    window.Code().ShowLineNumbers(app.records.preferences.lineNumbers != 0);
    // The view is built at 100 %; a saved step comes back without the beep of a return to 100 %.
    if (const int zoom = app.records.preferences.zoom; zoom != kNormalZoomIndex) {
        app.records.zoom.current = app.records.zoom.lastApplied = zoom;
        ApplyZoom(app, window.Code().View(), zoom);
    }
    window.SearchEntry().grab_focus();
    // Once the window shows: the code the search may cover is read meanwhile.
    app.services.queue.Post(CommandEvent(WindowId::Main, Command::ReadCodeTexts));
}

void RunProgram(int argc, char** argv) {
    std::setlocale(LC_ALL, "");
    InitialiseGtk(&argc, &argv);
    const std::string folder = FindProgramFolder(argc > 0 ? argv[0] : nullptr);
    if (!folder.empty() && ::chdir(folder.c_str()) != 0) {
        std::exit(1);
    }
    Application app(folder);
    StartUp(app);
    RunEventLoop(app);
    EndProgram(app);
}

}  // namespace quillmate
