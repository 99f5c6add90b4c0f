#include "base/Utf8.h"

namespace quillmate {

std::size_t Utf8SequenceLength(std::string_view text, std::size_t pos) {
    const auto byteAt = [&](std::size_t k) { return static_cast<unsigned char>(text[pos + k]); };
    const auto follows = [&](std::size_t k, unsigned char low, unsigned char high) {
        return pos + k < text.size() && byteAt(k) >= low && byteAt(k) <= high;
    };
    const unsigned char lead = byteAt(0);
    if (lead < 0x80) {
        return 1;
    }
    if (lead >= 0xC2 && lead <= 0xDF) {
        return follows(1, 0x80, 0xBF) ? 2 : 0;
    }
    if (lead >= 0xE0 && lead <= 0xEF) {
        const unsigned char low = lead == 0xE0 ? 0xA0 : 0x80;   // no overlong forms
        const unsigned char high = lead == 0xED ? 0x9F : 0xBF;  // no surrogates
        return follows(1, low, high) && follows(2, 0x80, 0xBF) ? 3 : 0;
    }
    if (lead >= 0xF0 && lead <= 0xF4) {
        const unsigned char low = lead == 0xF0 ? 0x90 : 0x80;
        const unsigned char high = lead == 0xF4 ? 0x8F : 0xBF;  // nothing above U+10FFFF
        return follows(1, low, high) && follows(2, 0x80, 0xBF) && follows(3, 0x80, 0xBF) ? 4 : 0;
    }
    return 0;
}

bool IsValidUtf8(std::string_view text) {
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t length = Utf8SequenceLength(text, pos);
        if (length == 0) {
            return false;
        }
        pos += length;
    }
    return true;
}

char32_t DecodeNextUtf8(std::string_view text, std::size_t& pos, char32_t replacement) {
    const std::size_t length = Utf8SequenceLength(text, pos);
    if (length == 0) {
        ++pos;
        return replacement;
    }
    constexpr unsigned char kLeadBits[] = {0, 0x7F, 0x1F, 0x0F, 0x07};
    char32_t value = static_cast<unsigned char>(text[pos]) & kLeadBits[length];
    for (std::size_t i = 1; i < length; ++i) {
        value = (value << 6) | (static_cast<unsigned char>(text[pos + i]) & 0x3Fu);
    }
    pos += length;
    return value;
}

std::u32string DecodeUtf8(std::string_view text) {
    std::u32string out;
    out.reserve(text.size());
    std::size_t pos = 0;
    while (pos < text.size()) {
        out.push_back(DecodeNextUtf8(text, pos));
    }
    return out;
}

void EncodeUtf8(char32_t c, std::string& out) {
    if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
        c = kReplacementCharacter;
    }
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<char>(0xC0u | (c >> 6)));
        out.push_back(static_cast<char>(0x80u | (c & 0x3Fu)));
    } else if (c < 0x10000) {
        out.push_back(static_cast<char>(0xE0u | (c >> 12)));
        out.push_back(static_cast<char>(0x80u | ((c >> 6) & 0x3Fu)));
        out.push_back(static_cast<char>(0x80u | (c & 0x3Fu)));
    } else {
        out.push_back(static_cast<char>(0xF0u | (c >> 18)));
        out.push_back(static_cast<char>(0x80u | ((c >> 12) & 0x3Fu)));
        out.push_back(static_cast<char>(0x80u | ((c >> 6) & 0x3Fu)));
        out.push_back(static_cast<char>(0x80u | (c & 0x3Fu)));
    }
}

std::string ToValidUtf8(std::string_view text, std::string_view replacement) {
    std::size_t pos = 0;
    std::size_t length = 0;
    while (pos < text.size() && (length = Utf8SequenceLength(text, pos)) != 0) {
        pos += length;
    }
    if (pos == text.size()) {
        return std::string(text);
    }
    std::string out;
    out.reserve(text.size() + text.size() / 2);
    out.append(text.substr(0, pos));
    while (pos < text.size()) {
        length = Utf8SequenceLength(text, pos);
        if (length == 0) {
            out.append(replacement);
            ++pos;
        } else {
            out.append(text.substr(pos, length));
            pos += length;
        }
    }
    return out;
}

std::string ShownText(std::string_view text, std::size_t limit) {
    std::size_t pos = 0;
    for (std::size_t characters = 0; pos < text.size() && characters < limit; ++characters) {
        const std::size_t length = Utf8SequenceLength(text, pos);
        pos += length == 0 ? 1 : length;
    }
    std::string shown = ToValidUtf8(text.substr(0, pos));
    if (pos < text.size()) {
        shown.append(kEllipsis);
    }
    return shown;
}

char32_t DecodeNextUtf16(std::string_view bytes, std::size_t& pos, bool bigEndian) {
    const auto unitAt = [&](std::size_t at) {
        const auto first = static_cast<unsigned char>(bytes[at]);
        const auto second = static_cast<unsigned char>(bytes[at + 1]);
        return static_cast<char32_t>(bigEndian ? (first << 8) | second : first | (second << 8));
    };
    if (bytes.size() - pos < 2) {
        ++pos;
        return kReplacementCharacter;
    }
    const char32_t unit = unitAt(pos);
    pos += 2;
    if (unit < 0xD800 || unit > 0xDFFF) {
        return unit;
    }
    if (unit <= 0xDBFF && bytes.size() - pos >= 2) {
        const char32_t trail = unitAt(pos);
        if (trail >= 0xDC00 && trail <= 0xDFFF) {
            pos += 2;
            return 0x10000 + ((unit - 0xD800) << 10) + (trail - 0xDC00);
        }
    }
    return kReplacementCharacter;
}

namespace {

bool StartsUtf16(std::string_view bytes) {
    return bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF");
}

}  // namespace

std::string TextFileToUtf8(std::string_view bytes) {
    if (bytes.starts_with(kUtf8ByteOrderMark)) {
        return std::string(bytes.substr(kUtf8ByteOrderMark.size()));
    }
    if (StartsUtf16(bytes)) {
        const bool bigEndian = bytes[0] == '\xFE';
        std::string text;
        text.reserve(bytes.size());
        for (std::size_t pos = 2; pos < bytes.size();) {
            EncodeUtf8(DecodeNextUtf16(bytes, pos, bigEndian), text);
        }
        return text;
    }
    // Every byte is one ISO 8859-1 character; bytes from 0x80 become two UTF-8 bytes.
    std::string text;
    text.reserve(bytes.size() + bytes.size() / 8);
    for (const char c : bytes) {
        EncodeUtf8(static_cast<unsigned char>(c), text);
    }
    return text;
}

bool IsTextFileContent(std::string_view bytes) {
    return StartsUtf16(bytes) || bytes.find('\0') == std::string_view::npos;
}

std::string WithBreakOpportunities(std::string_view text, std::size_t run) {
    constexpr std::string_view kZeroWidthSpace = "\xE2\x80\x8B";
    std::string broken;
    broken.reserve(text.size() + text.size() / 8);
    std::size_t sinceBreak = 0;
    for (const char c : text) {
        if (!IsUtf8Continuation(c)) {
            if (c == ' ' || c == '\t' || c == '\n') {
                sinceBreak = 0;
            } else if (sinceBreak == run) {
                broken.append(kZeroWidthSpace);
                sinceBreak = 1;
            } else {
                ++sinceBreak;
            }
        }
        broken.push_back(c);
    }
    return broken;
}

}  // namespace quillmate
