// Helpers for GUI tests: a temporary program folder, a watcher that answers message boxes and
// file requesters, main-loop pumping and synthetic key presses.
#pragma once

#include <gtkmm/window.h>

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace quillmate::test {

// A fresh program folder under /tmp, removed with everything in it on destruction.
class TempProgramFolder {
  public:
    // The program folder lies `levels` folders ("Quillmate/bin/") below the temporary folder,
    // so that the folders the admin tools use two levels above it lie inside it as well.
    explicit TempProgramFolder(const std::string& levels = "");
    ~TempProgramFolder();
    TempProgramFolder(const TempProgramFolder&) = delete;
    TempProgramFolder& operator=(const TempProgramFolder&) = delete;

    // Folder path ending with "/".
    const std::string& Path() const { return m_path; }
    // The temporary folder itself, ending with "/" (the program folder unless created with levels).
    const std::string& Root() const { return m_root; }
    void WriteFile(const std::string& relativePath, const std::string& content) const;
    // A preferences file (with byte-order mark) holding the given lines.
    void WritePreferences(const std::vector<std::string>& lines) const;
    std::string ReadFile(const std::string& relativePath) const;

  private:
    std::string m_root;
    std::string m_path;
};

struct SeenDialog {
    std::string kind;  // "message", "file" or "about" (title: program name, text: version)
    std::string title;
    std::string text;
    int width = 0;  // as it was shown
};

// Answers every message box (OK, or Yes for questions), about dialog (closed) and file requester
// (cancel, or the given file) that appears while the main loop runs, and records what it saw. With `echo`,
// each dialog is also written to standard error as "DIALOG <title>: <text>" (for exit tests).
class DialogWatcher {
  public:
    explicit DialogWatcher(bool echo = false);
    ~DialogWatcher();
    DialogWatcher(const DialogWatcher&) = delete;
    DialogWatcher& operator=(const DialogWatcher&) = delete;

    void ChooseFile(std::string path) { m_fileAnswer = std::move(path); }
    const std::vector<SeenDialog>& Seen() const { return m_seen; }
    // Whether the last about dialog seen had a logo.
    bool LastAboutHadLogo() const { return m_lastAboutLogo; }

  private:
    bool Poll();

    bool m_echo;
    std::optional<std::string> m_fileAnswer;
    std::vector<SeenDialog> m_seen;
    bool m_lastAboutLogo = false;
    sigc::connection m_timer;
};

// Runs the main loop until `done` is true or the time is up; returns `done()`.
bool PumpUntil(const std::function<bool()>& done,
               std::chrono::milliseconds timeout = std::chrono::seconds(10));
// Runs the main loop for a while.
void PumpFor(std::chrono::milliseconds duration);
// Delivers a key press (and release) to the window as if typed.
void SendKey(Gtk::Window& window, guint keyval, GdkModifierType state = GdkModifierType(0));

// A small database: head, two themes, four entries (one with a missing file).
std::string SmallDatabase();
// Its rows.
inline constexpr int kHeadRow = 0;
inline constexpr int kOwnThemeRow = 1;
inline constexpr int kHelpRow = 2;          // "/Quillmate/ViewerHelp.txt"
inline constexpr int kButtonsThemeRow = 3;  // no file
inline constexpr int kSimpleRow = 4;        // "/Buttons/Simple.kx", "gtk_button_new"
inline constexpr int kLabelRow = 5;         // "/Buttons/Label.kx", "gtk_button_new_with_label"
inline constexpr int kMissingRow = 6;       // "/Buttons/Missing.kx", not written
// Writes SmallDatabase, its code files and a preferences file pointing at it; the extra
// preferences lines replace the standard ones of the same key.
void FillSmallLibrary(const TempProgramFolder& folder, const std::vector<std::string>& extraPreferences = {});
// The text of a fixture file under tests/data/.
std::string ReadTestData(const std::string& relativePath);

}  // namespace quillmate::test
