// The Korvex keyword list of the highlighter, embedded from resources/Keywords.txt at build time.
#pragma once

#include <span>
#include <string_view>

namespace quillmate {

// The keywords in matching order, one entry per line of Keywords.txt (each made of word characters).
std::span<const std::string_view> KorvexKeywords();

}  // namespace quillmate
