#include "viewer/ExternalPrograms.h"

#include "base/Paths.h"
#include "viewer/CodeFile.h"

namespace quillmate {

std::string CodePath(std::string_view dbFolder, std::string_view entryPath) {
    return CodeFileFullPath(dbFolder, entryPath);
}

OpenCodeChoice ChooseCodeOpener(const std::string& editorPath) {
    if (editorPath.empty()) {
        return OpenCodeChoice::DefaultApp;
    }
    return HasOwnerExecuteBit(editorPath) ? OpenCodeChoice::Editor : OpenCodeChoice::Nothing;
}

int OpenWithDefaultApp(ProgramStarter& starter, const std::string& path, const std::string& workingFolder,
                       int /*flags*/) {
    if (!IsRegularFile(path)) {
        return 0;
    }
    if (starter.StartWithArguments("xdg-open", {path}, workingFolder)) {
        return 1;
    }
    return starter.StartWithArguments("gnome-open", {path}, workingFolder) ? 1 : 0;
}

bool StartCodeOpener(ProgramStarter& starter, const std::string& editorPath, const std::string& codePath) {
    switch (ChooseCodeOpener(editorPath)) {
        case OpenCodeChoice::Editor:
            return starter.StartWithArguments(editorPath, {codePath}, "");
        case OpenCodeChoice::DefaultApp:
            return OpenWithDefaultApp(starter, codePath, "", 0) != 0;
        case OpenCodeChoice::Nothing:
            break;
    }
    return false;
}

void OpenFolderOrBeep(ProgramStarter& starter, const std::string& libraryField,
                      const std::string& programFolder) {
    const std::string& named = libraryField.empty() ? programFolder : libraryField;
    std::string folder = WithoutTrailingSlashes(named);
    if (folder.empty() && !named.empty()) {
        folder.push_back('/');  // the root folder keeps its only slash
    }
    if (IsDirectory(folder)) {
        if (!starter.StartWithArguments("xdg-open", {folder}, "")) {
            starter.StartWithArguments("gnome-open", {folder}, "");
        }
        return;
    }
    starter.Start(kMissingFileBeepProgram, kMissingFileBeepParameters, "");
}

std::optional<std::string> HelpFileEditPath(std::string_view dbFolder, const EntryList& entries,
                                            int helpIndex) {
    if (helpIndex <= 0 || static_cast<size_t>(helpIndex) >= entries.size()) {
        return std::nullopt;
    }
    return std::string(dbFolder) + std::string(entries[static_cast<size_t>(helpIndex)].file);
}

}  // namespace quillmate
