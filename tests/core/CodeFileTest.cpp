#include "base/Utf8.h"
#include "viewer/CodeFile.h"
#include "viewer/CodeFind.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <future>
#include <random>
#include <string>
#include <vector>

#include "base/StopPoll.h"

namespace quillmate {
namespace {

using namespace std::string_literals;

const std::string kBom = "\xEF\xBB\xBF";
const std::string kUtf16Bom = "\xFF\xFE";

// The same ASCII text as UTF-16 little-endian.
std::string Utf16Le(const std::string& ascii) {
    std::string bytes;
    for (const char c : ascii) {
        bytes += c;
        bytes += '\0';
    }
    return bytes;
}

// Independent check that GTK will accept the text.
bool IsValidUtf8(const std::string& text) {
    std::size_t i = 0;
    while (i < text.size()) {
        const auto b = static_cast<unsigned char>(text[i]);
        std::size_t length = b < 0x80                 ? 1
                             : b >= 0xC2 && b <= 0xDF ? 2
                             : b >= 0xE0 && b <= 0xEF ? 3
                             : b >= 0xF0 && b <= 0xF4 ? 4
                                                      : 0;
        if (length == 0 || i + length > text.size()) {
            return false;
        }
        char32_t c = length == 1 ? b : b & (0xFF >> (length + 1));
        for (std::size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80) {
                return false;
            }
            c = (c << 6) | (next & 0x3F);
        }
        const char32_t smallest[] = {0, 0, 0x80, 0x800, 0x10000};
        if (c < smallest[length] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
            return false;
        }
        i += length;
    }
    return true;
}

TEST(CodeFileTest, ByteOrderMarkIsReadInFixedOrder) {
    struct Case {
        std::string bytes;
        TextEncoding encoding;
        std::size_t markLength;
    };
    const std::vector<Case> cases = {
        {"", TextEncoding::EightBit, 0},
        {"\xFF", TextEncoding::EightBit, 0},
        {"\xFF\xFE", TextEncoding::Utf16Le, 2},
        {"\xFF\xFE\x00\x00"s, TextEncoding::Utf16Le, 2},
        {"\xFE\xFF", TextEncoding::EightBit, 2},
        {"\xEF\xBB", TextEncoding::EightBit, 0},
        {"\xEF\xBB\xBF", TextEncoding::Utf8, 3},
        {"\xEF\xBB\xBF"
         "abc",
         TextEncoding::Utf8, 3},
        {"\xFE\xFF"
         "a",
         TextEncoding::EightBit, 2},
        {"\xFE\xFF"
         "ab",
         TextEncoding::EightBit, 2},
        {"\x00\x00\xFE"s, TextEncoding::EightBit, 0},
        {"\x00\x00\xFE\xFF"s, TextEncoding::EightBit, 4},
        {"\x00\x00\xFF\xFE"s, TextEncoding::EightBit, 0},
        {"abcd", TextEncoding::EightBit, 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(DetectEncoding(c.bytes), (EncodingMark{c.encoding, c.markLength}))
            << testing::PrintToString(c.bytes);
    }
}

TEST(CodeFileTest, ByteOrderMarkChoosesDecodingAndSourceFormat) {
    struct Case {
        std::string bytes;
        std::string text;
        int srcUtf8;
    };
    const std::vector<Case> cases = {
        {"", "", 0},
        {"A", "A", 0},
        {kUtf16Bom, "", 0},
        {kUtf16Bom + "A\0\xE4\0"s, "A\u00E4", 0},
        // A UTF-32 little-endian mark reads as UTF-16: its two zero bytes are a NUL line end.
        {"\xFF\xFE\x00\x00"
         "A\0\0\0"s,
         "\nA", 0},
        {"\xFE\xFF", "", 0},
        {"\xFE\xFF\xE9", "\u00E9", 0},
        {"\xFE\xFF\x00"
         "A"s,
         "\nA", 0},
        {"\x00\x00\xFE\xFF"
         "AB"s,
         "AB", 0},
        {"\x00\x00\xFE"s, "\n\n\u00FE", 0},
        {kBom, "", 1},
        {kBom + "\xC3\xA4", "\u00E4", 1},
        {"\xEF\xBB", "\u00EF\u00BB", 0},
        // UTF-8 without its mark is 8-bit text: one character per byte.
        {"\xC3\xA4", "\u00C3\u00A4", 0},
    };
    for (const auto& c : cases) {
        const DecodedCodeText decoded = DecodeCodeText(c.bytes);
        EXPECT_EQ(decoded.text, c.text) << testing::PrintToString(c.bytes);
        EXPECT_EQ(decoded.info, (CodeFileInfo{c.srcUtf8, 0, 0})) << testing::PrintToString(c.bytes);
    }
}

TEST(CodeFileTest, LinesEndAtLfCrCrLfAndNulInEveryEncoding) {
    struct Case {
        std::string ascii;
        std::string text;
    };
    const std::vector<Case> cases = {
        {"a\nb", "a\nb"},       {"a\rb", "a\nb"},
        {"a\r\nb", "a\nb"},     {"a\n\rb", "a\n\nb"},
        {"a\r\rb", "a\n\nb"},   {"a\r\r\nb", "a\n\nb"},
        {"a\0b"s, "a\nb"},      {"a\r\0b"s, "a\n\nb"},
        {"a\n", "a"},           {"a\r", "a"},
        {"a\r\n", "a"},         {"a\0"s, "a"},
        {"a\n\n", "a\n"},       {"\n", ""},
        {"\n\n", "\n"},         {"\n\nPrint 1", "\n\nPrint 1"},
        {"x\ry\rz", "x\ny\nz"},
    };
    for (const auto& c : cases) {
        const std::string label = testing::PrintToString(c.ascii);
        EXPECT_EQ(DecodeCodeText("#" + c.ascii).text, "#" + c.text) << "8-bit " << label;
        EXPECT_EQ(DecodeCodeText(kBom + c.ascii).text, c.text) << "UTF-8 " << label;
        EXPECT_EQ(DecodeCodeText(kUtf16Bom + Utf16Le(c.ascii)).text, c.text) << "UTF-16 " << label;
    }
}

TEST(CodeFileTest, EightBitBytesBecomeLatin1Characters) {
    std::string bytes;
    std::string expected;
    for (int b = 0x20; b <= 0xFF; ++b) {
        bytes += static_cast<char>(b);
        if (b < 0x80) {
            expected += static_cast<char>(b);
        } else {
            expected += static_cast<char>(0xC0 | (b >> 6));
            expected += static_cast<char>(0x80 | (b & 0x3F));
        }
    }
    EXPECT_EQ(DecodeCodeText(bytes).text, expected);
}

TEST(CodeFileTest, UndecodableUtf8BytesBecomeQuestionMarksOneByOne) {
    struct Case {
        std::string bytes;
        std::string text;
    };
    const std::vector<Case> cases = {
        {"a\x80"
         "b",
         "a?b"},
        {"a\xBF\xF8\xFF", "a???"},
        {"a\xC3", "a?"},
        {"a\xC3(", "a?("},
        {"a\xE4\xB8", "a??"},
        {"a\xE4\nb", "a?\nb"},
        {"a\xF0\x9F\x98\r\nb", "a???\nb"},
        {"a\xC0\xAF", "a??"},
        {"a\xC1\xBF", "a??"},
        {"a\xE0\x80\xAF", "a???"},
        {"a\xF0\x8F\xBF\xBF", "a????"},
        {"a\xED\xA0\x80", "a???"},
        {"a\xF4\x90\x80\x80", "a????"},
        {"a\xF5\x80\x80\x80", "a????"},
        {"a\xE2\x82\xAC", "a\u20AC"},
        {"a\xED\x9F\xBF", "a\uD7FF"},
        {"a\xF0\x9F\x98\x80", "a\U0001F600"},
        {"a\xF4\x8F\xBF\xBF", "a\U0010FFFF"},
        {"a\xC0\x80"
         "b",
         "a??b"},
    };
    for (const auto& c : cases) {
        const DecodedCodeText decoded = DecodeCodeText(kBom + c.bytes);
        EXPECT_EQ(decoded.text, c.text) << testing::PrintToString(c.bytes);
        EXPECT_EQ(decoded.info.srcUtf8, 1);
    }
}

TEST(CodeFileTest, Utf16PairsCombineAndBrokenUnitsBecomeReplacementCharacter) {
    struct Case {
        std::string bytes;
        std::string text;
    };
    const std::vector<Case> cases = {
        {"A\0\x3D\xD8\x00\xDE"
         "B\0"s,
         "A\U0001F600B"},
        {"\xFF\xDB\xFF\xDF"s, "\U0010FFFF"},
        {"\xAC\x20"s, "\u20AC"},
        {"A\0\x3D\xD8"s, "A\uFFFD"},
        {"\x3D\xD8"
         "B\0"s,
         "\uFFFDB"},
        {"\x00\xDE"
         "B\0"s,
         "\uFFFDB"},
        {"\x3D\xD8\x3D\xD8\x00\xDE"s, "\uFFFD\U0001F600"},
        {"\x3D\xD8\n\0"
         "B\0"s,
         "\uFFFD\nB"},
        {"A\0B"s, "A\uFFFD"},
        {"A\0\r\0\n"s, "A\n\uFFFD"},
        {"\n"s, "\uFFFD"},
        {"?\0?\0\xFD\xFF"s, "\uFFFD"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(DecodeCodeText(kUtf16Bom + c.bytes).text, c.text) << testing::PrintToString(c.bytes);
    }
}

TEST(CodeFileTest, LeadingQuestionMarksAreRemovedFromEveryLine) {
    struct Case {
        std::string ascii;
        std::string text;
    };
    const std::vector<Case> cases = {
        {"??Print 1", "Print 1"},      {"???", ""},        {"a?b?", "a?b?"}, {"? ?x", " ?x"},
        {"??\n?x?\n\n??", "\nx?\n\n"}, {"x\r??y", "x\ny"},
    };
    for (const auto& c : cases) {
        const std::string label = testing::PrintToString(c.ascii);
        EXPECT_EQ(DecodeCodeText(c.ascii).text, c.text) << "8-bit " << label;
        EXPECT_EQ(DecodeCodeText(kBom + c.ascii).text, c.text) << "UTF-8 " << label;
        EXPECT_EQ(DecodeCodeText(kUtf16Bom + Utf16Le(c.ascii)).text, c.text) << "UTF-16 " << label;
    }
    // Undecodable bytes at the start of a line turn into "?" and go with them.
    EXPECT_EQ(DecodeCodeText(kBom + "\x80\xFF?Print\n\xC3?x").text, "Print\nx");
}

TEST(CodeFileTest, OptionTrailerIsHiddenAndRead) {
    struct Case {
        std::string bytes;
        std::string text;
        CodeFileInfo info;
    };
    const std::vector<Case> cases = {
        {"Print 1\n; IDE Options = \"x\"\n; EnableUnicode\n; SubSystem = gtk3\n", "Print 1", {0, 1, 2}},
        {"; IDE Options = x\nPrint 1\n", "", {0, 0, 0}},
        {"; SubSystem = gtk2\n; EnableUnicode\nPrint 1",
         "; SubSystem = gtk2\n; EnableUnicode\nPrint 1",
         {0, 0, 0}},
        {"a\n; IDE Options = \n; SubSystem = gtk3\n; SubSystem = gtk2", "a", {0, 0, 1}},
        {"a\n; IDE Options = \n; SubSystem = gtk2\n; SubSystem = gtk3x", "a", {0, 0, 2}},
        {"a\n; IDE Options = \nPrint 2\n  ; EnableUnicode\n; SubSystem = GTK3", "a", {0, 0, 0}},
        {"a\n; IDE Options = \n; EnableUnicodeX", "a", {0, 1, 0}},
        {"a\n\n; IDE Options = ", "a\n", {0, 0, 0}},
        {"a\n; IDE options = x\nb", "a\n; IDE options = x\nb", {0, 0, 0}},
        {"a\n; IDE Options =x\nb", "a\n; IDE Options =x\nb", {0, 0, 0}},
        {"a\n??; IDE Options = x\r\n?; EnableUnicode", "a", {0, 1, 0}},
        {kBom + "a\r\n; IDE Options = \r\n; EnableUnicode\r\n", "a", {1, 1, 0}},
    };
    for (const auto& c : cases) {
        const DecodedCodeText decoded = DecodeCodeText(c.bytes);
        EXPECT_EQ(decoded.text, c.text) << testing::PrintToString(c.bytes);
        EXPECT_EQ(decoded.info, c.info) << testing::PrintToString(c.bytes);
    }
    const DecodedCodeText wide =
        DecodeCodeText(kUtf16Bom + Utf16Le("a\r\n; IDE Options = \r\n; SubSystem = gtk2"));
    EXPECT_EQ(wide.text, "a");
    EXPECT_EQ(wide.info, (CodeFileInfo{0, 0, 1}));
}

TEST(CodeFileTest, AnyBytesGiveValidUtf8WithoutLineEndsOrLeadingMarks) {
    const std::vector<std::string> prefixes = {"", kBom, kUtf16Bom, "\xFE\xFF", "\x00\x00\xFE\xFF"s};
    const unsigned char interesting[] = {0x00, 0x0A, 0x0D, '?',  'a',  0x80, 0xBF, 0xC3, 0xE4,
                                         0xED, 0xF0, 0xF4, 0xFF, 0xD8, 0xDC, 0x3D, 0xFE};
    std::mt19937 random(20240611);
    for (int round = 0; round < 2000; ++round) {
        std::string bytes = prefixes[round % prefixes.size()];
        const int length = static_cast<int>(random() % 24);
        for (int i = 0; i < length; ++i) {
            bytes += static_cast<char>(random() % 3 == 0 ? random() % 256
                                                         : interesting[random() % sizeof interesting]);
        }
        const std::string text = DecodeCodeText(bytes).text;
        const std::string label = testing::PrintToString(bytes);
        ASSERT_TRUE(IsValidUtf8(text)) << label;
        ASSERT_EQ(text.find_first_of("\r\0"s), std::string::npos) << label;
        ASSERT_TRUE(text.find("\n?") == std::string::npos && !text.starts_with('?')) << label;
        if (bytes.starts_with(kBom)) {
            ASSERT_LE(text.size(), bytes.size() - kBom.size()) << label;
        }
    }
}

TEST(CodeFileTest, ExtensionIsTextAfterLastDotOfLastComponent) {
    struct Case {
        std::string path;
        std::string extension;
    };
    const std::vector<Case> cases = {
        {"/home/u/Library/Buttons/Simple.kx", "kx"},
        {"Simple.tar.kxi", "kxi"},
        {"a.b/c", ""},
        {"a.b\\c", "b\\c"},
        {"/home/u/Simple", ""},
        {".kx", ""},
        {"/home/u/.kx", ""},
        {"C:\\lib\\.kx", ""},
        {"x.kx", "kx"},
        {"Simple.", ""},
        {"\"/home/u/My Lib/Simple.kx\"", "kx"},
        {"/home/u/Simple.kx\"", "kx"},
        {"/home/u/My Lib/Simple", ""},
        {"/home/u/Simple. kx", ""},
        {"/home/u/Simple.kx ", ""},
        {"a..kx", "kx"},
        {"Notes.txt", "txt"},
        {"Simple.KX", "KX"},
        {"", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ExtensionOf(c.path), c.extension) << c.path;
    }
}

TEST(CodeFileTest, AcceptedExtensionIsSubstringOfKorvexList) {
    struct Case {
        std::string extension;
        bool accepted;
    };
    const std::vector<Case> cases = {
        {"kx", true},   {"kxi", true},    {"kxf", true},  {"k", true},   {"x", true},
        {"xi", true},   {"kx;kxi", true}, {"", false},    {"KX", false}, {"kxx", false},
        {"txt", false}, {"kxif", false},  {"kx ", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(IsAcceptedExtension(c.extension), c.accepted) << c.extension;
    }
}

TEST(CodeFileTest, EntryPathJoinsLibraryFolderWithOneSlash) {
    struct Case {
        std::string libPath;
        std::string entryPath;
        std::string fullPath;
    };
    const std::vector<Case> cases = {
        {"/home/u/Library/", "/Buttons/Simple.kx", "/home/u/Library/Buttons/Simple.kx"},
        {"/home/u/Library/", "//Buttons/Simple.kx", "/home/u/Library/Buttons/Simple.kx"},
        {"/home/u/Library/", "Buttons/Simple.kx", "/home/u/Library/Buttons/Simple.kx"},
        {"/home/u/Library", "/Buttons/Simple.kx", "/home/u/Library/Buttons/Simple.kx"},
        {"/home/u/Library", "Buttons/Simple.kx", "/home/u/Library/Buttons/Simple.kx"},
        {"", "/Buttons/Simple.kx", "Buttons/Simple.kx"},
        {"/home/u/Library/", "Buttons/../x.kx", "/home/u/Library/Buttons/../x.kx"},
        {"/", "/Buttons/Simple.kx", "/Buttons/Simple.kx"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CodeFileFullPath(c.libPath, c.entryPath), c.fullPath) << c.libPath << " + " << c.entryPath;
    }
}

TEST(CodeFileTest, OnlyFirstDroppedFileCounts) {
    struct Case {
        std::string dropList;
        std::string fullPath;
        std::string extension;
        bool accepted;
        std::string title;
    };
    const std::vector<Case> cases = {
        {"/home/u/Simple.kx", "/home/u/Simple.kx", "kx", true, "Quillmate ~ Simple.kx"},
        {"/home/u/Notes.txt\n/home/u/Simple.kx", "/home/u/Notes.txt", "txt", false, "Quillmate ~ Notes.txt"},
        {"/home/u/Simple.kxi\n/home/u/Notes.txt\n", "/home/u/Simple.kxi", "kxi", true,
         "Quillmate ~ Simple.kxi"},
        {"/home/u/Makefile", "/home/u/Makefile", "", false, "Quillmate ~ Makefile"},
        {"", "", "", false, "Quillmate ~ "},
    };
    for (const auto& c : cases) {
        const DropChoice choice = ChooseDroppedFile(c.dropList);
        EXPECT_EQ(choice.fullPath, c.fullPath);
        EXPECT_EQ(choice.extension, c.extension);
        EXPECT_EQ(choice.accepted, c.accepted) << c.dropList;
        EXPECT_EQ(DroppedFileTitle(choice.fullPath), c.title);
    }
    EXPECT_EQ(UnsupportedFileTypeMessage(ChooseDroppedFile("/u/Notes.txt").extension),
              "File type 'txt' not supported!\nNot loaded!");
    EXPECT_EQ(UnsupportedFileTypeMessage(ChooseDroppedFile("/u/Makefile").extension),
              "File type '' not supported!\nNot loaded!");
}

TEST(CodeFileTest, HighlightingNeedsMarkingSchemeAndKorvexExtension) {
    EXPECT_TRUE(HighlightsCodeFile(1, "/lib/a.kx"));
    EXPECT_TRUE(HighlightsCodeFile(2, "/lib/a.kxf"));
    EXPECT_FALSE(HighlightsCodeFile(0, "/lib/a.kx"));
    EXPECT_FALSE(HighlightsCodeFile(1, "/lib/ViewerHelp.txt"));
}

TEST(CodeFileTest, FirstMissingFileGetsMessageBoxLaterOnesBoxedText) {
    bool notice = true;
    const MissingFileReport first = ReportMissingFile("/Buttons/Simple.kx", "/home/u/Library/", notice);
    EXPECT_TRUE(first.messageBox);
    EXPECT_EQ(first.text,
              "Missing file:\n/Buttons/Simple.kx\n\nCheck library-path in settings:\n/home/u/Library/");
    EXPECT_FALSE(notice);
    for (int i = 0; i < 2; ++i) {
        const MissingFileReport later = ReportMissingFile("/Buttons/Other.kx", "/home/u/Library/", notice);
        EXPECT_FALSE(later.messageBox);
        EXPECT_EQ(later.text, MissingFileBoxedText());
        EXPECT_FALSE(notice);
    }
    EXPECT_EQ(MissingFileBoxedText(),
              "*************************\n***   Missing file!   ***\n*************************");
}

class CodeFileReadTest : public ::testing::Test {
  protected:
    void SetUp() override {
        m_folder = std::filesystem::temp_directory_path() / ("qm-codefile-" + std::to_string(::getpid()));
        std::filesystem::remove_all(m_folder);
        std::filesystem::create_directories(m_folder);
    }
    void TearDown() override {
        std::error_code ignored;
        std::filesystem::permissions(m_folder / "locked.kx", std::filesystem::perms::owner_all, ignored);
        std::filesystem::remove_all(m_folder);
    }
    std::string Write(const std::string& name, const std::string& bytes) {
        const auto path = m_folder / name;
        std::filesystem::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << bytes;
        return path.string();
    }

    std::filesystem::path m_folder;
};

TEST_F(CodeFileReadTest, RegularFileLoadsWithTextAndInfo) {
    const std::string path =
        Write("Simple.kx", kBom + "Print \"\xC3\xA4\"\r\n; IDE Options = \r\n; EnableUnicode\r\n");
    const CodeFileLoad load = LoadCodeFileText(path);
    EXPECT_EQ(load.outcome, CodeFileOutcome::Loaded);
    EXPECT_EQ(load.text, "Print \"\u00E4\"");
    EXPECT_EQ(load.info, (CodeFileInfo{1, 1, 0}));

    const CodeFileLoad empty = LoadCodeFileText(Write("Empty.kx", ""));
    EXPECT_EQ(empty.outcome, CodeFileOutcome::Loaded);
    EXPECT_EQ(empty.text, "");
}

TEST_F(CodeFileReadTest, LibraryFolderWithoutSlashStillFindsEntry) {
    Write("Library/Buttons/Simple.kx", "Print 1");
    const std::string library = (m_folder / "Library").string();
    for (const std::string& libPath : {library, library + "/"}) {
        for (const std::string entry : {"/Buttons/Simple.kx", "//Buttons/Simple.kx"}) {
            const CodeFileLoad load = LoadCodeFileText(CodeFileFullPath(libPath, entry));
            EXPECT_EQ(load.outcome, CodeFileOutcome::Loaded) << libPath << " + " << entry;
            EXPECT_EQ(load.text, "Print 1");
        }
    }
}

TEST_F(CodeFileReadTest, NonRegularAndUnreachableFilesAreMissing) {
    Write("Folder/inner.kx", "x");
    std::filesystem::create_symlink(m_folder / "loop-b", m_folder / "loop-a");
    std::filesystem::create_symlink(m_folder / "loop-a", m_folder / "loop-b");
    const std::vector<std::string> paths = {
        (m_folder / "absent.kx").string(),
        (m_folder / "Folder").string(),
        (m_folder / "loop-a").string(),
        (m_folder / "Folder/inner.kx/x").string(),
        "/dev/null",
        "",
    };
    for (const auto& path : paths) {
        const CodeFileLoad load = LoadCodeFileText(path);
        EXPECT_EQ(load.outcome, CodeFileOutcome::Missing) << path;
        EXPECT_EQ(load.text, "");
        EXPECT_EQ(load.info, CodeFileInfo{});
    }
    std::filesystem::create_symlink(m_folder / "Folder/inner.kx", m_folder / "link.kx");
    EXPECT_EQ(LoadCodeFileText((m_folder / "link.kx").string()).text, "x");
}

TEST_F(CodeFileReadTest, FifoIsMissingWithoutWaitingForWriter) {
    const std::string fifo = (m_folder / "pipe.kx").string();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    auto load = std::async(std::launch::async, [&] { return LoadCodeFileText(fifo); });
    if (load.wait_for(std::chrono::seconds(5)) != std::future_status::ready) {
        // Release the blocked reader so the test can end, then report the fault.
        const int writer = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK);
        if (writer >= 0) {
            ::close(writer);
        }
        FAIL() << "opening a FIFO blocked";
    }
    EXPECT_EQ(load.get().outcome, CodeFileOutcome::Missing);
}

TEST_F(CodeFileReadTest, UnreadableFileIsMissing) {
    if (::geteuid() == 0) {
        GTEST_SKIP() << "permissions do not stop root";
    }
    const std::string path = Write("locked.kx", "Print 1");
    std::filesystem::permissions(path, std::filesystem::perms::none);
    EXPECT_EQ(LoadCodeFileText(path).outcome, CodeFileOutcome::Missing);
}

TEST_F(CodeFileReadTest, FilesAboveSizeLimitAreRefused) {
    const std::string path = Write("ten.kx", "0123456789");
    EXPECT_EQ(ReadCodeFileBytes(path, 10), std::optional<std::string>("0123456789"));
    EXPECT_EQ(ReadCodeFileBytes(path, 9), std::nullopt);

    // Sparse, so the test costs no disk space; the size alone refuses it.
    const std::string huge = Write("huge.kx", "");
    ASSERT_EQ(::truncate(huge.c_str(), static_cast<off_t>(kMaxCodeFileBytes + 1)), 0);
    EXPECT_EQ(LoadCodeFileText(huge).outcome, CodeFileOutcome::Missing);
}

TEST_F(CodeFileReadTest, DecoderOutOfMemoryCountsAsMissing) {
    const std::string path = Write("Simple.kx", "Print 1");
    const CodeFileLoad load = LoadCodeFileText(path, {}, [](std::string_view, const std::stop_token&) {
        throw std::bad_alloc();
        return DecodedCodeText{};
    });
    EXPECT_EQ(load.outcome, CodeFileOutcome::Missing);
    EXPECT_EQ(load.text, "");
}

TEST_F(CodeFileReadTest, StopRequestedBeforehandEndsReadingAndDecodingAtOnce) {
    const std::string bytes(3 * kStopPollBytes, 'x');
    std::stop_source stopped;
    stopped.request_stop();
    EXPECT_EQ(ReadCodeFileBytes(Write("Long.kx", bytes), kMaxCodeFileBytes, stopped.get_token()),
              std::nullopt);
    EXPECT_LE(DecodeCodeText(bytes, stopped.get_token()).text.size(), kStopPollBytes);
}

// The find's matches in character offsets, the same whatever the slices the text comes in.
TEST(CodeFindTest, MatchesAreCountedInCharactersWhateverTheSlices) {
    struct Case {
        std::string text;
        std::string term;
        bool matchCase;
        std::vector<std::uint32_t> starts;
    };
    const Case cases[] = {
        {"Open open\nOPEN", "open", false, {0, 5, 10}},
        {"Open open\nOPEN", "open", true, {5}},
        {"aaaa", "aa", false, {0, 2}},                              // matches do not overlap
        {"\xC3\xA4rger \xC3\xA4rger", "\xC3\xA4R", false, {0, 6}},  // counted in characters
        {"x\xEF\xBF\xBCgtk gtk", "gtk", false, {2, 6}},             // a link anchor is one character
        {"abc", "", false, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text + " / " + c.term);
        const std::u32string key = FindKey(c.term, c.matchCase);
        const std::u32string characters = DecodeUtf8(c.text);
        for (std::size_t slice = 1; slice <= characters.size(); ++slice) {
            std::vector<std::uint32_t> starts;
            std::uint32_t from = 0;
            for (std::size_t at = 0; at < characters.size(); at += slice) {
                // Each slice reaches a term's length further, as the view hands them over.
                std::string piece;
                for (char32_t ch : characters.substr(at, slice + std::max<std::size_t>(key.size(), 1) - 1)) {
                    EncodeUtf8(ch, piece);
                }
                FindMatches(piece, key, c.matchCase, static_cast<std::uint32_t>(at), from, starts);
            }
            EXPECT_EQ(starts, c.starts);
        }
    }
    const std::vector<std::uint32_t> starts = {4, 9, 20};
    EXPECT_EQ(MatchAtOrAfter(starts, 5), 1u);
    EXPECT_EQ(MatchAtOrAfter(starts, 21), 0u);  // none below: the first
    EXPECT_EQ(StepMatch(2, 3, true), 0u);
    EXPECT_EQ(StepMatch(0, 3, false), 2u);
}

}  // namespace
}  // namespace quillmate
