#include "platform/process.h"

#include <dirent.h>
#include <strings.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/debug.h"

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

bool LaunchProcess(const char* exePath, const char* commandLine, const char* workingDirectory) {
    if (!exePath) return false;
    std::string path = exePath;
    for (char& c : path)
        if (c == '\\') c = '/';
    exePath = path.c_str();
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
