# Script mode: writes OUTPUT, a C++ source that carries the PNG bytes of every built-in picture,
# drawn at its size and at twice its size (PICTURE_DIR/<name>.png and <name>@2x.png), as arrays
# and maps each Picture value and drawing scale to its bytes.
include(${CMAKE_CURRENT_LIST_DIR}/PictureList.cmake)

string(REPEAT "0x[0-9a-f][0-9a-f]," 16 sixteen_bytes)
set(arrays "")
set(cases "")
foreach(name IN LISTS QUILLMATE_PICTURES)
  foreach(variant IN ITEMS "" "@2x")
    set(file "${PICTURE_DIR}/${name}${variant}.png")
    if(NOT EXISTS "${file}")
      message(FATAL_ERROR "Missing picture ${file}")
    endif()
    file(READ "${file}" hex HEX)
    if(hex STREQUAL "")
      message(FATAL_ERROR "Empty picture ${file}")
    endif()
    string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
    # Sixteen bytes to a line keeps the generated file readable.
    string(REGEX REPLACE "(${sixteen_bytes})" "\\1\n    " bytes "${bytes}")
    string(REPLACE "@" "At" array "k${name}${variant}")
    string(APPEND arrays "const unsigned char ${array}[] = {\n    ${bytes}\n};\n\n")
  endforeach()
  string(APPEND cases "        case Picture::${name}:\n            return Drawing(k${name}, k${name}At2x, scale);\n")
endforeach()

file(WRITE "${OUTPUT}"
"// Generated from resources/pictures/*.png by resources/EmbedPictures.cmake; do not edit.
#include \"resources/Pictures.h\"

namespace quillmate {
namespace {

${arrays}std::span<const unsigned char> Drawing(std::span<const unsigned char> single,
                                       std::span<const unsigned char> doubled, int scale) {
    return scale == 2 ? doubled : single;
}

}  // namespace

std::span<const unsigned char> PictureData(Picture picture, int scale) {
    switch (picture) {
${cases}    }
    return {};
}

}  // namespace quillmate
")
