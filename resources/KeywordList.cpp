#include "resources/KeywordList.h"

namespace quillmate {

namespace {

// Generated from Keywords.txt by the build.
constexpr std::string_view kKorvexKeywords[] = {
#include "KorvexKeywords.inc"
};

}  // namespace

std::span<const std::string_view> KorvexKeywords() {
    return kKorvexKeywords;
}

}  // namespace quillmate
