#include "platform/debug_listener.h"

#include <windows.h>

#include <atomic>
#include <cstring>
#include <mutex>
#include <string>

namespace krvx {
namespace platform {

namespace {
// The system's debug-output buffer: a 4096-byte mapping holding the writer's process id and its text.
struct DebugBuffer {
    DWORD processId;
    char text[4096 - sizeof(DWORD)];
};

// Written by TakeLines to learn that every earlier write of this process has been read.
const char kFlushMarker[] = "\x01krvx-debug-listener-flush";
}  // namespace

struct DebugListener::Native {
    HANDLE bufferReady = nullptr;
    HANDLE dataReady = nullptr;
    HANDLE mapping = nullptr;
    DebugBuffer* buffer = nullptr;
    HANDLE thread = nullptr;
    HANDLE flushed = nullptr;
    std::atomic<bool> stop{false};
    std::mutex linesLock;
    std::vector<std::string> lines;

    static DWORD WINAPI Run(LPVOID argument) {
        Native* self = static_cast<Native*>(argument);
        DWORD self_pid = GetCurrentProcessId();
        SetEvent(self->bufferReady);
        while (!self->stop) {
            if (WaitForSingleObject(self->dataReady, 100) != WAIT_OBJECT_0) continue;
            if (self->buffer->processId == self_pid) {
                std::string text(self->buffer->text, strnlen(self->buffer->text, sizeof(self->buffer->text)));
                if (text == kFlushMarker) {
                    SetEvent(self->flushed);
                } else {
                    std::lock_guard<std::mutex> lock(self->linesLock);
                    self->lines.push_back(text);
                }
            }
            SetEvent(self->bufferReady);
        }
        return 0;
    }
};

DebugListener::DebugListener() : m_native(new Native) {}

DebugListener::~DebugListener() {
    Native* n = m_native;
    if (n->thread) {
        n->stop = true;
        WaitForSingleObject(n->thread, INFINITE);
        CloseHandle(n->thread);
    }
    if (n->buffer) UnmapViewOfFile(n->buffer);
    for (HANDLE handle : {n->mapping, n->dataReady, n->bufferReady, n->flushed})
        if (handle) CloseHandle(handle);
    delete n;
}

bool DebugListener::Start() {
    Native* n = m_native;
    if (n->thread) return true;
    n->bufferReady = CreateEventA(nullptr, FALSE, FALSE, "DBWIN_BUFFER_READY");
    if (!n->bufferReady || GetLastError() == ERROR_ALREADY_EXISTS) return false;
    n->dataReady = CreateEventA(nullptr, FALSE, FALSE, "DBWIN_DATA_READY");
    n->mapping = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(DebugBuffer), "DBWIN_BUFFER");
    if (!n->dataReady || !n->mapping) return false;
    n->buffer = static_cast<DebugBuffer*>(MapViewOfFile(n->mapping, FILE_MAP_READ, 0, 0, sizeof(DebugBuffer)));
    n->flushed = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    if (!n->buffer || !n->flushed) return false;
    n->thread = CreateThread(nullptr, 0, &Native::Run, n, 0, nullptr);
    return n->thread != nullptr;
}

std::vector<std::string> DebugListener::TakeLines() {
    Native* n = m_native;
    if (n->thread) {
        OutputDebugStringA(kFlushMarker);
        WaitForSingleObject(n->flushed, 5000);
    }
    std::lock_guard<std::mutex> lock(n->linesLock);
    std::vector<std::string> lines;
    lines.swap(n->lines);
    return lines;
}

}  // namespace platform
}  // namespace krvx
