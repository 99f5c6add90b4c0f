#include "database/DuplicateProtocol.h"

#include <vector>

#include "base/Paths.h"

namespace quillmate {
namespace {

struct Pass {
    std::string_view DbEntry::*field;
    const char* label;
};

constexpr Pass kPasses[] = {
    {&DbEntry::file, "File: "},
    {&DbEntry::themeDe, "FunctionDe: "},
    {&DbEntry::descriptDe, "DescriptDe: "},
    {&DbEntry::themeEn, "FunctionEn: "},
    {&DbEntry::descriptEn, "DescriptEn: "},
};

std::string PairLine(const char* label, std::string_view first, const DbEntry& a, std::string_view second,
                     const DbEntry& b) {
    std::string line(label);
    for (const std::string_view part : {first, std::string_view("["), a.groupTitle, std::string_view("] = "),
                                        second, std::string_view("["), b.groupTitle, std::string_view("]")}) {
        line.append(part);
    }
    return line;
}

}  // namespace

void WriteDuplicateLines(const EntryList& entries, const std::string& dbFileName, LineWriter& out) {
    out.WriteLine("Doppelte xml-Einträge in " + dbFileName + ":");
    out.WriteLine("");
    std::vector<std::string> fileNames;
    fileNames.reserve(entries.size());
    for (const DbEntry& entry : entries) {
        fileNames.push_back(FilePart(entry.file));
    }
    bool firstPass = true;
    for (const Pass& pass : kPasses) {
        if (!firstPass) {
            out.WriteLine("");
        }
        const bool filePass = firstPass;
        firstPass = false;
        for (size_t i = 0; i < entries.size(); ++i) {
            const DbEntry& a = entries[i];
            const std::string_view value = a.*pass.field;
            if (value.empty()) {
                continue;
            }
            for (size_t j = i + 1; j < entries.size(); ++j) {
                const DbEntry& b = entries[j];
                if (b.*pass.field == value) {
                    out.WriteLine(PairLine(pass.label, value, a, b.*pass.field, b));
                }
                if (filePass && fileNames[j] == fileNames[i]) {
                    out.WriteLine(PairLine("File: ", fileNames[i], a, fileNames[j], b));
                }
            }
        }
    }
}

ExportResult WriteDuplicateProtocol(const EntryList& entries, const std::string& dbFileName,
                                    const std::string& exportFolder) {
    const std::string path = exportFolder + kProtocolFileName;
    ExportResult result;
    ExportFile out;
    if (out.Create(path)) {
        WriteDuplicateLines(entries, dbFileName, out);
        result.written = out.Close();
    }
    result.message = result.written ? "Protokoll with double terms done to ...\n" + path
                                    : "Couldn't create Protokoll\n" + path;
    return result;
}

}  // namespace quillmate
