#include "platform/process.h"

#include <windows.h>
#include <tlhelp32.h>

#include <string>

namespace krvx {
namespace platform {

namespace {
struct WindowSearch {
    DWORD process;
    HWND window;
};

BOOL CALLBACK FindMainWindow(HWND window, LPARAM argument) {
    WindowSearch* search = reinterpret_cast<WindowSearch*>(argument);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != search->process || GetWindow(window, GW_OWNER) != nullptr || !IsWindowVisible(window)) return TRUE;
    search->window = window;
    return FALSE;
}

HWND MainWindow(ProcessId process) {
    WindowSearch search{process, nullptr};
    EnumWindows(FindMainWindow, reinterpret_cast<LPARAM>(&search));
    return search.window;
}
}  // namespace

size_t FindProcessesByName(const char* exeBaseName, ProcessId* ids, size_t capacity) {
    if (!exeBaseName) return 0;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return 0;
    PROCESSENTRY32 entry;
    entry.dwSize = sizeof(entry);
    size_t found = 0;
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry)) {
        if (lstrcmpiA(entry.szExeFile, exeBaseName) != 0) continue;
        if (ids && found < capacity) ids[found] = entry.th32ProcessID;
        ++found;
    }
    CloseHandle(snapshot);
    return found;
}

bool LaunchProcess(const char* exePath, const char* commandLine, const char* workingDirectory) {
    if (!exePath) return false;
    std::string line = std::string("\"") + exePath + "\"";
    if (commandLine && *commandLine) line += std::string(" ") + commandLine;
    STARTUPINFOA startup;
    ZeroMemory(&startup, sizeof(startup));
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process;
    if (!CreateProcessA(exePath, &line[0], nullptr, nullptr, FALSE, 0, nullptr, workingDirectory, &startup, &process))
        return false;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return true;
}

ProcessId CurrentProcessId() {
    return GetCurrentProcessId();
}

bool RestoreMainWindow(ProcessId process) {
    HWND window = MainWindow(process);
    return window && ShowWindow(window, SW_RESTORE) >= 0;
}

bool RaiseMainWindow(ProcessId process) {
    HWND window = MainWindow(process);
    return window && SetForegroundWindow(window) != 0;
}

bool MinimiseMainWindow(ProcessId process) {
    HWND window = MainWindow(process);
    return window && ShowWindow(window, SW_MINIMIZE) >= 0;
}

bool IsMainWindowMinimised(ProcessId process) {
    HWND window = MainWindow(process);
    return window && IsIconic(window) != 0;
}

bool AllowForegroundChange() {
    return AllowSetForegroundWindow(GetCurrentProcessId()) != 0;
}

}  // namespace platform
}  // namespace krvx
