// The admin menu's exports and the duplicate protocol on the index as it is shown: the tree's
// items and the EntryList go to the core, its message goes into a box titled "Quillmate".
#pragma once

#include <vector>

#include "viewer/WebExport.h"

namespace quillmate {

class Application;
class IndexTree;

// Every row of the tree in order, with its depth as the level.
std::vector<ExportItem> ExportItemsOf(const IndexTree& tree);

void RunWebPageExport(Application& app);
void RunPostingExport(Application& app, bool newsOnly);
void RunFileListExport(Application& app);
void RunDuplicateProtocol(Application& app);

}  // namespace quillmate
