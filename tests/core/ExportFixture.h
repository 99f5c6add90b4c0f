// Shared by the export tests: the fixture library as index items and entries, a temporary
// folder, and reading files back.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/resource.h>

#include <csignal>
#include <cstdlib>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "base/ExportFile.h"
#include "database/Database.h"
#include "database/IndexRows.h"
#include "database/XmlDocument.h"
#include "viewer/Palette.h"
#include "viewer/WebExport.h"

namespace quillmate::test {

inline const std::string kExportData = std::string(QUILLMATE_SOURCE_DIR) + "/tests/data/export/";

// The index of a database as the exports see it: item i (level = row depth) and entry i.
struct ExportLibrary {
    std::shared_ptr<const XmlDocument> document;  // the entries view its texts
    std::vector<ExportItem> items;
    EntryList entries;
};

inline ExportLibrary LibraryFrom(XmlDocument read) {
    Palette palette;
    ApplyPalette(palette, false);
    const IndexTreeSettings settings{0, true, palette};
    ExportLibrary library;
    library.document = std::make_shared<const XmlDocument>(std::move(read));
    const XmlDocument& document = *library.document;
    std::string lastGroupTitle;
    int helpEntryIndex = 0;
    std::string dbVersion;
    IndexTreeState state{library.entries, lastGroupTitle, helpEntryIndex, dbVersion};
    IndexRows sink;
    if (document.HasHead()) {
        FillIndexTree(document, document.Head(), 0, settings, state, sink);
    }
    library.items = ExportItemsOf(sink);
    return library;
}

inline ExportLibrary LibraryFromFile(const std::string& path) {
    XmlReadResult read = ReadXmlFile(path);
    EXPECT_EQ(read.status, XmlReadStatus::Parsed) << path;
    return LibraryFrom(std::move(read.document));
}

inline ExportLibrary FixtureLibrary() {
    return LibraryFromFile(kExportData + "Export-Toc.xml");
}

inline std::string ReadWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// Compares an export's output with its golden file in tests/data/export/. With the environment
// variable QUILLMATE_UPDATE_GOLDEN=1 the golden file is rewritten instead (review the diff).
inline void ExpectGolden(const std::string& actual, const std::string& goldenName) {
    const std::string path = kExportData + goldenName;
    const char* update = std::getenv("QUILLMATE_UPDATE_GOLDEN");
    if (update != nullptr && std::string(update) == "1") {
        std::ofstream(path, std::ios::binary) << actual;
        return;
    }
    EXPECT_EQ(actual, ReadWholeFile(path)) << "golden file " << path;
}

// A fresh folder under the temporary folder, removed with its contents at the end.
class ExportFolder {
  public:
    ExportFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "quillmate-export-XXXXXX").string();
        if (::mkdtemp(pattern.data()) != nullptr) {
            m_path = pattern + "/";
        }
    }
    ~ExportFolder() {
        if (m_full) {
            ::setrlimit(RLIMIT_FSIZE, &m_sizeLimit);
            std::signal(SIGXFSZ, SIG_DFL);
        }
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    ExportFolder(const ExportFolder&) = delete;
    ExportFolder& operator=(const ExportFolder&) = delete;

    // Ends with "/".
    const std::string& Path() const { return m_path; }
    std::string Read(const std::string& name) const { return ReadWholeFile(m_path + name); }
    bool Has(const std::string& name) const { return std::filesystem::exists(m_path + name); }
    static constexpr char kPreviousVersion[] = "previous\n";
    // Writes `name` as kPreviousVersion, then lets no file of this process grow beyond a few
    // bytes while the folder exists, so that writes fail once the buffer is flushed as on a full
    // disk; false when the limit cannot be set.
    bool MakeFull(const std::string& name) {
        std::ofstream(m_path + name, std::ios::binary) << kPreviousVersion;
        if (::getrlimit(RLIMIT_FSIZE, &m_sizeLimit) != 0) {
            return false;
        }
        rlimit full = m_sizeLimit;
        full.rlim_cur = 16;
        std::signal(SIGXFSZ, SIG_IGN);
        m_full = ::setrlimit(RLIMIT_FSIZE, &full) == 0;
        return m_full;
    }

  private:
    std::string m_path;
    rlimit m_sizeLimit{};
    bool m_full = false;
};

// Collects the lines an export writes.
class CollectingWriter : public LineWriter {
  public:
    void WriteLine(std::string_view text) override { lines.emplace_back(text); }
    std::string Text() const {
        std::string text;
        for (const auto& line : lines) {
            text += line + "\n";
        }
        return text;
    }
    std::vector<std::string> lines;
};

}  // namespace quillmate::test
