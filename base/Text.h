// The small text rules every reader of the program's files shares: trimming, ASCII case and the
// number at the start of a text.
#pragma once

#include <climits>
#include <string_view>

namespace quillmate {

inline constexpr std::string_view kBlanks = " \t";

// The text without the given characters at its start, end, or both.
std::string_view TrimLeft(std::string_view text, std::string_view blanks = kBlanks);
std::string_view TrimRight(std::string_view text, std::string_view blanks = kBlanks);
std::string_view Trim(std::string_view text, std::string_view blanks = kBlanks);

// A-Z as a-z; every other byte as it is.
constexpr char AsciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// Equal when only the case of ASCII letters differs.
constexpr bool EqualIgnoringAsciiCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (AsciiLower(a[i]) != AsciiLower(b[i])) {
            return false;
        }
    }
    return true;
}

// How LeadingInteger reads a number: which characters before it are skipped, whether a "+" or
// "-" may stand before the digits, and the largest value (a longer row of digits stops there;
// a negative value stops at -(limit + 1)).
struct NumberRule {
    std::string_view skipped = kBlanks;
    bool sign = true;
    long long limit = INT_MAX;
};

// The value of the digits at the start of `text` ("12a" is 12, "x" is 0).
long long LeadingInteger(std::string_view text, const NumberRule& rule = {});

}  // namespace quillmate
