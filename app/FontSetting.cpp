#include "app/FontSetting.h"

#include "base/Text.h"

namespace quillmate {

FontChoice ParseDesktopFontName(std::string_view setting) {
    const auto blank = setting.rfind(' ');
    const std::string_view lastWord = blank == std::string_view::npos ? setting : setting.substr(blank + 1);
    const auto size = LeadingInteger(lastWord, {"", false, 100000});
    if (size != 0 && blank != std::string_view::npos) {
        return FontChoice{std::string(setting.substr(0, blank)), static_cast<int>(size)};
    }
    if (size != 0) {
        return FontChoice{"", static_cast<int>(size)};
    }
    return FontChoice{std::string(setting), 10};
}

}  // namespace quillmate
