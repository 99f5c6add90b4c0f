#include "app/StartUp.h"

#include <gdkmm/monitor.h>
#include <glibmm/miscutils.h>
#include <gtk/gtk.h>
#include <gtkmm/filechooserdialog.h>
#include <gtkmm/main.h>
#include <gtkmm/settings.h>
#include <pangomm/context.h>
#include <unistd.h>

#include <algorithm>
#include <clocale>
#include <cstdlib>
#include <vector>

#include "app/Application.h"
#include "app/ErrorTrap.h"
#include "app/EventLoop.h"
#include "app/FontSetting.h"
#include "app/MainActions.h"
#include "app/MainWindow.h"
#include "app/MessageBox.h"
#include "base/Paths.h"
#include "database/IndexTreeActions.h"
#include "settings/AboutDialogs.h"
#include "settings/LanguageSwitch.h"
#include "settings/SettingsDialog.h"
#include "settings/UpdateWindow.h"

namespace quillmate {
namespace {

// The fixed names and the built-in defaults, in force until the preferences are read.
void SetDefaults(Application& app) {
    app.preferences = Preferences{};
    app.location = DatabaseLocation{};
    app.location.dbFileName = kDefaultDbFileName;
    app.location.dbFolder = app.state.programFolder;
    app.location.libPath = app.state.programFolder;
    app.zoom = ZoomState{};
}

// The code font and the bold heading font, both taken from the desktop's "gtk-font-name".
void LoadFonts(Application& app) {
    app.codeFont = Pango::FontDescription("Monospace 10");
    const Glib::ustring desktopFont = Gtk::Settings::get_default()->property_gtk_font_name().get_value();
    const FontChoice choice = ParseDesktopFontName(desktopFont.raw());
    app.headingFont = Pango::FontDescription(choice.family + " bold");
    app.headingFont.set_size(choice.size * PANGO_SCALE);
}

DesktopSize FirstMonitorSize() {
    const auto display = Gdk::Display::get_default();
    if (!display || display->get_n_monitors() < 1) {
        return {};
    }
    Gdk::Rectangle geometry;
    display->get_monitor(0)->get_geometry(geometry);
    return DesktopSize{geometry.get_width(), geometry.get_height()};
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

bool FontFamilyExists(const std::string& family) {
    if (family.empty()) {
        return false;
    }
    const auto context = Glib::wrap(gdk_pango_context_get());
    const auto lower = Glib::ustring(family).lowercase();
    // Fontconfig's generic names always resolve to some installed font.
    if (lower == "monospace" || lower == "sans" || lower == "serif" || lower == "sans-serif") {
        return true;
    }
    for (const auto& fontFamily : context->list_families()) {
        if (fontFamily->get_name().lowercase() == lower) {
            return true;
        }
    }
    return false;
}

std::optional<std::string> ChooseDatabaseFile(const DatabaseRequest& request, const std::string& folder) {
    Gtk::FileChooserDialog dialog(request.title, Gtk::FILE_CHOOSER_ACTION_OPEN);
    dialog.add_button("_Cancel", Gtk::RESPONSE_CANCEL);
    dialog.add_button("_Open", Gtk::RESPONSE_ACCEPT);
    auto filter = Gtk::FileFilter::create();
    filter->set_name(request.filterLabel);
    filter->add_pattern(request.filterPattern);
    dialog.add_filter(filter);
    dialog.set_filter(filter);
    if (!folder.empty() && IsDirectory(folder)) {
        dialog.set_current_folder(folder);
        if (IsRegularFile(folder + request.proposedFile)) {
            dialog.set_filename(folder + request.proposedFile);
        }
    }
    if (dialog.run() != Gtk::RESPONSE_ACCEPT) {
        return std::nullopt;
    }
    const std::string chosen = dialog.get_filename();
    return chosen.empty() ? std::nullopt : std::optional<std::string>(chosen);
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
    gtk_init(argc, argv);
    Gtk::Main::init_gtkmm_internals();
}

void StartUp(Application& app) {
    SetDefaults(app);
    LoadFonts(app);
    app.menus = BuildPopupMenus(app.queue);
    InstallErrorTrap();
    const DesktopSize desktop = FirstMonitorSize();

    SettleHooks hooks;
    hooks.chooseDatabaseFile = [&app](const DatabaseRequest& request) {
        return ChooseDatabaseFile(request, app.state.programFolder);
    };
    hooks.showMessage = ShowMessage;
    hooks.askYesNo = AskYesNo;
    const PreferencesLoad loaded = SettleDatabaseLocation(
        app.state.programFolder + kPreferencesFileName, desktop,
        [](const std::string& family, int) { return FontFamilyExists(family); }, hooks, app.preferences,
        app.location);
    if (loaded.loadCodeFont) {
        app.codeFont = Pango::FontDescription(app.preferences.fontName);
        app.codeFont.set_size(app.preferences.fontSize * PANGO_SCALE);
    }
    if (!loaded.openCodeLabel.empty()) {
        app.menus->openCodeItem.set_label(loaded.openCodeLabel);
    }

    ApplyPalette(app.palette, app.preferences.darkMode != 0);

    DatabaseLoadResult database = LoadDatabaseFile(app.location.dbFullPath);
    if (database.status != DatabaseReadStatus::Loaded) {
        ShowMessage(database.messageTitle, database.messageText);
        EndProgram(app);
    }
    app.document = std::move(database.document);

    Glib::set_application_name(kProgramTitle);
    app.DecodePictures();
    if (const auto icon = app.PictureOf(Picture::AppIcon)) {
        Gtk::Window::set_default_icon(icon);
    }
    Gtk::Settings::get_default()->property_gtk_button_images() = true;
    app.transparent = Gdk::RGBA("rgba(255,255,255,0.0)");

    try {
        app.mainWindow = std::make_unique<MainWindow>(app);
    } catch (const Glib::Error&) {
        app.mainWindow.reset();
    }
    if (!app.mainWindow) {
        ShowMessage(kProgramTitle, "Main-Window couldn't be created!");
        EndProgram(app);
    }
    app.mainWindow->show();
    app.settingsWindow = std::make_unique<SettingsWindow>(app);
    app.databaseInfoWindow = std::make_unique<DatabaseInfoWindow>(app);
    app.updateWindow = std::make_unique<UpdateWindow>(app);
    RegisterMainWindowTexts(app);
    app.databaseInfoWindow->RegisterTexts(app.textTargets);
    app.updateWindow->RegisterTexts(app.textTargets);

    RebuildIndexTree(app);
    CountThemesAndEntries(app);
    FillDatabaseInfo(app);
    app.onDatabaseReloaded = [&app] { FillDatabaseInfo(app); };
    // The windows are built with German texts; the settings dialog's language chooser shows the
    // stored language, to which the switch then changes the tree and every text.
    if (app.preferences.language != 0) {
        app.preferences.language = 0;
        ApplyLanguage(app, false);
    }
    ShowAboutAtFirstStart(app);

    MainWindow& window = *app.mainWindow;
    window.Tree().SelectRow(0);
    app.queue.Post(WidgetEvent(WindowId::Main, WidgetId::IndexTree, WidgetEventType::Change));
    window.MainSplitter().set_position(app.preferences.splitter);
    window.SearchEntry().grab_focus();
}

int RunProgram(int argc, char** argv) {
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
