#include "CodeViewHarness.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>
#include <sstream>

#include "app/Application.h"
#include "app/Dispatch.h"
#include "app/MainWindow.h"
#include "app/StartUp.h"

namespace quillmate::test {

std::string ReadTestData(const std::string& relativePath) {
    std::ifstream in(std::string(QUILLMATE_SOURCE_DIR) + "/tests/data/" + relativePath, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

CodeViewProgram::CodeViewProgram(const CodeViewSetup& setup) {
    FillSmallLibrary(m_folder);
    m_folder.WriteFile("Buttons/Simple.kx", setup.simpleCode);
    m_folder.WriteFile("Buttons/Label.kx", setup.labelCode);
    m_folder.WriteFile("Quillmate/ViewerHelp.txt", setup.helpText);
    m_folder.WritePreferences(
        {"db-path=" + m_folder.Path() + "Quillmate-Toc.xml", "Lib-path=", "about=1", "Language=0",
         "SearchHint=0", "SearchMode=0", "CodeMarks=" + std::to_string(setup.codeMarks), "FontName=Monospace",
         "FontSize=10", "SavePaths=1", "SourceInTitle=1", "SaveWinSetting=0", "DyeingNews=1",
         "DarkMode=" + std::to_string(setup.darkMode), "CodeEditorPath="});
    if (::chdir(m_folder.Path().c_str()) != 0) {
        ADD_FAILURE() << "cannot enter " << m_folder.Path();
    }
    m_app = std::make_unique<Application>(m_folder.Path());
    StartUp(*m_app);
    PumpUntil([&] { return Window().get_mapped(); });
    DispatchQueued();
}

CodeViewProgram::~CodeViewProgram() {
    for (const SeenDialog& seen : m_watcher.Seen()) {
        ADD_FAILURE() << "unexpected dialog " << seen.title << ": " << seen.text;
    }
}

MainWindow& CodeViewProgram::Window() {
    return *m_app->ui.mainWindow;
}

Gtk::TextView& CodeViewProgram::CodeView() {
    return Window().CodeView();
}

void CodeViewProgram::ShowRow(int row) {
    Window().Tree().SelectRow(row);
    m_app->services.queue.Post(WidgetEvent(WindowId::Main, WidgetId::IndexTree, WidgetEventType::Change));
    DispatchQueued();
}

void CodeViewProgram::DispatchQueued() {
    while (auto event = m_app->services.queue.Take()) {
        Dispatch(*m_app, *event);
    }
}

std::set<std::string> TagsAt(const Glib::RefPtr<Gtk::TextBuffer>& buffer, int offset) {
    std::set<std::string> names;
    for (const auto& tag : buffer->get_iter_at_offset(offset).get_tags()) {
        names.insert(tag->property_name().get_value());
    }
    return names;
}

std::vector<std::set<std::string>> TagsOfEveryCharacter(const Glib::RefPtr<Gtk::TextBuffer>& buffer) {
    std::vector<std::set<std::string>> result;
    for (int offset = 0; offset < buffer->get_char_count(); ++offset) {
        result.push_back(TagsAt(buffer, offset));
    }
    return result;
}

Glib::ustring SliceOf(const Glib::RefPtr<Gtk::TextBuffer>& buffer) {
    return buffer->get_slice(buffer->begin(), buffer->end(), true);
}

std::vector<int> AnchorOffsets(const Glib::RefPtr<Gtk::TextBuffer>& buffer) {
    std::vector<int> offsets;
    for (Gtk::TextIter at = buffer->begin(); !at.is_end(); at.forward_char()) {
        if (at.get_child_anchor()) {
            offsets.push_back(at.get_offset());
        }
    }
    return offsets;
}

}  // namespace quillmate::test
