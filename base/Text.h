// The small text rules every reader of the program's files shares: trimming and the number at
// the start of a text.
#pragma once

#include <climits>
#include <string_view>

namespace quillmate {

inline constexpr std::string_view kBlanks = " \t";

// The text without the given characters at its start, end, or both.
std::string_view TrimLeft(std::string_view text, std::string_view blanks = kBlanks);
std::string_view TrimRight(std::string_view text, std::string_view blanks = kBlanks);
std::string_view Trim(std::string_view text, std::string_view blanks = kBlanks);

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
