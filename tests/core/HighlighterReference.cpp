#include "tests/core/HighlighterReference.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

#include "resources/KeywordList.h"

namespace quillmate::reference {

namespace {

constexpr std::size_t npos = std::u32string::npos;

bool WordChar(const std::u32string& text, std::size_t i) {
    if (i >= text.size()) {
        return false;
    }
    const char32_t c = text[i];
    return c == U'$' || c == U'_' || (c >= U'0' && c <= U'9') || (c >= U'A' && c <= U'Z') ||
           (c >= U'a' && c <= U'z');
}

bool LineBreak(char32_t c) {
    return c == U'\n' || c == U'\r' || c == U'\u2029';
}

std::size_t StartOfLine(const std::u32string& text, std::size_t i) {
    while (i > 0 && !LineBreak(text[i - 1])) {
        --i;
    }
    return i;
}

std::size_t EndOfLine(const std::u32string& text, std::size_t i) {
    while (i < text.size() && !LineBreak(text[i])) {
        ++i;
    }
    return i;
}

std::u32string Widen(std::string_view ascii) {
    return std::u32string(ascii.begin(), ascii.end());
}

class TaggedText {
  public:
    explicit TaggedText(std::u32string_view text) : m_text(text), m_tags(text.size()) {}

    const std::u32string& Text() const { return m_text; }
    bool Has(std::size_t i, HighlightTag tag) const { return (m_tags[i] >> static_cast<int>(tag)) & 1u; }
    void Apply(HighlightTag tag, std::size_t start, std::size_t end) {
        for (std::size_t i = start; i < end; ++i) {
            m_tags[i] |= static_cast<std::uint8_t>(1u << static_cast<int>(tag));
        }
    }

    // For each tag its maximal runs, ordered by start and then by tag.
    std::vector<TagSpan> Spans() const {
        std::vector<TagSpan> spans;
        for (std::size_t t = 0; t < kHighlightTagCount; ++t) {
            const auto tag = static_cast<HighlightTag>(t);
            std::size_t i = 0;
            while (i < m_text.size()) {
                if (!Has(i, tag)) {
                    ++i;
                    continue;
                }
                std::size_t end = i;
                while (end < m_text.size() && Has(end, tag)) {
                    ++end;
                }
                spans.push_back({tag, static_cast<std::uint32_t>(i), static_cast<std::uint32_t>(end)});
                i = end;
            }
        }
        std::stable_sort(spans.begin(), spans.end(),
                         [](const TagSpan& a, const TagSpan& b) { return a.start < b.start; });
        return spans;
    }

  private:
    std::u32string m_text;
    std::vector<std::uint8_t> m_tags;
};

void CommentPass(TaggedText& t) {
    const std::u32string& text = t.Text();
    std::size_t from = 0;
    std::size_t match;
    while ((match = text.find(U';', from)) != npos) {
        const std::size_t lineStart = StartOfLine(text, match);
        const auto quotes = std::count(text.begin() + static_cast<std::ptrdiff_t>(lineStart),
                                       text.begin() + static_cast<std::ptrdiff_t>(match), U'"');
        if (quotes % 2 == 0) {
            const std::size_t lineEnd = EndOfLine(text, match);
            t.Apply(HighlightTag::Disable, match, lineEnd);
            from = lineEnd + 1;
        } else {
            from = match + 1;
        }
    }
}

void StringPass(TaggedText& t) {
    const std::u32string& text = t.Text();
    std::size_t from = 0;
    std::size_t match;
    while ((match = text.find(U'"', from)) != npos) {
        if (t.Has(match, HighlightTag::Disable)) {
            from = from + 1;
            continue;
        }
        const std::size_t close = text.find(U'"', match + 1);
        if (close == npos) {
            break;
        }
        t.Apply(HighlightTag::Literal, match + 1, close);
        from = close + 1;
    }
}

void ConstantPass(TaggedText& t) {
    const std::u32string& text = t.Text();
    std::size_t from = 0;
    std::size_t match;
    while ((match = text.find(U'#', from)) != npos) {
        const bool wordBefore = match > 0 && WordChar(text, match - 1);
        if (!wordBefore && !t.Has(match, HighlightTag::Disable)) {
            std::size_t end = match + 1;
            while (WordChar(text, end)) {
                ++end;
            }
            t.Apply(HighlightTag::Constant, match, end);
            from = end;
        } else {
            from = match + 1;
        }
    }
}

bool CountsAsWord(const TaggedText& t, std::size_t start, std::size_t end) {
    const bool before = start > 0 && WordChar(t.Text(), start - 1);
    return !before && !t.Has(start, HighlightTag::Disable) && !t.Has(start, HighlightTag::Literal) &&
           !WordChar(t.Text(), end);
}

void KeywordPass(TaggedText& t, int codeMarks, std::vector<std::string>& names) {
    const std::u32string& text = t.Text();
    const std::u32string procedureKeywords = U"Procedure;ProcedureC;ProcedureCDLL;ProcedureDLL";
    names.clear();
    for (const std::string_view keywordText : KorvexKeywords()) {
        const std::u32string keyword = Widen(keywordText);
        const bool isProcedureKeyword = procedureKeywords.find(keyword) != npos;
        std::size_t from = 0;
        std::size_t match;
        while ((match = text.find(keyword, from)) != npos) {
            const std::size_t end = match + keyword.size();
            from = end;
            if (!CountsAsWord(t, match, end)) {
                continue;
            }
            if (codeMarks == 1) {
                t.Apply(HighlightTag::FBold, match, end);
            } else if (codeMarks == 2) {
                t.Apply(HighlightTag::BlueBold, match, end);
            }
            if (!isProcedureKeyword) {
                continue;
            }
            const std::size_t space = text.find(U' ', match);
            if (space == npos) {
                break;
            }
            std::size_t nameStart = space;
            while (nameStart < text.size() && text[nameStart] == U' ') {
                ++nameStart;
            }
            std::size_t nameEnd = nameStart;
            while (WordChar(text, nameEnd)) {
                ++nameEnd;
            }
            t.Apply(HighlightTag::Function, nameStart, nameEnd);
            if (nameEnd > nameStart) {
                names.push_back(EncodeUtf8(text.substr(nameStart, nameEnd - nameStart)));
            }
            from = nameEnd;
        }
    }
}

void ProcedureUsePass(TaggedText& t, const std::vector<std::string>& names) {
    const std::u32string& text = t.Text();
    for (const std::string& nameText : names) {
        const std::u32string name = Widen(nameText);
        std::size_t from = 0;
        std::size_t match;
        while ((match = text.find(name, from)) != npos) {
            const std::size_t end = match + name.size();
            if (CountsAsWord(t, match, end) && !t.Has(match, HighlightTag::Function)) {
                t.Apply(HighlightTag::FuncCall, match, end);
            }
            from = end;
        }
    }
}

std::vector<LinkReplacement> LinkPass(std::u32string text) {
    const std::u32string prefix = U"; Link to topic:   ";
    std::vector<LinkReplacement> links;
    // Characters removed so far minus placeholders inserted: working position + shift = original.
    std::ptrdiff_t shift = 0;
    std::size_t from = 0;
    std::size_t match;
    while ((match = text.find(prefix, from)) != npos) {
        const std::size_t start = match + prefix.size();
        std::size_t end = start;
        while (end < text.size() && text[end] != U' ' && !LineBreak(text[end])) {
            ++end;
        }
        const std::size_t length = end - start;
        links.push_back({static_cast<std::size_t>(static_cast<std::ptrdiff_t>(start) + shift), length,
                         EncodeUtf8(text.substr(start, length))});
        text = text.substr(0, start) + U'\uFFFC' + text.substr(end);
        shift += static_cast<std::ptrdiff_t>(length) - 1;
        from = start + 1;
    }
    return links;
}

}  // namespace

HighlightResult HighlightLiterally(std::u32string_view text, int codeMarks) {
    TaggedText tagged(text);
    HighlightResult result;
    CommentPass(tagged);
    StringPass(tagged);
    ConstantPass(tagged);
    KeywordPass(tagged, codeMarks, result.procedureNames);
    ProcedureUsePass(tagged, result.procedureNames);
    result.links = LinkPass(tagged.Text());
    result.spans = tagged.Spans();
    return result;
}

std::optional<std::u32string> DecodeUtf8(std::string_view bytes) {
    std::u32string text;
    std::size_t i = 0;
    while (i < bytes.size()) {
        const auto lead = static_cast<unsigned char>(bytes[i]);
        std::size_t length = 0;
        char32_t c = 0;
        if (lead < 0x80) {
            length = 1;
            c = lead;
        } else if ((lead & 0xE0) == 0xC0) {
            length = 2;
            c = lead & 0x1F;
        } else if ((lead & 0xF0) == 0xE0) {
            length = 3;
            c = lead & 0x0F;
        } else if ((lead & 0xF8) == 0xF0) {
            length = 4;
            c = lead & 0x07;
        } else {
            return std::nullopt;
        }
        if (i + length > bytes.size()) {
            return std::nullopt;
        }
        for (std::size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(bytes[i + k]);
            if ((next & 0xC0) != 0x80) {
                return std::nullopt;
            }
            c = (c << 6) | (next & 0x3F);
        }
        constexpr std::array<char32_t, 5> kSmallest = {0, 0, 0x80, 0x800, 0x10000};
        if (c < kSmallest[length] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
            return std::nullopt;
        }
        text.push_back(c);
        i += length;
    }
    return text;
}

std::string EncodeUtf8(std::u32string_view text) {
    std::string bytes;
    for (const char32_t c : text) {
        if (c < 0x80) {
            bytes.push_back(static_cast<char>(c));
        } else if (c < 0x800) {
            bytes.push_back(static_cast<char>(0xC0 | (c >> 6)));
            bytes.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else if (c < 0x10000) {
            bytes.push_back(static_cast<char>(0xE0 | (c >> 12)));
            bytes.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            bytes.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else {
            bytes.push_back(static_cast<char>(0xF0 | (c >> 18)));
            bytes.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
            bytes.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            bytes.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        }
    }
    return bytes;
}

}  // namespace quillmate::reference
