#include "settings/LanguageTable.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <vector>

#include "base/Paths.h"
#include "base/Text.h"
#include "base/Utf8.h"

namespace quillmate {
namespace {

constexpr std::string_view kItemsSection = "[LanguageItems]";
constexpr std::string_view kTooltipSection = "[Tooltips]";
constexpr std::string_view kTooltipPrefix = "TT";

// The lines of the content, ending at LF or CR LF; a last line without LF counts as well.
// Leading spaces are removed; tabs and trailing spaces stay.
std::vector<std::string_view> SplitLines(std::string_view content) {
    std::vector<std::string_view> lines;
    while (!content.empty()) {
        const std::size_t end = content.find('\n');
        std::string_view line = content.substr(0, end);
        content.remove_prefix(end == std::string_view::npos ? content.size() : end + 1);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        lines.push_back(TrimLeft(line, " "));
    }
    return lines;
}

// A line "name = value": the name without trailing spaces, the value without leading spaces. A
// line without "=" has an empty name.
struct ItemLine {
    std::string_view name;
    std::string_view value;
};

ItemLine SplitItemLine(std::string_view line) {
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos) {
        return {{}, TrimLeft(line, " ")};
    }
    return {TrimRight(line.substr(0, equals), " "), TrimLeft(line.substr(equals + 1), " ")};
}

// A line that opens an item or a section always starts something new: it is never taken as a
// language line of the item before it, so an item missing a line cannot swallow the next one.
bool StartsSomething(std::string_view line) {
    return line == kTooltipSection || SplitItemLine(line).name == "Key";
}

}  // namespace

std::string LanguageCode(int language) {
    switch (language) {
        case 0:
            return "de";
        case 1:
            return "en";
        case 2:
            return "fr";
        default:
            return {};
    }
}

void LanguageTable::LoadText(std::string_view content) {
    m_items.clear();
    m_loaded = true;
    if (content.substr(0, kUtf8ByteOrderMark.size()) == kUtf8ByteOrderMark) {
        content.remove_prefix(kUtf8ByteOrderMark.size());
    }
    const std::vector<std::string_view> lines = SplitLines(content);
    std::size_t next = 0;
    while (next < lines.size() && lines[next] != kItemsSection) {
        ++next;
    }
    bool tooltips = false;
    // The language line expected at `next`, if it is one; the line is used up either way,
    // unless it starts a new item or section.
    auto takeLanguageLine = [&](std::string_view language) -> std::optional<std::string_view> {
        if (next >= lines.size() || StartsSomething(lines[next])) {
            return std::nullopt;
        }
        const ItemLine line = SplitItemLine(lines[next++]);
        return line.name == language ? std::optional(line.value) : std::nullopt;
    };
    while (next < lines.size()) {
        const std::string_view line = lines[next++];
        if (line == kTooltipSection) {
            tooltips = true;
            continue;
        }
        const ItemLine keyLine = SplitItemLine(line);
        if (keyLine.name != "Key") {
            continue;
        }
        std::string key = tooltips ? std::string(kTooltipPrefix) : std::string();
        key += keyLine.value;
        const auto de = takeLanguageLine("de");
        Texts* texts = nullptr;
        if (de) {
            texts = &m_items[ToValidUtf8(key)];
            texts->de = ToValidUtf8(*de);
        }
        const auto en = takeLanguageLine("en");
        if (texts != nullptr && en) {
            texts->en = ToValidUtf8(*en);
        }
        const auto fr = takeLanguageLine("fr");
        if (texts != nullptr && fr) {
            texts->fr = ToValidUtf8(*fr);
        }
    }
}

bool LanguageTable::Load() {
    if (m_loaded) {
        return true;
    }
    std::ifstream file;
    if (IsRegularFile(m_filePath)) {
        file.open(m_filePath, std::ios::binary);
    }
    if (!file.is_open()) {
        if (!m_warned) {
            m_warned = true;
            m_warningPending = true;
        }
        return false;
    }
    std::string content;
    char chunk[64 * 1024];
    while (content.size() < kMaxFileBytes && file) {
        const std::size_t wanted = std::min(sizeof chunk, kMaxFileBytes - content.size());
        file.read(chunk, static_cast<std::streamsize>(wanted));
        content.append(chunk, static_cast<std::size_t>(file.gcount()));
    }
    LoadText(content);
    return true;
}

int LanguageOfLocale(std::string_view locale) {
    const std::string_view code = locale.substr(0, 2);
    return code == "de" ? 0 : code == "fr" ? 2 : 1;
}

std::optional<std::string> LanguageTable::GetText(std::string_view key, bool isTooltip,
                                                  std::string_view languageCode) {
    if (!Load()) {
        return std::nullopt;
    }
    std::string fallback;
    if (languageCode.empty()) {
        if (const char* lang = std::getenv("LANG")) {
            fallback = std::string_view(lang).substr(0, 2);
        }
        languageCode = fallback;
    }
    std::string fullKey = isTooltip ? std::string(kTooltipPrefix) : std::string();
    fullKey += key;
    const auto item = m_items.find(fullKey);
    if (item == m_items.end()) {
        return std::nullopt;
    }
    const Texts& texts = item->second;
    if (languageCode == "de") {
        return texts.de;
    }
    if (languageCode == "en") {
        return texts.en;
    }
    if (languageCode == "fr") {
        return texts.fr;
    }
    return std::nullopt;
}

bool LanguageTable::TakeMissingFileWarning() {
    const bool pending = m_warningPending;
    m_warningPending = false;
    return pending;
}

}  // namespace quillmate
