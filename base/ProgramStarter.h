// Starts external programs (editor, xdg-open, beep) without a shell and without waiting.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace quillmate {

// Splits a parameter text into arguments at spaces, tabs and line feeds; text in double quotes
// forms (part of) one argument, without its quotes.
std::vector<std::string> SplitParameterText(std::string_view text);

// Wraps a path in double quotes so that SplitParameterText keeps it as one argument.
std::string QuoteForStarter(std::string_view path);

// Starts `program` (looked up on PATH when it holds no "/") in `workingFolder` when that is not
// empty, never through a shell. Start returns false when the program cannot be found or started.
// Children are not waited for; the finished ones are reaped on later starts.
class ProgramStarter {
  public:
    // Arguments come from SplitParameterText(parameterText).
    bool Start(const std::string& program, std::string_view parameterText, const std::string& workingFolder);
    bool StartWithArguments(const std::string& program, const std::vector<std::string>& arguments,
                            const std::string& workingFolder);

  private:
    void ReapFinishedChildren();

    std::vector<int> m_children;
};

}  // namespace quillmate
