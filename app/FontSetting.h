// Splits GTK's "gtk-font-name" setting into a family and a size.
#pragma once

#include <string>
#include <string_view>

namespace quillmate {

struct FontChoice {
    std::string family;
    int size = 10;
};

// When the leading digits of the last blank-separated word give a number other than 0, that is
// the size and the family is the text before the last blank; otherwise the whole setting is the
// family and the size is 10.
FontChoice ParseDesktopFontName(std::string_view setting);

}  // namespace quillmate
