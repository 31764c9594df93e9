// COM on the system: the apartment, object creation by class identifier, and the task allocator that
// media-type format blocks travel in. Away from Windows there is no system COM: creation reports the
// class as not registered, and the task allocator is the C heap.
#pragma once
#include <cstddef>
#include <cstdint>

// Methods of COM interfaces use the system's calling convention: __stdcall on 32-bit Windows.
#if defined(_WIN32) && !defined(_WIN64)
#define KRVX_COM_CALL __stdcall
#else
#define KRVX_COM_CALL
#endif

namespace krvx {
namespace platform {

// CoInitialize(null) on the calling thread; its result (0 or 1 on success). 0 elsewhere.
int32_t ComInitialize();
// Balances a ComInitialize that succeeded.
void ComUninitialize();

// CoCreateInstance for an in-process server or handler. `classId` and `interfaceId` point at 16-byte
// class and interface identifiers. 0x80040154 (class not registered) where the system has no COM.
int32_t ComCreateInstance(const void* classId, const void* interfaceId, void** object);

void* ComTaskMemAlloc(size_t bytes);
void ComTaskMemFree(void* block);

}  // namespace platform
}  // namespace krvx
