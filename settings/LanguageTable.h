// The text table of the language file "QuillmateLang.inf": user-interface texts and tooltips in
// German, English and French, looked up by key.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

namespace quillmate {

// Language code of a language number: 0 "de", 1 "en", 2 "fr", any other number "".
std::string LanguageCode(int language);
// The language of a locale name such as "fr_FR.UTF-8": 0 German for "de", 2 French for "fr",
// 1 English for anything else.
int LanguageOfLocale(std::string_view locale);

class LanguageTable {
  public:
    // Only this much of the file is read; no language file comes near it.
    static constexpr std::size_t kMaxFileBytes = 4u * 1024u * 1024u;

    explicit LanguageTable(std::string filePath = {}) : m_filePath(std::move(filePath)) {}

    // The language file read by the first lookup.
    void SetFilePath(std::string filePath) { m_filePath = std::move(filePath); }
    const std::string& FilePath() const { return m_filePath; }

    // The text of `key` (a tooltip's key is "TT" + `key`) in the language `languageCode` ("de",
    // "en" or "fr"; an empty code stands for the first two characters of the environment
    // variable "LANG"). Reads the file on the first call of the run and retries while it cannot
    // be read. Nothing when the file cannot be read, the key has no item, the item has no line
    // for the language, or the code is another one: the caller then keeps its built-in text.
    std::optional<std::string> GetText(std::string_view key, bool isTooltip, std::string_view languageCode);

    // True once per run, after the first lookup that could not read the file: the caller shows
    // "Language-File not found!" in a box with an empty title.
    bool TakeMissingFileWarning();

    // Reads the file unless it has been read already; true when the table is loaded.
    bool Load();
    bool Loaded() const { return m_loaded; }
    // Fills the table from the content of a language file (replacing what it held) and marks it
    // loaded. Texts that are not well-formed UTF-8 have their stray bytes replaced by U+FFFD.
    void LoadText(std::string_view content);
    std::size_t ItemCount() const { return m_items.size(); }

  private:
    struct Texts {
        std::optional<std::string> de;
        std::optional<std::string> en;
        std::optional<std::string> fr;
    };

    std::string m_filePath;
    bool m_loaded = false;
    bool m_warned = false;
    bool m_warningPending = false;
    std::unordered_map<std::string, Texts> m_items;
};

}  // namespace quillmate
