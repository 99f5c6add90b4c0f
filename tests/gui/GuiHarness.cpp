#include "GuiHarness.h"

#include <glibmm/main.h>
#include <gtkmm/aboutdialog.h>
#include <gtkmm/filechooserdialog.h>
#include <gtkmm/main.h>
#include <gtkmm/messagedialog.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <thread>

namespace quillmate::test {

namespace {

// Folders of this process that still exist. Exit tests end their child process through the
// program's own exit, which skips destructors: the folders are removed at exit instead.
std::vector<std::string>& LiveFolders() {
    static std::vector<std::string> folders;
    return folders;
}

void RemoveLiveFolders() {
    for (const std::string& folder : LiveFolders()) {
        std::error_code error;
        std::filesystem::remove_all(folder, error);
    }
}

}  // namespace

TempProgramFolder::TempProgramFolder(const std::string& levels) {
    // The list is made before the exit handler is registered, so that it outlives the handler.
    static const bool registered = (LiveFolders(), std::atexit(RemoveLiveFolders) == 0);
    (void)registered;
    std::string pattern = (std::filesystem::temp_directory_path() / "quillmate-gui-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("cannot create a temporary folder");
    }
    m_root = pattern + "/";
    m_path = m_root + levels;
    LiveFolders().push_back(m_root);
    std::filesystem::create_directories(m_path);
}

TempProgramFolder::~TempProgramFolder() {
    std::error_code error;
    std::filesystem::remove_all(m_root, error);
    std::erase(LiveFolders(), m_root);
}

void TempProgramFolder::WriteFile(const std::string& relativePath, const std::string& content) const {
    const std::filesystem::path path = m_path + relativePath;
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << content;
}

void TempProgramFolder::WritePreferences(const std::vector<std::string>& lines) const {
    std::string text = "\xEF\xBB\xBF\n";
    for (const auto& line : lines) {
        text += line + "\n";
    }
    WriteFile("QuillmateViewer.ini", text);
}

std::string TempProgramFolder::ReadFile(const std::string& relativePath) const {
    std::ifstream in(m_path + relativePath, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

namespace {

std::string FolderWithoutSlash(const std::string& folder) {
    return folder.size() > 1 && folder.back() == '/' ? folder.substr(0, folder.size() - 1) : folder;
}

}  // namespace

DialogWatcher::DialogWatcher(bool echo) : m_echo(echo) {
    m_timer = Glib::signal_timeout().connect(sigc::mem_fun(*this, &DialogWatcher::Poll), 30);
}

DialogWatcher::~DialogWatcher() {
    m_timer.disconnect();
}

bool DialogWatcher::Poll() {
    for (Gtk::Window* window : Gtk::Window::list_toplevels()) {
        if (!window->get_visible() || !window->get_mapped()) {
            continue;
        }
        if (auto* message = dynamic_cast<Gtk::MessageDialog*>(window)) {
            SeenDialog seen{"message", message->get_title(), message->property_text().get_value(),
                            message->get_allocated_width()};
            if (m_echo) {
                std::cerr << "DIALOG " << seen.title << ": " << seen.text << std::endl;
            }
            m_seen.push_back(seen);
            const bool question = message->get_widget_for_response(Gtk::RESPONSE_YES) != nullptr;
            message->response(question ? Gtk::RESPONSE_YES : Gtk::RESPONSE_OK);
        } else if (auto* about = dynamic_cast<Gtk::AboutDialog*>(window)) {
            SeenDialog seen{"about", about->get_program_name(), about->get_version()};
            if (m_echo) {
                std::cerr << "DIALOG about " << seen.title << ": " << seen.text << std::endl;
            }
            m_seen.push_back(seen);
            m_lastAboutLogo = static_cast<bool>(about->get_logo());
            about->response(Gtk::RESPONSE_DELETE_EVENT);
        } else if (auto* chooser = dynamic_cast<Gtk::FileChooserDialog*>(window)) {
            const bool folderAnswer =
                m_fileAnswer && chooser->get_action() == Gtk::FILE_CHOOSER_ACTION_SELECT_FOLDER;
            if (folderAnswer && chooser->get_current_folder() != FolderWithoutSlash(*m_fileAnswer)) {
                // A folder requester answers with the folder it shows, once it shows it.
                chooser->set_current_folder(*m_fileAnswer);
                continue;
            }
            SeenDialog seen{"file", chooser->get_title(), ""};
            if (m_echo) {
                std::cerr << "DIALOG " << seen.title << ": (file requester)" << std::endl;
            }
            m_seen.push_back(seen);
            if (folderAnswer) {
                chooser->response(Gtk::RESPONSE_ACCEPT);
            } else if (m_fileAnswer) {
                chooser->set_filename(*m_fileAnswer);
                chooser->response(Gtk::RESPONSE_ACCEPT);
            } else {
                chooser->response(Gtk::RESPONSE_CANCEL);
            }
        }
    }
    return true;
}

bool PumpUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (!done() && std::chrono::steady_clock::now() < end) {
        if (Gtk::Main::events_pending()) {
            Gtk::Main::iteration(false);
        } else {
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
    }
    return done();
}

void PumpFor(std::chrono::milliseconds duration) {
    PumpUntil([] { return false; }, duration);
}

void SendKey(Gtk::Window& window, guint keyval, GdkModifierType state) {
    // Widgets act on keys only while their window has the keyboard focus, which another
    // program on the same display may hold: the window is told it has it.
    GdkEvent* focus = gdk_event_new(GDK_FOCUS_CHANGE);
    focus->focus_change.window = GDK_WINDOW(g_object_ref(window.get_window()->gobj()));
    focus->focus_change.send_event = TRUE;
    focus->focus_change.in = TRUE;
    gdk_event_set_device(focus,
                         gdk_seat_get_keyboard(gdk_display_get_default_seat(gdk_display_get_default())));
    gtk_main_do_event(focus);
    gdk_event_free(focus);
    for (const GdkEventType type : {GDK_KEY_PRESS, GDK_KEY_RELEASE}) {
        GdkEvent* event = gdk_event_new(type);
        event->key.window = GDK_WINDOW(g_object_ref(window.get_window()->gobj()));
        event->key.send_event = TRUE;
        event->key.time = GDK_CURRENT_TIME;
        event->key.keyval = keyval;
        event->key.state = state;
        GdkKeymapKey* keys = nullptr;
        gint count = 0;
        if (gdk_keymap_get_entries_for_keyval(gdk_keymap_get_for_display(gdk_display_get_default()), keyval,
                                              &keys, &count) &&
            count > 0) {
            event->key.hardware_keycode = static_cast<guint16>(keys[0].keycode);
        }
        g_free(keys);
        gdk_event_set_device(event,
                             gdk_seat_get_keyboard(gdk_display_get_default_seat(gdk_display_get_default())));
        gtk_main_do_event(event);
        gdk_event_free(event);
    }
}

std::string SmallDatabase() {
    return R"(<?xml version="1.0" encoding="UTF-8"?>
<Library title="Test library" descript_de="Test Bibliothek vom 2026-12-01 fertig">
  Head text
  <Theme title="Quillmate">Own theme
    <Entry File="/Quillmate/ViewerHelp.txt" theme_de="Hilfe" theme_en="Help" theme_fr="Aide"
           descript_de="Hilfe zum Viewer" descript_en="Viewer help" descript_fr="Aide du viewer"/>
  </Theme>
  <Theme title="Buttons">Buttons text
    <Entry File="/Buttons/Simple.kx" theme_de="gtk_button_new" theme_en="gtk_button_new" theme_fr="gtk_button_new"
           descript_de="Ein Knopf" descript_en="A button" descript_fr="Un bouton"/>
    <Entry File="/Buttons/Label.kx" theme_de="✰gtk_button_new_with_label" theme_en="gtk_button_new_with_label"
           theme_fr="gtk_button_new_with_label" descript_de="Knopf mit Text" descript_en="Button with label"
           descript_fr="Bouton avec texte"/>
    <Entry File="/Buttons/Missing.kx" theme_de="gtk_button_missing" theme_en="gtk_button_missing"
           theme_fr="gtk_button_missing" descript_de="Fehlt" descript_en="Missing" descript_fr="Manque"/>
  </Theme>
</Library>
)";
}

void FillSmallLibrary(const TempProgramFolder& folder, const std::vector<std::string>& extraPreferences) {
    folder.WriteFile("Quillmate-Toc.xml", SmallDatabase());
    folder.WriteFile("Quillmate/ViewerHelp.txt", "Help text\nSecond line\n");
    folder.WriteFile("Buttons/Simple.kx", "; Simple button\nOpenWindow()\n");
    folder.WriteFile(
        "Buttons/Label.kx",
        "\xEF\xBB\xBF; Button with label\nText$ = \"Hello\"\n; IDE Options = Korvex\n; EnableUnicode\n");
    std::vector<std::string> lines = {"db-path=" + folder.Path() + "Quillmate-Toc.xml",
                                      "Lib-path=",
                                      "about=1",
                                      "Language=0",
                                      "SearchHint=0",
                                      "SearchMode=0",
                                      "CodeMarks=0",
                                      "FontName=Monospace",
                                      "FontSize=10",
                                      "SavePaths=1",
                                      "SourceInTitle=1",
                                      "SaveWinSetting=0",
                                      "DyeingNews=1",
                                      "DarkMode=0",
                                      "CodeEditorPath=",
                                      "LineNumbers=0",
                                      "Zoom=3"};
    // An extra line replaces the standard line of the same key.
    for (const auto& extra : extraPreferences) {
        const std::string key = extra.substr(0, extra.find('=') + 1);
        std::erase_if(lines, [&key](const std::string& line) { return line.starts_with(key); });
    }
    lines.insert(lines.end(), extraPreferences.begin(), extraPreferences.end());
    folder.WritePreferences(lines);
}

std::string ReadTestData(const std::string& relativePath) {
    std::ifstream in(std::string(QUILLMATE_SOURCE_DIR) + "/tests/data/" + relativePath, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

}  // namespace quillmate::test
