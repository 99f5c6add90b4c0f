#include "settings/IniDocument.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

namespace quillmate {

bool operator==(const IniLine& a, const IniLine& b) {
    return a.kind == b.kind && a.name == b.name && a.value == b.value;
}

namespace {

namespace fs = std::filesystem;

const std::string kBom = "\xEF\xBB\xBF";

IniDocument Parse(std::string_view bytes, int flags = IniDocument::kFlagNoSpaces) {
    auto document = IniDocument::FromBytes(bytes, flags);
    EXPECT_TRUE(document.has_value());
    return document ? std::move(*document) : *IniDocument::FromBytes({}, flags);
}

// What Close writes for the given lines: byte-order mark, empty first line, one LF per line.
std::string Written(const std::string& body) {
    return kBom + "\n" + body;
}

std::string Printable(std::string_view bytes) {
    std::string text;
    for (const char c : bytes) {
        if (c == '\n') {
            text += "\\n";
        } else if (c == '\r') {
            text += "\\r";
        } else {
            text.push_back(c);
        }
    }
    return text;
}

TEST(IniDocumentTest, LineKindsAndTrimming) {
    struct Case {
        std::string line;
        IniLineKind kind;
        std::string name;
        std::string value;
    };
    const std::vector<Case> cases = {
        {"key=value", IniLineKind::Key, "key", "value"},
        {" \t key \t=  \tvalue  ", IniLineKind::Key, "key", "value  "},
        {"a=b=c", IniLineKind::Key, "a", "b=c"},
        {"=orphan", IniLineKind::Key, "", "orphan"},
        {"no equals sign \t", IniLineKind::Key, "no equals sign", ""},
        {"key=", IniLineKind::Key, "key", ""},
        {"\t; a comment", IniLineKind::Comment, "", "a comment"},
        {";  two spaces", IniLineKind::Comment, "", " two spaces"},
        {";", IniLineKind::Comment, "", ""},
        {";key=value", IniLineKind::Comment, "", "key=value"},
        {"  [Group] rest=1", IniLineKind::Group, "Group", ""},
        {"[Unclosed", IniLineKind::Group, "Unclosed", ""},
        {"[]", IniLineKind::Group, "", ""},
    };
    for (const auto& c : cases) {
        const IniDocument document = Parse(c.line);
        ASSERT_EQ(document.Lines().size(), 1u) << c.line;
        EXPECT_EQ(document.Lines()[0], (IniLine{c.kind, c.name, c.value})) << c.line;
    }
}

TEST(IniDocumentTest, RunsOfLineBreaksAndBlankLinesAreDropped) {
    struct Case {
        std::string bytes;
        std::vector<std::string> keys;
    };
    const std::vector<Case> cases = {
        {"a=1\r\n\r\n\n\rb=2\r", {"a", "b"}},
        {"\n\n\na=1", {"a"}},
        {"a=1\n   \t \nb=2", {"a", "b"}},
        {"a=1\rb=2\rc=3", {"a", "b", "c"}},
        {"", {}},
        {"\r\n \t\r\n", {}},
    };
    for (const auto& c : cases) {
        const IniDocument document = Parse(c.bytes);
        std::vector<std::string> keys;
        for (const auto& line : document.Lines()) {
            keys.push_back(line.name);
        }
        EXPECT_EQ(keys, c.keys) << Printable(c.bytes);
    }
}

TEST(IniDocumentTest, ByteOrderMarkDecidesBetweenUtf8AndLatin1) {
    struct Case {
        std::string bytes;
        std::string value;
    };
    const std::vector<Case> cases = {
        {"k=\xC5", "\xC3\x85"},                                // Latin-1 Å
        {"k=\xFF\x80", "\xC3\xBF\xC2\x80"},                    // the top and the bottom of the upper half
        {kBom + "k=\xC3\x85", "\xC3\x85"},                     // UTF-8 stays as it is
        {"k=" + kBom, "\xC3\xAF\xC2\xBB\xC2\xBF"},             // a mark that is not at the start is text
        {"\xEF\xBB\xBF", "default"},                           // only the mark: an empty document
        {kBom + "\xEF\xBB\xBFk=x", "default"},                 // a second mark is part of the first key
        {std::string("\xFF\xFEk\0=\0\xC5\0", 8), "\xC3\x85"},  // UTF-16 little-endian
        {std::string("\xFE\xFF\0k\0=\xD8\x3D\xDE\x00", 10), "\xF0\x9F\x98\x80"},  // big-endian pair
        {std::string("\xFF\xFEk\0=\0\x00\xDC", 8), "\xEF\xBF\xBD"},               // an unpaired surrogate
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Parse(c.bytes).ReadString("k", "default"), c.value) << Printable(c.bytes);
    }
}

TEST(IniDocumentTest, KeysMatchWithoutAsciiCaseOnlyBeforeTheFirstGroup) {
    const IniDocument document = Parse(
        "; fontsize=1\nfontsize = 12\nFONTSIZE=13\n\xC4rger=1\nLater=\n[Group]\nOther=5\nFontSize=99\n");
    struct Case {
        std::string key;
        std::string value;
    };
    const std::vector<Case> cases = {
        {"FontSize", "12"},     // first match wins; the comment is passed over
        {"FONTsize", "12"},     //
        {"\xC3\xA4rger", "-"},  // only ASCII letters ignore their case
        {"\xC3\x84rger", "1"},  //
        {"Later", ""},          // present but empty is not missing
        {"Other", "-"},         // after a group line
        {"Group", "-"},        {"", "-"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(document.ReadString(c.key, "-"), c.value) << c.key;
    }
    EXPECT_TRUE(document.HasKey("fontSize"));
    EXPECT_FALSE(document.HasKey("Other"));
}

TEST(IniDocumentTest, ReadStringTrimsBlanksOnly) {
    const IniDocument document = Parse("a= \t value with  inner \t \nb=\xA0x\xA0\n");
    EXPECT_EQ(document.ReadString("a", ""), "value with  inner");
    EXPECT_EQ(document.ReadString("b", ""), "\xC2\xA0x\xC2\xA0");
    EXPECT_EQ(document.ReadString("missing", "fallback"), "fallback");
}

TEST(IniDocumentTest, ReadIntegerTakesTheLeadingNumber) {
    struct Case {
        std::string value;
        int expected;
    };
    const std::vector<Case> cases = {
        {"12", 12},
        {"  -7px", -7},
        {"+5", 5},
        {"3.9", 3},
        {"007", 7},
        {"abc", 0},
        {"", 0},
        {"- 5", 0},
        {"--5", 0},
        {"2147483647", INT_MAX},
        {"-2147483648", INT_MIN},
        {"2147483648", INT_MAX},
        {"-2147483649", INT_MIN},
        {"99999999999999999999999999999999", INT_MAX},
        {"-99999999999999999999999999999999", INT_MIN},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Parse("n=" + c.value).ReadInteger("n", 42), c.expected) << c.value;
    }
    EXPECT_EQ(Parse("other=1").ReadInteger("n", 42), 42);
}

TEST(IniDocumentTest, WritingReplacesInPlaceWithTheWritersCase) {
    IniDocument document = Parse("; mine\n  fontsize  =  12  \nUnknown=x\n\n\n");
    document.WriteInteger("FontSize", 14);
    document.WriteString("unknown", "y");
    EXPECT_EQ(document.ToBytes(), Written("; mine\nFontSize=14\nunknown=y\n"));
}

TEST(IniDocumentTest, NewKeysGoToTheEndOfTheLeadingBlock) {
    struct Case {
        std::string before;
        std::string after;
    };
    const std::vector<Case> cases = {
        {"", "Key=v\n"},
        {"a=1\n", "a=1\nKey=v\n"},
        {"a=1\n[G]\nKey=old\n", "a=1\nKey=v\n[G]\nKey=old\n"},
        {"[G]\n", "Key=v\n[G]\n"},
        {"a=1\n; tail\n[G]\n[H]\n", "a=1\n; tail\nKey=v\n[G]\n[H]\n"},
    };
    for (const auto& c : cases) {
        IniDocument document = Parse(c.before);
        document.WriteString("Key", "v");
        EXPECT_EQ(document.ToBytes(), Written(c.after)) << Printable(c.before);
    }
}

TEST(IniDocumentTest, CommentFollowsTheLineWrittenLast) {
    IniDocument document = Parse("a=1\nb=2\nc=3\n[G]\n");
    document.AddComment("first");
    document.WriteInteger("b", 20);
    document.AddComment("after b");
    document.AddComment("after that");
    document.WriteInteger("new", 1);
    document.AddComment("after new");
    EXPECT_EQ(document.ToBytes(),
              Written("a=1\nb=20\n; after b\n; after that\nc=3\n; first\nnew=1\n; after new\n[G]\n"));
}

TEST(IniDocumentTest, WriteFlagsShapeKeyAndGroupLines) {
    const std::string text = "[A]\nk=v\n[B]\nempty=\n";
    struct Case {
        int flags;
        std::string bytes;
    };
    const std::vector<Case> cases = {
        {0, "[A]\nk = v\n[B]\nempty = \n"},
        {IniDocument::kFlagNoSpaces, "[A]\nk=v\n[B]\nempty=\n"},
        {IniDocument::kFlagBlankBeforeGroup, "[A]\nk = v\n\n[B]\nempty = \n"},
        {IniDocument::kFlagNoSpaces | IniDocument::kFlagBlankBeforeGroup, "[A]\nk=v\n\n[B]\nempty=\n"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Parse(text, c.flags).ToBytes(), Written(c.bytes)) << c.flags;
    }
    EXPECT_EQ(Parse("; note\nkey only\n").ToBytes(), Written("; note\nkey only=\n"));
}

TEST(IniDocumentTest, WrittenLineBreaksCannotSplitALine) {
    IniDocument document = Parse("a=1\n");
    document.WriteString("path", "/tmp/x\ny=2\r[G]");
    document.AddComment("two\nlines");
    const IniDocument reread = Parse(document.ToBytes());
    ASSERT_EQ(reread.Lines().size(), 3u);
    EXPECT_EQ(reread.ReadString("path", ""), "/tmp/x y=2 [G]");
    EXPECT_FALSE(reread.HasKey("y"));
    EXPECT_EQ(reread.Lines()[2].value, "two lines");
}

// Inputs drawn from the characters that carry meaning in the syntax, plus bytes that do not.
std::vector<std::string> RandomInputs(int count) {
    const std::string alphabet = std::string("ab;[]= \t\r\n\r\n\xC5\xEF\xBB\xBF") + '\0';
    std::mt19937 random(20250117);
    std::vector<std::string> inputs;
    for (int i = 0; i < count; ++i) {
        std::string input(random() % 120, ' ');
        for (char& c : input) {
            c = (random() % 8 == 0) ? static_cast<char>(random() % 256)
                                    : alphabet[random() % alphabet.size()];
        }
        if (i % 3 == 0) {
            input.insert(0, kBom);
        }
        inputs.push_back(std::move(input));
    }
    return inputs;
}

TEST(IniDocumentTest, WhatIsWrittenReadsBackTheSame) {
    for (const int flags : {0, 1, 3}) {
        for (const auto& input : RandomInputs(400)) {
            const IniDocument first = Parse(input, flags);
            const std::string bytes = first.ToBytes();
            const IniDocument second = Parse(bytes, flags);
            if (flags != 3) {
                ASSERT_EQ(second.Lines(), first.Lines()) << Printable(input);
            }
            ASSERT_EQ(second.ToBytes(), bytes) << Printable(input);
            for (const auto& line : first.Lines()) {
                if (line.kind == IniLineKind::Key) {
                    EXPECT_EQ(second.ReadString(line.name, "?"), first.ReadString(line.name, "?"));
                }
            }
        }
    }
}

TEST(IniDocumentTest, HostileContentParsesOrIsRefused) {
    std::mt19937 random(7);
    std::string garbage(1 << 20, '\0');
    for (char& c : garbage) {
        c = static_cast<char>(random() % 256);
    }
    const auto fromGarbage = IniDocument::FromBytes(garbage, 1);
    ASSERT_TRUE(fromGarbage.has_value());
    EXPECT_FALSE(fromGarbage->Lines().empty());
    EXPECT_TRUE(IniDocument::FromBytes(fromGarbage->ToBytes(), 1).has_value());

    const std::string nulls = std::string("k=a\0b\0", 6) + "\nx=1";
    EXPECT_EQ(Parse(nulls).ReadString("k", ""), std::string("a\0b\0", 4));
    EXPECT_EQ(Parse(nulls).ReadInteger("x", 0), 1);

    std::string longLine = "FontName=" + std::string(10 * 1024 * 1024, 'x');
    const IniDocument longDocument = Parse(longLine + "\nFontSize=12");
    EXPECT_EQ(longDocument.ReadString("FontName", "").size(), 10u * 1024u * 1024u);
    EXPECT_EQ(longDocument.ReadInteger("FontSize", 0), 12);
    EXPECT_EQ(Parse(std::string(10 * 1024 * 1024, '\xE9')).Lines()[0].name.size(), 20u * 1024u * 1024u);

    EXPECT_FALSE(IniDocument::FromBytes(std::string(IniDocument::kMaxFileBytes + 1, 'x'), 1).has_value());
    std::string manyLines;
    for (std::size_t i = 0; i <= IniDocument::kMaxLines; ++i) {
        manyLines += ";\n";
    }
    EXPECT_FALSE(IniDocument::FromBytes(manyLines, 1).has_value());
    manyLines.resize(manyLines.size() - 2);
    EXPECT_TRUE(IniDocument::FromBytes(manyLines, 1).has_value());
}

// A unique folder below the system's temporary folder, removed with everything in it.
class IniFileTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::random_device device;
        m_folder = fs::temp_directory_path() /
                   ("qm-ini-" + std::to_string(::getpid()) + "-" + std::to_string(device()));
        fs::create_directories(m_folder);
        m_path = (m_folder / "test.ini").string();
    }
    void TearDown() override {
        fs::permissions(m_folder, fs::perms::owner_all, fs::perm_options::add);
        fs::remove_all(m_folder);
    }
    static void WriteFile(const std::string& path, const std::string& bytes) {
        std::ofstream(path, std::ios::binary) << bytes;
    }
    static std::string ReadFile(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        std::stringstream bytes;
        bytes << in.rdbuf();
        return bytes.str();
    }
    static mode_t Mode(const std::string& path) {
        struct stat info {};
        ::stat(path.c_str(), &info);
        return info.st_mode & 07777;
    }
    std::size_t EntriesInFolder() const {
        return static_cast<std::size_t>(
            std::distance(fs::directory_iterator(m_folder), fs::directory_iterator()));
    }

    fs::path m_folder;
    std::string m_path;
};

bool RunningAsRoot() {
    return ::geteuid() == 0;
}

TEST_F(IniFileTest, OpeningFailsForWhatIsNotARegularFile) {
    EXPECT_FALSE(IniDocument::Open(m_path, 1).has_value());
    EXPECT_FALSE(IniDocument::Open("", 1).has_value());
    EXPECT_FALSE(IniDocument::Open(m_folder.string(), 1).has_value());
    const std::string fifo = (m_folder / "fifo").string();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_FALSE(IniDocument::Open(fifo, 1).has_value());
    WriteFile(m_path, std::string(IniDocument::kMaxFileBytes + 1, 'x'));
    EXPECT_FALSE(IniDocument::Open(m_path, 1).has_value());
}

TEST_F(IniFileTest, UnmodifiedDocumentLeavesTheFileAlone) {
    const std::string original = "a=1\r\n\r\n; c\r\n";
    WriteFile(m_path, original);
    auto document = IniDocument::Open(m_path, 1);
    ASSERT_TRUE(document.has_value());
    EXPECT_EQ(document->ReadInteger("A", 0), 1);
    EXPECT_EQ(document->Close(), IniCloseResult::NotModified);
    EXPECT_EQ(ReadFile(m_path), original);
}

TEST_F(IniFileTest, ModifiedDocumentIsWrittenWholeAsUtf8) {
    WriteFile(m_path, "FontName=\xC5rial\r\n\r\n[Keep]\r\nx = 1");
    auto document = IniDocument::Open(m_path, 1);
    ASSERT_TRUE(document.has_value());
    EXPECT_FALSE(document->IsReadOnly());
    document->WriteInteger("FontSize", 9);
    EXPECT_EQ(document->Close(), IniCloseResult::Written);
    EXPECT_EQ(ReadFile(m_path), Written("FontName=\xC3\x85rial\nFontSize=9\n[Keep]\nx=1\n"));
    EXPECT_EQ(EntriesInFolder(), 1u) << "no temporary file may stay behind";
}

TEST_F(IniFileTest, CreatedFileAppearsOnCloseWithUsualPermissions) {
    IniDocument document = IniDocument::Create(m_path, 1);
    EXPECT_FALSE(fs::exists(m_path));
    document.AddComment("Viewer");
    document.WriteString("k", "v");
    EXPECT_EQ(document.Close(), IniCloseResult::Written);
    EXPECT_EQ(ReadFile(m_path), Written("; Viewer\nk=v\n"));
    const mode_t mask = ::umask(0);
    ::umask(mask);
    EXPECT_EQ(Mode(m_path), 0666 & ~mask);

    IniDocument empty = IniDocument::Create((m_folder / "empty.ini").string(), 1);
    EXPECT_EQ(empty.Close(), IniCloseResult::Written);
    EXPECT_EQ(ReadFile((m_folder / "empty.ini").string()), Written(""));
}

TEST_F(IniFileTest, RewriteKeepsPermissionBitsAndSymbolicLinks) {
    const std::string target = (m_folder / "real.ini").string();
    WriteFile(target, "a=1\n");
    ::chmod(target.c_str(), 0640);
    fs::create_symlink("real.ini", m_path);

    auto document = IniDocument::Open(m_path, 1);
    ASSERT_TRUE(document.has_value());
    document->WriteInteger("a", 2);
    EXPECT_EQ(document->Close(), IniCloseResult::Written);

    EXPECT_TRUE(fs::is_symlink(m_path));
    EXPECT_EQ(ReadFile(target), Written("a=2\n"));
    EXPECT_EQ(Mode(target), 0640u);
    EXPECT_EQ(EntriesInFolder(), 2u);
}

TEST_F(IniFileTest, ReadOnlyFileIsReadButNeverChanged) {
    if (RunningAsRoot()) {
        GTEST_SKIP() << "permission bits do not stop root from writing";
    }
    const std::string original = "a=1\n\n";
    WriteFile(m_path, original);
    ::chmod(m_path.c_str(), 0444);
    auto document = IniDocument::Open(m_path, 1);
    ASSERT_TRUE(document.has_value());
    EXPECT_TRUE(document->IsReadOnly());
    EXPECT_EQ(document->ReadInteger("a", 0), 1);
    document->WriteInteger("a", 2);
    EXPECT_EQ(document->Close(), IniCloseResult::ReadOnlyUnchanged);
    EXPECT_EQ(ReadFile(m_path), original);
    EXPECT_EQ(Mode(m_path), 0444u);
}

TEST_F(IniFileTest, ReadOnlyFolderGetsTheFileRewrittenInPlace) {
    if (RunningAsRoot()) {
        GTEST_SKIP() << "permission bits do not stop root from writing";
    }
    WriteFile(m_path, "a=1111111111\n");
    struct stat before {};
    ::stat(m_path.c_str(), &before);
    ::chmod(m_folder.c_str(), 0555);
    auto document = IniDocument::Open(m_path, 1);
    ASSERT_TRUE(document.has_value());
    EXPECT_FALSE(document->IsReadOnly());
    document->WriteInteger("a", 2);
    EXPECT_EQ(document->Close(), IniCloseResult::Written);
    EXPECT_EQ(ReadFile(m_path), Written("a=2\n"));
    struct stat after {};
    ::stat(m_path.c_str(), &after);
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_EQ(EntriesInFolder(), 1u);
}

TEST_F(IniFileTest, MissingFolderReportsFailure) {
    IniDocument document = IniDocument::Create((m_folder / "gone" / "x.ini").string(), 1);
    document.WriteInteger("a", 1);
    EXPECT_EQ(document.Close(), IniCloseResult::Failed);
    EXPECT_FALSE(fs::exists(m_folder / "gone"));
}

}  // namespace
}  // namespace quillmate
