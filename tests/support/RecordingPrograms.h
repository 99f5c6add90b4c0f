// Stand-ins for external programs ("xdg-open", "gnome-open", "beep", an editor): small shell
// scripts in a temporary folder that record each call's program name and arguments.
#pragma once

#include <chrono>
#include <string>
#include <vector>

namespace quillmate::test {

struct RecordedCall {
    std::string program;
    std::vector<std::string> arguments;
};

class RecordingPrograms {
  public:
    RecordingPrograms();
    ~RecordingPrograms();
    RecordingPrograms(const RecordingPrograms&) = delete;
    RecordingPrograms& operator=(const RecordingPrograms&) = delete;

    // Folder holding the scripts, ending with "/"; meant to be the whole search path.
    const std::string& Folder() const { return m_folder; }
    // Creates a recording script; returns its full path. `folder` is relative to Folder().
    std::string Add(const std::string& name, const std::string& folder = "");
    // Replaces PATH by Folder() until the object ends.
    void UseAsSearchPath();
    // Waits until at least `count` calls were recorded (or the time is up) and returns them all,
    // in no particular order.
    std::vector<RecordedCall> WaitForCalls(size_t count,
                                           std::chrono::milliseconds timeout = std::chrono::seconds(5)) const;
    // Calls recorded so far after a short settling time (for "nothing was started").
    std::vector<RecordedCall> CallsAfterSettling() const;

  private:
    std::vector<RecordedCall> ReadCalls() const;

    std::string m_folder;
    std::string m_logFolder;
    std::string m_savedPath;
    bool m_pathReplaced = false;
};

}  // namespace quillmate::test
