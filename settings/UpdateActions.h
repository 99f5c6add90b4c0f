// The update check's operations on the program: starting the download and showing its answers.
#pragma once

namespace quillmate {

class Application;

// The info menu's update check: shows the window and starts downloading the version file unless
// a download is running already. The window is filled when the answer arrives.
void CheckForUpdates(Application& app);

// The download has finished: shows the answers; a failed download changes no field.
void ShowUpdateAnswers(Application& app);

}  // namespace quillmate
