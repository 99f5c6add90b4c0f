// The find in the shown code: opening and closing the bar, a new term, the next match.
#pragma once

#include <string>

namespace quillmate {

struct Application;

// Opens the find bar with `term`, or else the text selected in the code view (one line of it), or
// else the bar's last term, and marks its matches; the bar takes the focus unless `focus` is false.
void OpenFindBar(Application& app, const std::string& term = {}, bool focus = true);
// Marks the matches of the bar's term as it now stands.
void FindTermChanged(Application& app);
void StepFind(Application& app, bool forward);
// Closes the bar, removes the marks and gives the focus back to the code view.
void CloseFindBar(Application& app);

}  // namespace quillmate
