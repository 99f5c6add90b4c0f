#include "viewer/PostingExport.h"

namespace quillmate {

void WritePosting(const std::vector<ExportItem>& items, const EntryList& entries, bool newsOnly,
                  LineWriter& out) {
    const DbEntry none;
    int previousLevel = 0;
    std::string heading;
    for (size_t i = 0; i < items.size(); ++i) {
        const ExportItem& item = items[i];
        if (item.level == 1) {
            heading = "[b]" + item.text + "[/b]";
        } else if (item.level == 2 && (previousLevel == 1 || previousLevel == 2)) {
            if (previousLevel == 1) {
                out.WriteLine("");
            }
            const DbEntry& entry = i < entries.size() ? entries[i] : none;
            if (!newsOnly || entry.themeDe.starts_with(NewMark)) {
                out.WriteLine(heading + ": \t" + std::string(entry.themeDe));
            }
        }
        previousLevel = LevelAfter(item);
    }
}

ExportResult ExportPosting(const std::vector<ExportItem>& items, const EntryList& entries, bool newsOnly,
                           const std::string& exportFolder) {
    const std::string path = exportFolder + kPostingFileName;
    ExportResult result;
    ExportFile out;
    if (out.Create(path)) {
        WritePosting(items, entries, newsOnly, out);
        result.written = out.Close();
    }
    result.message = result.written ? "text-Export done to ...\n" + path : "Couldn't create\n" + path;
    return result;
}

int ExportFileList(const std::vector<ExportItem>& items, const EntryList& entries) {
    int visited = 0;
    for (size_t i = 0; i < items.size() && i < entries.size(); ++i) {
        if (items[i].level == 2) {
            ++visited;
        }
    }
    return visited;
}

}  // namespace quillmate
