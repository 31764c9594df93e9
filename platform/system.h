// Facts about the machine and the process: processors, the clock, the host executable's name.
#pragma once
#include <cstddef>
#include <cstdint>

namespace krvx {
namespace platform {

// Logical processors the system reports (at least 1).
uint32_t ProcessorCount();

// Milliseconds of wall-clock time since an arbitrary start, as the C runtime clock counts on Windows.
uint32_t ClockMilliseconds();

// Base name of the running executable ("Adobe Premiere Pro.exe"), zero-terminated in `buffer`.
// On POSIX the environment variable KRVX_HOST_NAME, when set, stands in for the real name, so a
// host harness can present itself as another program. False when the name does not fit or is unknown.
bool HostExecutableName(char* buffer, size_t bufferSize);

// The current system time in 100-nanosecond units since 1601-01-01 (the Windows file-time scale).
bool SystemTimeAsFileTime(uint64_t* fileTime);

// Makes HostExecutableName answer `name` in this process where the system lets a process stand in for
// another name (POSIX, through KRVX_HOST_NAME). False where it cannot (Windows): there only a program file
// of that name, run as its own process, is seen so.
bool PresentHostExecutableName(const char* name);

// Full path of the running executable, zero-terminated in `buffer`. False when it does not fit.
bool ExecutablePath(char* buffer, size_t bufferSize);

// True where unbuffered reads need the memory itself aligned to the sector size (Linux O_DIRECT does).
bool UnbufferedReadsNeedAlignedMemory();

// True when standard error is a terminal (progress bars are drawn only there).
bool StandardErrorIsTerminal();

// Sets an environment variable of this process (for the harness's stand-in host name). False on failure.
bool SetEnvironmentValue(const char* name, const char* value);

}  // namespace platform
}  // namespace krvx
