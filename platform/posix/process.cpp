#include "platform/process.h"

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <spawn.h>
#include <strings.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/debug.h"
#include "platform/posix/host_path.h"

extern char** environ;

namespace krvx {
namespace platform {

namespace {
std::string BaseName(const std::string& path) {
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// A process matches by its executable's base name or by the base name of its first argument, so
// programs started through an interpreter or a loader are found under the name they were given.
bool Matches(const char* pid, const char* exeBaseName) {
    std::string folder = std::string("/proc/") + pid;
    char target[4096];
    ssize_t length = readlink((folder + "/exe").c_str(), target, sizeof(target) - 1);
    if (length > 0) {
        target[length] = '\0';
        if (strcasecmp(BaseName(target).c_str(), exeBaseName) == 0) return true;
    }
    FILE* cmdline = std::fopen((folder + "/cmdline").c_str(), "rb");
    if (!cmdline) return false;
    size_t got = std::fread(target, 1, sizeof(target) - 1, cmdline);
    std::fclose(cmdline);
    target[got] = '\0';
    return got > 0 && strcasecmp(BaseName(target).c_str(), exeBaseName) == 0;
}
}  // namespace

size_t FindProcessesByName(const char* exeBaseName, ProcessId* ids, size_t capacity) {
    if (!exeBaseName) return 0;
    DIR* proc = opendir("/proc");
    if (!proc) return 0;
    size_t found = 0;
    while (dirent* entry = readdir(proc)) {
        char* end = nullptr;
        unsigned long pid = std::strtoul(entry->d_name, &end, 10);
        if (end == entry->d_name || *end != '\0' || !Matches(entry->d_name, exeBaseName)) continue;
        if (ids && found < capacity) ids[found] = static_cast<ProcessId>(pid);
        ++found;
    }
    closedir(proc);
    return found;
}

namespace {
// posix_spawn's file actions, released on every path.
class SpawnActions {
public:
    SpawnActions() { m_ready = posix_spawn_file_actions_init(&m_actions) == 0; }
    ~SpawnActions() {
        if (m_ready) posix_spawn_file_actions_destroy(&m_actions);
    }
    SpawnActions(const SpawnActions&) = delete;
    SpawnActions& operator=(const SpawnActions&) = delete;

    // Standard output and standard error both into `path`, made anew.
    bool RedirectOutput(const char* path) {
        const int flags = O_WRONLY | O_CREAT | O_TRUNC;
        return m_ready && posix_spawn_file_actions_addopen(&m_actions, 1, path, flags, 0644) == 0 &&
               posix_spawn_file_actions_adddup2(&m_actions, 1, 2) == 0;
    }
    bool Ready() const { return m_ready; }
    const posix_spawn_file_actions_t* Get() const { return &m_actions; }

private:
    posix_spawn_file_actions_t m_actions;
    bool m_ready;
};
}  // namespace

int RunProcess(const char* exePath, const char* const* arguments, size_t argumentCount,
               const char* outputPath) {
    if (!exePath || (argumentCount > 0 && !arguments)) return -1;
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(exePath));
    for (size_t i = 0; i < argumentCount; ++i) argv.push_back(const_cast<char*>(arguments[i]));
    argv.push_back(nullptr);
    SpawnActions actions;
    if (!actions.Ready() || (outputPath && !actions.RedirectOutput(outputPath))) return -1;
    pid_t child = 0;
    // glibc's posix_spawn reports a program that cannot be executed as its own error.
    if (posix_spawn(&child, exePath, actions.Get(), nullptr, argv.data(), environ) != 0) return -1;
    int status = 0;
    while (waitpid(child, &status, 0) < 0) {
        if (errno != EINTR) return -1;
    }
    // A program ended by a signal did not answer with a code; the shell's convention marks it 128 + signal.
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

bool LaunchProcess(const char* exePath, const char* commandLine, const char* workingDirectory) {
    if (!exePath) return false;
    char native[4096];
    if (!HostPathToNative(exePath, native, sizeof(native))) return false;
    exePath = native;
    if (access(exePath, X_OK) != 0) return false;
    pid_t child = fork();
    if (child < 0) return false;
    if (child == 0) {
        // A grandchild does the work so the launched program is not left as our zombie.
        if (fork() != 0) _exit(0);
        if (workingDirectory && chdir(workingDirectory) != 0) _exit(127);
        if (commandLine && *commandLine)
            execl(exePath, exePath, commandLine, static_cast<char*>(nullptr));
        else
            execl(exePath, exePath, static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

ProcessId CurrentProcessId() {
    return static_cast<ProcessId>(getpid());
}

bool RestoreMainWindow(ProcessId process) {
    DebugPrintf("RestoreMainWindow %u: no windows on this system\n", static_cast<unsigned>(process));
    return false;
}

bool RaiseMainWindow(ProcessId process) {
    DebugPrintf("RaiseMainWindow %u: no windows on this system\n", static_cast<unsigned>(process));
    return false;
}

bool MinimiseMainWindow(ProcessId process) {
    DebugPrintf("MinimiseMainWindow %u: no windows on this system\n", static_cast<unsigned>(process));
    return false;
}

bool IsMainWindowMinimised(ProcessId) {
    return false;
}

bool AllowForegroundChange() {
    return true;
}

}  // namespace platform
}  // namespace krvx
