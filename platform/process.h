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

// Starts `exePath` with `commandLine` (may be null) in `workingDirectory` (may be null). False on failure.
bool LaunchProcess(const char* exePath, const char* commandLine, const char* workingDirectory);

// Main-window control. On POSIX these write their diagnostic line and do nothing else.
bool RestoreMainWindow(ProcessId process);
bool RaiseMainWindow(ProcessId process);
bool MinimiseMainWindow(ProcessId process);

}  // namespace platform
}  // namespace krvx
