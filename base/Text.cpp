#include "base/Text.h"

#include <algorithm>

namespace quillmate {

std::string_view TrimLeft(std::string_view text, std::string_view blanks) {
    const std::size_t first = text.find_first_not_of(blanks);
    return first == std::string_view::npos ? std::string_view() : text.substr(first);
}

std::string_view TrimRight(std::string_view text, std::string_view blanks) {
    const std::size_t last = text.find_last_not_of(blanks);
    return last == std::string_view::npos ? std::string_view() : text.substr(0, last + 1);
}

std::string_view Trim(std::string_view text, std::string_view blanks) {
    return TrimRight(TrimLeft(text, blanks), blanks);
}

long long LeadingInteger(std::string_view text, const NumberRule& rule) {
    text = TrimLeft(text, rule.skipped);
    bool negative = false;
    if (rule.sign && !text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    // Accumulated as a magnitude that stops one past the limit, so no row of digits overflows.
    long long magnitude = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') {
            break;
        }
        magnitude = std::min(magnitude * 10 + (c - '0'), rule.limit + 1);
    }
    return negative ? -magnitude : std::min(magnitude, rule.limit);
}

}  // namespace quillmate
