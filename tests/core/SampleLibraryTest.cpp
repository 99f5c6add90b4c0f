// The bundled sample library: every entry's code file exists and loads, and the library shows
// every feature the viewer has.
#include <gtest/gtest.h>

#include <memory>
#include <set>

#include "database/Database.h"
#include "database/IndexRows.h"
#include "viewer/CodeFile.h"
#include "viewer/Highlighter.h"

namespace quillmate {
namespace {

const std::string kLibrary = std::string(QUILLMATE_SOURCE_DIR) + "/library/";

struct LoadedLibrary {
    std::unique_ptr<XmlDocument> document;  // the entries view its texts
    EntryList entries;
    IndexRows rows;
};

LoadedLibrary LoadSampleLibrary() {
    LoadedLibrary library;
    DatabaseLoadResult result = LoadDatabaseFile(kLibrary + "Quillmate-Toc.xml");
    EXPECT_EQ(result.status, DatabaseReadStatus::Loaded) << result.messageText;
    library.document = std::make_unique<XmlDocument>(std::move(result.document));
    const XmlDocument& document = *library.document;
    Palette palette;
    ApplyPalette(palette, false);
    std::string lastGroupTitle;
    int helpEntry = 0;
    std::string dbVersion;
    IndexTreeState state{library.entries, lastGroupTitle, helpEntry, dbVersion};
    FillIndexTree(document, document.Head(), 0, IndexTreeSettings{0, true, palette}, state, library.rows);
    EXPECT_NE(helpEntry, 0);
    EXPECT_EQ(dbVersion.size(), 10u) << "the head's fourth word is the library's date";
    return library;
}

TEST(SampleLibraryTest, EveryEntryFileExistsAndLoads) {
    const LoadedLibrary library = LoadSampleLibrary();
    ASSERT_GE(library.entries.size(), 60u);
    int files = 0;
    for (const DbEntry& entry : library.entries) {
        if (entry.file.empty()) {
            continue;
        }
        ++files;
        const CodeFileLoad load = LoadCodeFileText(CodeFileFullPath(kLibrary, entry.file));
        EXPECT_EQ(load.outcome, CodeFileOutcome::Loaded) << entry.file;
        EXPECT_FALSE(load.text.empty()) << entry.file;
    }
    EXPECT_GE(files, 60);
}

TEST(SampleLibraryTest, CountsOfThemesAndEntries) {
    const LoadedLibrary library = LoadSampleLibrary();
    const IndexCounts counts = CountThemesAndEntries(library.rows, library.entries);
    EXPECT_GE(counts.themes, 10);
    EXPECT_GE(counts.entries, 60);
}

TEST(SampleLibraryTest, CoversTheViewersFeatures) {
    const LoadedLibrary library = LoadSampleLibrary();
    std::set<std::string> extensions;
    bool utf8Mark = false;
    bool noMark = false;
    bool unicode = false;
    bool gtk2 = false;
    bool gtk3 = false;
    bool link = false;
    bool newMark = false;
    bool changedMark = false;
    bool depth3 = false;
    for (size_t i = 0; i < library.entries.size(); ++i) {
        const DbEntry& entry = library.entries[i];
        newMark = newMark || entry.themeDe.starts_with(NewMark);
        changedMark = changedMark || entry.themeDe.starts_with(ChangedMark);
        depth3 = depth3 || library.rows.Rows()[i].depth == 3;
        if (entry.file.empty()) {
            continue;
        }
        extensions.insert(ExtensionOf(entry.file));
        const CodeFileLoad load = LoadCodeFileText(CodeFileFullPath(kLibrary, entry.file));
        utf8Mark = utf8Mark || load.info.srcUtf8 == 1;
        noMark = noMark || load.info.srcUtf8 == 0;
        unicode = unicode || load.info.exeUnicode == 1;
        gtk2 = gtk2 || load.info.subSystem == 1;
        gtk3 = gtk3 || load.info.subSystem == 2;
        link = link || !ComputeHighlight(load.text, 2).links.empty();
    }
    EXPECT_TRUE(extensions.contains("kx") && extensions.contains("kxi") && extensions.contains("kxf"));
    EXPECT_TRUE(utf8Mark && noMark && unicode && gtk2 && gtk3 && link);
    EXPECT_TRUE(newMark && changedMark && depth3);
}

}  // namespace
}  // namespace quillmate
