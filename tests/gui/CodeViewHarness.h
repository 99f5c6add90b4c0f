// The real program on a temporary folder with chosen code files and settings, for tests of the
// code view: highlighting, links and zoom.
#pragma once

#include <gtkmm/textview.h>

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "GuiHarness.h"

namespace quillmate {
class Application;
class MainWindow;
}  // namespace quillmate

namespace quillmate::test {

// Rows of the small library's entries.
inline constexpr int kHelpRow = 2;    // "Quillmate/ViewerHelp.txt"
inline constexpr int kSimpleRow = 4;  // "Buttons/Simple.kx"
inline constexpr int kLabelRow = 5;   // "Buttons/Label.kx"

struct CodeViewSetup {
    std::string simpleCode;  // content of "Buttons/Simple.kx"
    std::string labelCode = "; Button with label\nText$ = \"Hello\" ; greeting\n";
    std::string helpText = "Help text\n; not a comment in a text file\nIf Add(1)\n";
    int codeMarks = 2;
    int darkMode = 0;
};

// The text of a fixture file under tests/data/.
std::string ReadTestData(const std::string& relativePath);

class CodeViewProgram {
  public:
    // Writes the library and the preferences, then runs the real start-up with the program folder
    // as working folder.
    explicit CodeViewProgram(const CodeViewSetup& setup);
    ~CodeViewProgram();
    CodeViewProgram(const CodeViewProgram&) = delete;
    CodeViewProgram& operator=(const CodeViewProgram&) = delete;

    Application& App() { return *m_app; }
    MainWindow& Window();
    Gtk::TextView& CodeView();
    Glib::RefPtr<Gtk::TextBuffer> Buffer() { return CodeView().get_buffer(); }
    const TempProgramFolder& Folder() const { return m_folder; }
    const DialogWatcher& Dialogs() const { return m_watcher; }

    // Selects the row as a user would and handles the queued events as the event loop does.
    void ShowRow(int row);
    void DispatchQueued();

  private:
    TempProgramFolder m_folder;
    DialogWatcher m_watcher;
    std::unique_ptr<Application> m_app;
};

// The names of the tags on the character at `offset`.
std::set<std::string> TagsAt(const Glib::RefPtr<Gtk::TextBuffer>& buffer, int offset);
// Tag names of every character, in order.
std::vector<std::set<std::string>> TagsOfEveryCharacter(const Glib::RefPtr<Gtk::TextBuffer>& buffer);
// The buffer's text with one U+FFFC for each child anchor, so that character offsets match.
Glib::ustring SliceOf(const Glib::RefPtr<Gtk::TextBuffer>& buffer);
// Character offsets of the child anchors.
std::vector<int> AnchorOffsets(const Glib::RefPtr<Gtk::TextBuffer>& buffer);

}  // namespace quillmate::test
