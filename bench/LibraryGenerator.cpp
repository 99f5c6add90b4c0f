// Generator of synthetic libraries (see LibraryGenerator.h).
#include "bench/LibraryGenerator.h"

#include <stdlib.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <fstream>
#include <string_view>

#include "viewer/CodeFile.h"

namespace quillmate {

namespace {

// splitmix64: small, fast and identical on every platform, unlike the standard distributions.
class Random {
  public:
    explicit Random(std::uint64_t seed) : m_state(seed) {}
    std::uint64_t Next() {
        std::uint64_t z = (m_state += 0x9E3779B97F4A7C15ULL);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }
    int Below(int bound) {
        return bound <= 0 ? 0 : static_cast<int>(Next() % static_cast<std::uint64_t>(bound));
    }
    bool Percent(int percent) { return Below(100) < percent; }
    template <typename Array>
    const auto& Pick(const Array& array) {
        return array[static_cast<std::size_t>(Below(static_cast<int>(std::size(array))))];
    }

  private:
    std::uint64_t m_state;
};

constexpr std::string_view kNewMark = "\xE2\x9C\xB0";
constexpr std::string_view kChangedMark = "\xE2\x86\xBA";

constexpr std::array<std::string_view, 24> kWidgets = {
    "GtkButton",         "GtkLabel",       "GtkEntry",       "GtkTreeView",    "GtkTextView", "GtkComboBox",
    "GtkSpinner",        "GtkScale",       "GtkNotebook",    "GtkPaned",       "GtkGrid",     "GtkHeaderBar",
    "GtkPopover",        "GtkRevealer",    "GtkStack",       "GtkListBox",     "GtkFlowBox",  "GtkMenuButton",
    "GtkScrolledWindow", "GtkDrawingArea", "GtkFileChooser", "GtkColorButton", "GtkSwitch",   "GtkInfoBar"};
constexpr std::array<std::string_view, 8> kThemeWordsDe = {"Knöpfe",  "Fenster", "Listen",  "Zeichnen",
                                                           "Dialoge", "Menüs",   "Eingabe", "Layout"};
constexpr std::array<std::string_view, 8> kThemeWordsEn = {"Buttons", "Windows", "Lists", "Drawing",
                                                           "Dialogs", "Menus",   "Input", "Layout"};
constexpr std::array<std::string_view, 8> kThemeWordsFr = {"Boutons",   "Fenêtres", "Listes", "Dessin",
                                                           "Dialogues", "Menus",    "Saisie", "Mise en page"};
constexpr std::array<std::string_view, 6> kActionsDe = {"mit Bild",         "einfach",   "und Signale",
                                                        "mit CSS & Farben", "im Dialog", "mit Tastatur"};
constexpr std::array<std::string_view, 6> kActionsEn = {"with image",         "simple",      "and signals",
                                                        "with CSS & colours", "in a dialog", "with keyboard"};
constexpr std::array<std::string_view, 6> kActionsFr = {
    "avec image", "simple", "et signaux", "avec CSS & couleurs", "dans un dialogue", "au clavier"};
constexpr std::array<std::string_view, 6> kHints = {" [>=gtk3.10]", " [gtk3]",      " [>gtk3.20]",
                                                    " [gtk2]",      " [>=gtk3.16]", ""};
constexpr std::array<std::string_view, 5> kSentencesDe = {
    "Zeigt, wie man das Widget erzeugt und anzeigt.", "Verbindet ein Signal mit einer Prozedur.",
    "Ändert Eigenschaften zur Laufzeit.", "Benutzt eine <Markup>-Beschriftung mit \"Anführungszeichen\".",
    "Liest den Zustand aus und gibt ihn im Debug-Fenster aus."};
constexpr std::array<std::string_view, 5> kSentencesEn = {
    "Shows how to create and show the widget.", "Connects a signal to a procedure.",
    "Changes properties at run time.", "Uses a <markup> label with \"quotes\".",
    "Reads the state and prints it in the debug window."};
constexpr std::array<std::string_view, 5> kSentencesFr = {
    "Montre comment créer et afficher le widget.", "Connecte un signal à une procédure.",
    "Modifie les propriétés à l'exécution.", "Utilise une étiquette <markup> avec des \"guillemets\".",
    "Lit l'état et l'affiche dans la fenêtre de débogage."};

void AppendEscaped(std::string& out, std::string_view text) {
    for (const char c : text) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            default:
                out += c;
        }
    }
}

void AppendAttribute(std::string& out, std::string_view name, std::string_view value) {
    out += ' ';
    out += name;
    out += "=\"";
    AppendEscaped(out, value);
    out += '"';
}

std::string Description(Random& random, const std::array<std::string_view, 5>& sentences) {
    std::string text;
    const int count = 1 + random.Below(3);
    for (int i = 0; i < count; ++i) {
        if (i > 0) {
            text += ' ';
        }
        text += random.Pick(sentences);
    }
    return text;
}

std::string Number(int value, int width) {
    std::string digits = std::to_string(value);
    return std::string(digits.size() < static_cast<std::size_t>(width) ? width - digits.size() : 0, '0') +
           digits;
}

// "FlowBox" -> "flow_box", as in the GTK function names.
std::string SnakeCase(std::string_view name) {
    std::string out;
    for (const char c : name) {
        if (c >= 'A' && c <= 'Z') {
            if (!out.empty()) {
                out += '_';
            }
            out += static_cast<char>(c - 'A' + 'a');
        } else {
            out += c;
        }
    }
    return out;
}

struct EntryText {
    std::string de, en, fr, descriptDe, descriptEn, descriptFr, file;
};

EntryText MakeEntry(Random& random, const std::string& folder, int number) {
    EntryText entry;
    const int action = random.Below(static_cast<int>(kActionsDe.size()));
    const std::string_view widget = random.Pick(kWidgets);
    const std::string_view hint = random.Percent(15) ? random.Pick(kHints) : std::string_view();
    std::string_view mark;
    if (random.Percent(3)) {
        mark = kNewMark;
    } else if (random.Percent(2)) {
        mark = kChangedMark;
    }
    entry.de =
        std::string(mark) + std::string(widget) + " " + std::string(kActionsDe[action]) + std::string(hint);
    entry.en =
        std::string(mark) + std::string(widget) + " " + std::string(kActionsEn[action]) + std::string(hint);
    entry.fr =
        std::string(mark) + std::string(widget) + " " + std::string(kActionsFr[action]) + std::string(hint);
    entry.descriptDe = Description(random, kSentencesDe);
    entry.descriptEn = Description(random, kSentencesEn);
    entry.descriptFr = Description(random, kSentencesFr);
    entry.file = "/" + folder + "/" + std::string(widget.substr(3)) + "_" + Number(number, 5) +
                 (random.Percent(10) ? ".kxi" : ".kx");
    return entry;
}

void AppendEntryStart(std::string& out, const EntryText& entry, int indent) {
    out.append(static_cast<std::size_t>(indent), ' ');
    out += "<Entry";
    AppendAttribute(out, "theme_de", entry.de);
    AppendAttribute(out, "theme_en", entry.en);
    AppendAttribute(out, "theme_fr", entry.fr);
    AppendAttribute(out, "descript_de", entry.descriptDe);
    AppendAttribute(out, "descript_en", entry.descriptEn);
    AppendAttribute(out, "descript_fr", entry.descriptFr);
    AppendAttribute(out, "File", entry.file);
}

}  // namespace

std::string GenerateDatabaseText(const LibraryOptions& options, std::vector<std::string>* codeFiles) {
    Random random(options.seed);
    const int themes = options.themeCount < 1 ? 1 : options.themeCount;
    std::string out;
    out.reserve(static_cast<std::size_t>(options.entryCount) * 700 + 4096);
    out += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    out += "<!-- Generated table of contents for benchmarks -->\n";
    out += "<Quillmate_Toc";
    AppendAttribute(out, "title", "Korvex GTK Library");
    AppendAttribute(out, "descript_de", "Korvex GTK Beispiele 2024-05-01 generiert");
    AppendAttribute(out, "descript_en", "Korvex GTK examples, generated");
    AppendAttribute(out, "descript_fr", "Exemples Korvex GTK, générés");
    out += ">\n  Generated library of " + std::to_string(options.entryCount) + " entries\n";

    int written = 0;
    for (int theme = 0; theme < themes; ++theme) {
        // Entries are spread evenly; the first themes take the remainder.
        const int count = options.entryCount / themes + (theme < options.entryCount % themes ? 1 : 0);
        const std::size_t word = static_cast<std::size_t>(theme) % kThemeWordsDe.size();
        const std::string folder =
            theme == 0 ? "Quillmate" : std::string(kThemeWordsEn[word]) + Number(theme, 3);
        out += "  <Theme";
        AppendAttribute(out, "name",
                        theme == 0 ? "Quillmate" : std::string(kThemeWordsDe[word]) + " " + Number(theme, 3));
        AppendAttribute(out, "descript_de", std::string(kThemeWordsDe[word]) + " und mehr");
        AppendAttribute(out, "descript_en", std::string(kThemeWordsEn[word]) + " and more");
        AppendAttribute(out, "descript_fr", std::string(kThemeWordsFr[word]) + " et plus");
        out += ">\n    ";
        AppendEscaped(out, "Examples of the theme " + folder + " (" + std::to_string(count) + " entries)");
        out += "\n";
        bool open = false;
        for (int i = 0; i < count; ++i) {
            EntryText entry = MakeEntry(random, folder, written);
            if (theme == 0 && i == 0) {
                entry.de = "Hilfe zum Viewer";
                entry.en = "Viewer help";
                entry.fr = "Aide du visualiseur";
                entry.file = "/Quillmate/ViewerHelp.txt";
            }
            if (codeFiles != nullptr) {
                codeFiles->push_back(entry.file);
            }
            ++written;
            if (random.Percent(4)) {
                out += "    <!-- reviewed -->\n";
            }
            // About one entry in thirty gets a nested sub-entry (the next one).
            const bool nested = open;
            AppendEntryStart(out, entry, nested ? 6 : 4);
            const bool opensChild = !nested && i + 1 < count && random.Percent(3);
            if (opensChild) {
                out += ">\n";
                open = true;
                continue;
            }
            out += "/>\n";
            if (nested) {
                out += "    </Entry>\n";
                open = false;
            }
        }
        if (open) {
            out += "    </Entry>\n";
        }
        out += "  </Theme>\n";
    }
    out += "</Quillmate_Toc>\n";
    return out;
}

std::string GenerateCodeFileText(std::uint64_t seed, int lines) {
    Random random(seed * 0x2545F4914F6CDD1DULL + 7);
    std::string out;
    if (random.Percent(30)) {
        out += "\xEF\xBB\xBF";
    }
    const std::string_view widget = random.Pick(kWidgets);
    const std::string name(widget.substr(3));
    out += "; Korvex example: " + std::string(widget) + " – Beispiel für Knöpfe\n";
    out += "; Link to topic:   https://docs.gtk.org/gtk3/class." + name + ".html\n";
    out += "EnableExplicit\n\n";
    out += "#Window_Main = 0\n#Gadget_" + name +
           " = 1\n#Flags = #PB_Window_SystemMenu | #PB_Window_ScreenCentered\n\n";
    out += "ImportC \"\"\n";
    out += "  gtk_widget_show_all(*widget)\n";
    out += "  gtk_" + SnakeCase(name) + "_new()\n";
    out += "  g_signal_connect_data(*instance, signal.p-utf8, *handler, *data, *destroy, flags)\n";
    out += "EndImport\n\n";
    int written = 16;
    int procedure = 0;
    std::vector<std::string> procedures;
    while (written < lines - 14) {
        const std::string proc = "Handle" + name + std::to_string(procedure++);
        procedures.push_back(proc);
        out += (random.Percent(30) ? "ProcedureC " : "Procedure.i ") + proc + "(*widget, value.i)\n";
        out += "  Protected text.s = \"Value; \" + Str(value) ; comment after code\n";
        const int body = 2 + random.Below(10);
        for (int i = 0; i < body; ++i) {
            switch (random.Below(5)) {
                case 0:
                    out += "  If value > " + std::to_string(random.Below(100)) +
                           " And *widget\n    Debug \"big: \" + text\n  EndIf\n";
                    written += 3;
                    break;
                case 1:
                    out += "  ; Kommentar mit \"Anführungszeichen\" und #Konstante\n";
                    written += 1;
                    break;
                case 2:
                    out += "  gtk_widget_show_all(*widget)\n";
                    written += 1;
                    break;
                case 3:
                    if (procedures.size() > 1) {
                        out += "  " +
                               procedures[static_cast<std::size_t>(
                                   random.Below(static_cast<int>(procedures.size()) - 1))] +
                               "(*widget, value - 1)\n";
                    } else {
                        out += "  value + #Gadget_" + name + "\n";
                    }
                    written += 1;
                    break;
                default:
                    out += "  For i = 0 To 10 Step 2\n    value + i\n  Next\n";
                    written += 3;
                    break;
            }
        }
        out += "  ProcedureReturn value\nEndProcedure\n\n";
        written += 5;
    }
    out += "If OpenWindow(#Window_Main, 100, 100, 320, 200, \"" + std::string(widget) + "; demo\", #Flags)\n";
    for (const auto& proc : procedures) {
        out += "  " + proc + "(WindowID(#Window_Main), 1)\n";
    }
    out += "  Repeat\n  Until WaitWindowEvent() = #PB_Event_CloseWindow\nEndIf\n";
    out += "; IDE Options = Korvex 6.10 LTS (Linux - x64)\n";
    out += "; CursorPosition = " + std::to_string(random.Below(lines + 1)) + "\n";
    out += "; FirstLine = 1\n";
    if (random.Percent(60)) {
        out += "; EnableUnicode\n";
    }
    out += random.Percent(80) ? "; SubSystem = gtk3\n" : "; SubSystem = gtk2\n";
    out += "; EnableXP\n";
    return out;
}

bool WriteLibrary(const std::string& folder, const LibraryOptions& options, GeneratedLibrary& library) {
    library.folder = folder.empty() || folder.back() == '/' ? folder : folder + "/";
    library.dbFullPath = library.folder + "Quillmate-Toc.xml";
    library.codeFiles.clear();
    const std::string database = GenerateDatabaseText(options, &library.codeFiles);
    {
        std::ofstream file(library.dbFullPath, std::ios::binary);
        if (!(file << database)) {
            return false;
        }
    }
    if (!options.writeCodeFiles) {
        return true;
    }
    Random random(options.seed ^ 0xC0DEULL);
    std::uint64_t number = 0;
    for (const auto& relative : library.codeFiles) {
        const std::filesystem::path path = library.folder + relative.substr(1);
        std::error_code error;
        std::filesystem::create_directories(path.parent_path(), error);
        std::ofstream file(path, std::ios::binary);
        const int span = options.maxCodeLines - options.minCodeLines;
        const int lines = options.minCodeLines + random.Below(span + 1);
        const std::string text = relative.ends_with("ViewerHelp.txt")
                                     ? std::string("Quillmate viewer help\n\nPick an entry on the left.\n")
                                     : GenerateCodeFileText(options.seed + number, lines);
        ++number;
        if (!(file << text)) {
            return false;
        }
    }
    return true;
}

std::string RepeatedLibraryText(const std::string& libraryFolder, int lines) {
    std::vector<std::string> paths;
    std::error_code error;
    for (const auto& item : std::filesystem::recursive_directory_iterator(libraryFolder, error)) {
        const std::string path = item.path().string();
        if (item.is_regular_file() && IsAcceptedExtension(ExtensionOf(path))) {
            paths.push_back(path);
        }
    }
    std::sort(paths.begin(), paths.end());
    std::string library;
    for (const std::string& path : paths) {
        const CodeFileLoad load = LoadCodeFileText(path);
        if (load.outcome == CodeFileOutcome::Loaded && !load.text.empty()) {
            library += load.text + "\n";
        }
    }
    if (library.empty()) {
        return "";
    }
    std::string text;
    int count = 0;
    for (std::size_t at = 0; count < lines; at = (at + 1) % library.size()) {
        if (library[at] == '\n' && ++count == lines) {
            break;
        }
        text += library[at];
    }
    return text;
}

std::string MakeTemporaryFolder(const std::string& prefix) {
    std::string pattern = (std::filesystem::temp_directory_path() / (prefix + "-XXXXXX")).string();
    return mkdtemp(pattern.data()) != nullptr ? pattern : std::string();
}

void RemoveFolder(const std::string& folder) {
    std::error_code ignored;
    if (!folder.empty()) {
        std::filesystem::remove_all(folder, ignored);
    }
}

}  // namespace quillmate
