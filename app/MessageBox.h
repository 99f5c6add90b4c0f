// Modal message boxes without a parent window: notices titled "Quillmate", errors
// "Quillmate-Error".
#pragma once

#include <string>

namespace quillmate {

// Information message with one OK button; returns when the user has closed it.
void ShowMessage(const std::string& title, const std::string& text);
// Question with Yes and No buttons; true for Yes.
bool AskYesNo(const std::string& title, const std::string& text);

}  // namespace quillmate
