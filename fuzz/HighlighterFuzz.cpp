// Fuzz target: the fast highlighter against the literal passes. The input is made well-formed
// UTF-8 first (stray bytes become U+FFFD) so both sides see the same text; for the marking
// schemes 1 and 2 spans, procedure names and links must be identical.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "base/Utf8.h"
#include "fuzz/FuzzCheck.h"
#include "tests/core/HighlighterReference.h"
#include "viewer/Highlighter.h"

namespace {

// The literal passes search the whole text once per keyword and per declared name; longer inputs
// would only slow the fuzzer down without reaching new paths.
constexpr std::size_t kMaxInput = 8 * 1024;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace quillmate;
    using fuzz::Require;
    if (size > kMaxInput) {
        return 0;
    }
    const std::string utf8 = ToValidUtf8(fuzz::AsText(data, size));
    const std::optional<std::u32string> text = reference::DecodeUtf8(utf8);
    Require(text.has_value(), "ToValidUtf8 gives well-formed UTF-8");
    for (const int codeMarks : {1, 2}) {
        const HighlightResult fast = ComputeHighlight(utf8, codeMarks);
        const HighlightResult literal = reference::HighlightLiterally(*text, codeMarks);
        Require(fast.spans == literal.spans, "spans as the literal passes give them");
        Require(fast.procedureNames == literal.procedureNames, "procedure names as the literal passes");
        Require(fast.links == literal.links, "links as the literal passes");
    }
    return 0;
}
