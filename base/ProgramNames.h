// The program's fixed names: its title, the files it keeps beside it, and the folders the admin
// tools use relative to the program folder.
#pragma once

namespace quillmate {

inline constexpr const char* kProgramTitle = "Quillmate";
// The desktop file's id, which the desktop matches with the window's application id and class.
inline constexpr const char* kApplicationId = "org.quillmate.Quillmate";
inline constexpr const char* kOwnThemeName = "Quillmate";
inline constexpr const char* kPreferencesFileName = "QuillmateViewer.ini";
// The favourites and the last entries shown, beside the preferences file.
inline constexpr const char* kStateFileName = "QuillmateState.txt";
// The folder of a user's own settings below the user's configuration folder.
inline constexpr const char* kSettingsFolderName = "quillmate";
inline constexpr const char* kLanguageFileName = "QuillmateLang.inf";
inline constexpr const char* kDefaultDbFileName = "Quillmate-Toc.xml";
inline constexpr const char* kTemplatesFolder = "../../Templates/";
inline constexpr const char* kExportFolder = "../../Export/";
inline constexpr const char* kPlatformWord = "Linux";
inline constexpr const char* kHelpFileName = "ViewerHelp.txt";

}  // namespace quillmate
