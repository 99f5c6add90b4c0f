#include "app/Utf8.h"

#include <cstddef>

namespace quillmate {
namespace {

// Length of the well-formed sequence starting at `pos` and its code point; length 0 when the
// byte there does not start one.
struct Sequence {
    std::size_t length = 0;
    char32_t value = 0;
};

bool IsContinuation(unsigned char byte) {
    return (byte & 0xC0u) == 0x80u;
}

Sequence SequenceAt(std::string_view text, std::size_t pos) {
    const auto lead = static_cast<unsigned char>(text[pos]);
    if (lead < 0x80u) {
        return {1, lead};
    }
    std::size_t length = 0;
    char32_t value = 0;
    char32_t minimum = 0;
    if ((lead & 0xE0u) == 0xC0u) {
        length = 2;
        value = lead & 0x1Fu;
        minimum = 0x80;
    } else if ((lead & 0xF0u) == 0xE0u) {
        length = 3;
        value = lead & 0x0Fu;
        minimum = 0x800;
    } else if ((lead & 0xF8u) == 0xF0u) {
        length = 4;
        value = lead & 0x07u;
        minimum = 0x10000;
    } else {
        return {};
    }
    if (text.size() - pos < length) {
        return {};
    }
    for (std::size_t i = 1; i < length; ++i) {
        const auto byte = static_cast<unsigned char>(text[pos + i]);
        if (!IsContinuation(byte)) {
            return {};
        }
        value = (value << 6) | (byte & 0x3Fu);
    }
    if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
        return {};
    }
    return {length, value};
}

}  // namespace

char32_t DecodeNextUtf8(std::string_view text, std::size_t& pos) {
    const Sequence sequence = SequenceAt(text, pos);
    if (sequence.length == 0) {
        ++pos;
        return kReplacementCharacter;
    }
    pos += sequence.length;
    return sequence.value;
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

std::string ToValidUtf8(std::string_view text) {
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t length = SequenceAt(text, pos).length;
        if (length == 0) {
            break;
        }
        pos += length;
    }
    if (pos == text.size()) {
        return std::string(text);
    }
    std::string out(text.substr(0, pos));
    for (const char32_t c : DecodeUtf8(text.substr(pos))) {
        EncodeUtf8(c, out);
    }
    return out;
}

}  // namespace quillmate
