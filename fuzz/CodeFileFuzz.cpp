// Fuzz target: any bytes as a code file. The shown text is well-formed UTF-8 without CR and NUL,
// no line of it starts with "?", and the facts read from the trailer stay in their ranges. The
// same bytes as a dropped file's path give an extension within the path's last component.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz/FuzzCheck.h"
#include "viewer/CodeFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace quillmate;
    using fuzz::Require;
    const std::string_view bytes = fuzz::AsText(data, size);

    const DecodedCodeText decoded = DecodeCodeText(bytes);
    const std::string& text = decoded.text;
    Require(fuzz::IsValidUtf8(text), "the text is UTF-8");
    Require(text.find('\r') == std::string::npos, "the text holds no CR");
    Require(text.find('\0') == std::string::npos, "the text holds no NUL");
    Require(!text.starts_with('?') && text.find("\n?") == std::string::npos, "no line starts with ?");
    Require(decoded.info.srcUtf8 == (DetectEncoding(bytes).encoding == TextEncoding::Utf8 ? 1 : 0),
            "srcUtf8 follows the byte-order mark");
    Require(decoded.info.exeUnicode == 0 || decoded.info.exeUnicode == 1, "exeUnicode is 0 or 1");
    Require(decoded.info.subSystem >= 0 && decoded.info.subSystem <= 2, "subSystem is 0, 1 or 2");
    Require(DetectEncoding(bytes).markLength <= size, "the mark lies inside the file");

    const DropChoice drop = ChooseDroppedFile(bytes);
    Require(drop.fullPath.find('\n') == std::string::npos, "only the first dropped line counts");
    Require(drop.extension.find_first_of("/ .\"") == std::string::npos, "the extension is one name part");
    Require(drop.fullPath.find(drop.extension) != std::string::npos, "the extension is part of the path");
    return 0;
}
