// Fuzz target: any bytes as a language file. Every text found is well-formed UTF-8, there are no
// more items than "Key" lines, and a leading byte-order mark changes nothing.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/FuzzCheck.h"
#include "settings/LanguageTable.h"

namespace quillmate {
namespace {

using fuzz::Require;

// The values of the lines whose name part is "Key", found without the table's own code.
std::vector<std::string_view> KeyLineValues(std::string_view content) {
    std::vector<std::string_view> keys;
    while (!content.empty()) {
        const std::size_t end = content.find('\n');
        std::string_view line = content.substr(0, end);
        content.remove_prefix(end == std::string_view::npos ? content.size() : end + 1);
        const std::size_t equals = line.find('=');
        if (equals == std::string_view::npos) {
            continue;
        }
        std::string_view name = line.substr(0, equals);
        name.remove_prefix(std::min(name.find_first_not_of(' '), name.size()));
        name.remove_suffix(name.size() - std::min(name.find_last_not_of(' ') + 1, name.size()));
        if (name != "Key") {
            continue;
        }
        std::string_view value = line.substr(equals + 1);
        value.remove_prefix(std::min(value.find_first_not_of(' '), value.size()));
        if (!value.empty() && value.back() == '\r') {
            value.remove_suffix(1);
        }
        keys.push_back(value);
    }
    return keys;
}

std::vector<std::optional<std::string>> Lookups(LanguageTable& table,
                                                const std::vector<std::string_view>& keys) {
    std::vector<std::optional<std::string>> texts;
    for (const std::string_view key : keys) {
        for (const bool tooltip : {false, true}) {
            for (const std::string_view code : {"de", "en", "fr", "it"}) {
                texts.push_back(table.GetText(key, tooltip, code));
                if (texts.back()) {
                    Require(fuzz::IsValidUtf8(*texts.back()), "texts are UTF-8");
                }
            }
        }
        if (key.starts_with("TT")) {
            texts.push_back(table.GetText(key.substr(2), true, "de"));
        }
    }
    return texts;
}

}  // namespace
}  // namespace quillmate

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace quillmate;
    const std::string_view content = fuzz::AsText(data, size);
    std::vector<std::string_view> keys = KeyLineValues(content);
    if (keys.size() > 64) {
        keys.resize(64);  // enough to look at; the lookups are not what is being tested
    }

    LanguageTable table;
    table.LoadText(content);
    fuzz::Require(table.Loaded(), "loaded text counts as loaded");
    fuzz::Require(table.ItemCount() <= KeyLineValues(content).size(), "at most one item per Key line");
    const auto texts = Lookups(table, keys);

    // One leading byte-order mark is skipped, so adding one to text without one changes nothing.
    constexpr std::string_view kMark = "\xEF\xBB\xBF";
    if (!content.starts_with(kMark)) {
        LanguageTable withMark;
        withMark.LoadText(std::string(kMark) + std::string(content));
        fuzz::Require(withMark.ItemCount() == table.ItemCount(), "a byte-order mark adds no item");
        fuzz::Require(Lookups(withMark, keys) == texts, "a byte-order mark changes no text");
    }
    return 0;
}
