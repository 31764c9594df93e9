#include "platform/system.h"

#include <windows.h>

// After windows.h, whose types it uses.
#include <psapi.h>

#include <cstring>

namespace krvx {
namespace platform {

uint32_t ProcessorCount() {
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    return info.dwNumberOfProcessors < 1 ? 1u : info.dwNumberOfProcessors;
}

uint32_t ClockMilliseconds() {
    return GetTickCount();
}

bool HostExecutableName(char* buffer, size_t bufferSize) {
    if (!buffer || bufferSize == 0) return false;
    DWORD length = GetModuleBaseNameA(GetCurrentProcess(), nullptr, buffer, static_cast<DWORD>(bufferSize));
    return length > 0 && length < bufferSize;
}

bool SystemTimeAsFileTime(uint64_t* fileTime) {
    if (!fileTime) return false;
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    *fileTime = (static_cast<uint64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
    return true;
    return true;
}

// The system takes the name from the program file the process runs; nothing in the process changes it.
bool PresentHostExecutableName(const char*) { return false; }

bool ExecutablePath(char* buffer, size_t bufferSize) {
    if (!buffer || bufferSize == 0) return false;
    DWORD size = bufferSize > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<DWORD>(bufferSize);
    DWORD length = GetModuleFileNameA(nullptr, buffer, size);
    // A path that did not fit comes back cut, with the full size as its length.
    return length > 0 && length < size;
}

bool UnbufferedReadsNeedAlignedMemory() { return false; }

// A console handle answers GetConsoleMode; a pipe or a file does not.
bool StandardErrorIsTerminal() {
    DWORD mode = 0;
    return GetConsoleMode(GetStdHandle(STD_ERROR_HANDLE), &mode) != 0;
}

bool SetEnvironmentValue(const char* name, const char* value) { return SetEnvironmentVariableA(name, value) != 0; }

}  // namespace platform
}  // namespace krvx
