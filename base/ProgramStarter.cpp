#include "base/ProgramStarter.h"

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <memory>

extern char** environ;

namespace quillmate {
namespace {

struct SpawnDeleter {
    void operator()(posix_spawn_file_actions_t* actions) const { posix_spawn_file_actions_destroy(actions); }
    void operator()(posix_spawnattr_t* attributes) const { posix_spawnattr_destroy(attributes); }
};

}  // namespace

std::vector<std::string> SplitParameterText(std::string_view text) {
    std::vector<std::string> arguments;
    std::string current;
    bool inArgument = false;
    bool quoted = false;
    for (const char c : text) {
        if (c == '"') {
            quoted = !quoted;
            inArgument = true;
        } else if (!quoted && (c == ' ' || c == '\t' || c == '\n')) {
            if (inArgument) {
                arguments.push_back(std::move(current));
                current.clear();
                inArgument = false;
            }
        } else {
            current.push_back(c);
            inArgument = true;
        }
    }
    if (inArgument) {
        arguments.push_back(std::move(current));
    }
    return arguments;
}

std::string QuoteForStarter(std::string_view path) {
    std::string quoted;
    quoted.reserve(path.size() + 2);
    quoted.push_back('"');
    quoted.append(path);
    quoted.push_back('"');
    return quoted;
}

// Only our own children are reaped: GLib may wait for children of its own.
void ProgramStarter::ReapFinishedChildren() {
    std::erase_if(m_children, [](int pid) { return ::waitpid(pid, nullptr, WNOHANG) != 0; });
}

bool ProgramStarter::Start(const std::string& program, std::string_view parameterText,
                           const std::string& workingFolder) {
    return StartWithArguments(program, SplitParameterText(parameterText), workingFolder);
}

bool ProgramStarter::StartWithArguments(const std::string& program, const std::vector<std::string>& arguments,
                                        const std::string& workingFolder) {
    ReapFinishedChildren();
    if (program.empty()) {
        return false;
    }
    std::vector<char*> argv;
    argv.reserve(arguments.size() + 2);
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const auto& argument : arguments) {
        argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actionsStorage;
    if (posix_spawn_file_actions_init(&actionsStorage) != 0) {
        return false;
    }
    std::unique_ptr<posix_spawn_file_actions_t, SpawnDeleter> actions(&actionsStorage);
    if (!workingFolder.empty() &&
        posix_spawn_file_actions_addchdir_np(actions.get(), workingFolder.c_str()) != 0) {
        return false;
    }
    // A started program handles the signals as it would when started from a shell, not as this
    // one does (a write beyond the file-size limit fails here instead of ending the program).
    posix_spawnattr_t attributesStorage;
    if (posix_spawnattr_init(&attributesStorage) != 0) {
        return false;
    }
    std::unique_ptr<posix_spawnattr_t, SpawnDeleter> attributes(&attributesStorage);
    sigset_t defaults;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGXFSZ);
    if (posix_spawnattr_setsigdefault(attributes.get(), &defaults) != 0 ||
        posix_spawnattr_setflags(attributes.get(), POSIX_SPAWN_SETSIGDEF) != 0) {
        return false;
    }
    pid_t pid = 0;
    const bool searchPath = program.find('/') == std::string::npos;
    const int result =
        searchPath
            ? posix_spawnp(&pid, program.c_str(), actions.get(), attributes.get(), argv.data(), environ)
            : posix_spawn(&pid, program.c_str(), actions.get(), attributes.get(), argv.data(), environ);
    if (result != 0) {
        return false;
    }
    m_children.push_back(pid);
    return true;
}

}  // namespace quillmate
