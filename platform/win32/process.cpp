#include "platform/process.h"

#include <windows.h>
#include <tlhelp32.h>

#include <cstring>
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

// A kernel handle, closed on every path.
class Handle {
public:
    Handle() = default;
    explicit Handle(HANDLE handle) : m_handle(handle) {}
    ~Handle() {
        if (Valid()) CloseHandle(m_handle);
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    Handle(Handle&& other) noexcept : m_handle(other.m_handle) { other.m_handle = nullptr; }
    Handle& operator=(Handle&& other) noexcept {
        if (this != &other) {
            if (Valid()) CloseHandle(m_handle);
            m_handle = other.m_handle;
            other.m_handle = nullptr;
        }
        return *this;
    }

    bool Valid() const { return m_handle && m_handle != INVALID_HANDLE_VALUE; }
    HANDLE Get() const { return m_handle; }

private:
    HANDLE m_handle = nullptr;
};

// A copy of one of our standard handles that a child process inherits; none when we have none.
Handle InheritableCopy(DWORD standardHandle) {
    HANDLE ours = GetStdHandle(standardHandle);
    HANDLE copy = nullptr;
    if (!ours || ours == INVALID_HANDLE_VALUE ||
        !DuplicateHandle(GetCurrentProcess(), ours, GetCurrentProcess(), &copy, 0, TRUE,
                         DUPLICATE_SAME_ACCESS))
        return Handle();
    return Handle(copy);
}

// Appends one argument as the C runtime's command-line parser splits it back: quoted when it holds
// blanks or quotes (or is empty), a quote escaped by a backslash, and backslashes doubled only where
// they precede a quote.
void AppendArgument(std::string& line, const char* argument) {
    if (!line.empty()) line += ' ';
    if (*argument && !std::strpbrk(argument, " \t\n\v\"")) {
        line += argument;
        return;
    }
    line += '"';
    for (const char* c = argument;; ++c) {
        size_t backslashes = 0;
        while (*c == '\\') {
            ++backslashes;
            ++c;
        }
        if (*c == '\0') {
            line.append(backslashes * 2, '\\');
            break;
        }
        line.append(*c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
        line += *c;
    }
    line += '"';
}
}  // namespace

int RunProcess(const char* exePath, const char* const* arguments, size_t argumentCount,
               const char* outputPath) {
    if (!exePath || (argumentCount > 0 && !arguments)) return -1;
    std::string line;
    AppendArgument(line, exePath);
    for (size_t i = 0; i < argumentCount; ++i) AppendArgument(line, arguments[i]);

    SECURITY_ATTRIBUTES inheritable = {sizeof(inheritable), nullptr, TRUE};
    Handle output;
    if (outputPath) {
        const DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
        output = Handle(CreateFileA(outputPath, GENERIC_WRITE, share, &inheritable, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!output.Valid()) return -1;
    }
    Handle input = InheritableCopy(STD_INPUT_HANDLE);
    Handle standardOutput = outputPath ? Handle() : InheritableCopy(STD_OUTPUT_HANDLE);
    Handle standardError = outputPath ? Handle() : InheritableCopy(STD_ERROR_HANDLE);
    STARTUPINFOA startup;
    ZeroMemory(&startup, sizeof(startup));
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = input.Get();
    startup.hStdOutput = outputPath ? output.Get() : standardOutput.Get();
    startup.hStdError = outputPath ? output.Get() : standardError.Get();
    PROCESS_INFORMATION started;
    if (!CreateProcessA(exePath, &line[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &started))
        return -1;
    Handle thread(started.hThread);
    Handle child(started.hProcess);
    DWORD code = 0;
    if (WaitForSingleObject(child.Get(), INFINITE) != WAIT_OBJECT_0) return -1;
    if (!GetExitCodeProcess(child.Get(), &code)) return -1;
    return static_cast<int>(code);
}

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
