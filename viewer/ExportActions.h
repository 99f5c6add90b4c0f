// The admin menu's exports and the duplicate protocol on the index as it is shown: the index
// rows and the EntryList go to the core, its message goes into a box titled "Quillmate".
#pragma once

namespace quillmate {

class Application;

void RunWebPageExport(Application& app);
void RunPostingExport(Application& app, bool newsOnly);
void RunFileListExport(Application& app);
void RunDuplicateProtocol(Application& app);

}  // namespace quillmate
