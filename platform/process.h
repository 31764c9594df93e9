// Other processes and their main windows.
#pragma once
#include <cstddef>
#include <cstdint>

namespace krvx {
namespace platform {

using ProcessId = uint32_t;

// Fills `ids` with up to `capacity` running processes whose executable base name equals `exeBaseName`
// (case-insensitive); returns how many were found in all.
size_t FindProcessesByName(const char* exeBaseName, ProcessId* ids, size_t capacity);

// Runs `exePath` with `arguments` (each reaches the program as one argument, whatever characters it holds)
// and waits for it to end. Its standard output and standard error go to the file `outputPath`, made anew,
// when that is not null, else to this process's own. Returns its exit code (on Windows the 32 bits of the
// code taken as an int, so a crash's status comes back negative), or -1 when it did not start.
int RunProcess(const char* exePath, const char* const* arguments, size_t argumentCount,
               const char* outputPath);

// Starts `exePath` (on POSIX a backslash in it separates folders too, so Windows-form paths built by callers
// work) with `commandLine` (may be null) in `workingDirectory` (may be null). False on failure.
bool LaunchProcess(const char* exePath, const char* commandLine, const char* workingDirectory);

ProcessId CurrentProcessId();

// Main-window control. A main window is a visible top-level window of the process without an owner. On
// POSIX these write their diagnostic line and do nothing else.
bool RestoreMainWindow(ProcessId process);
bool RaiseMainWindow(ProcessId process);
bool MinimiseMainWindow(ProcessId process);
// True when the process has a main window and it is minimised; always false on POSIX.
bool IsMainWindowMinimised(ProcessId process);
// Lets the current process hand the foreground to another window; a no-op on POSIX.
bool AllowForegroundChange();

}  // namespace platform
}  // namespace krvx
