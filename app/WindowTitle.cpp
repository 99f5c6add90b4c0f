#include "app/WindowTitle.h"

#include "base/Paths.h"
#include "base/ProgramNames.h"

namespace quillmate {

std::string TitleForFile(int sourceInTitle, std::string_view storedPath, std::string_view dbFolder) {
    std::string title = std::string(kProgramTitle) + " ~ ";
    switch (sourceInTitle) {
        case 0:
            return title + FilePart(storedPath);
        case 1:
            return title.append(storedPath);
        default:
            return title.append(dbFolder) + WithoutLeadingSlashes(storedPath);
    }
}

}  // namespace quillmate
