# Script mode: writes OUTPUT, a C++ source that carries the PNG bytes of every built-in picture
# (PICTURE_DIR/<name>.png) as an array and maps each Picture value to its bytes.
include(${CMAKE_CURRENT_LIST_DIR}/PictureList.cmake)

string(REPEAT "0x[0-9a-f][0-9a-f]," 16 sixteen_bytes)
set(arrays "")
set(cases "")
foreach(name IN LISTS QUILLMATE_PICTURES)
  set(file "${PICTURE_DIR}/${name}.png")
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
  string(APPEND arrays "const unsigned char k${name}[] = {\n    ${bytes}\n};\n\n")
  string(APPEND cases "        case Picture::${name}:\n            return k${name};\n")
endforeach()

file(WRITE "${OUTPUT}"
"// Generated from resources/pictures/*.png by resources/EmbedPictures.cmake; do not edit.
#include \"resources/Pictures.h\"

namespace quillmate {
namespace {

${arrays}}  // namespace

std::span<const unsigned char> PictureData(Picture picture) {
    switch (picture) {
${cases}    }
    return {};
}

}  // namespace quillmate
")
