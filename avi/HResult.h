// Result values of the AVI reader: the COM convention (0 success, negative failure). The names avoid the
// Windows macros so that this header can share a translation unit with <windows.h>.
#pragma once
#include <cstdint>

namespace krvx {

using HResult = int32_t;

constexpr HResult kHrOk = 0;                                           // S_OK
constexpr HResult kHrFail = static_cast<HResult>(0x80004005u);         // E_FAIL
constexpr HResult kHrPointer = static_cast<HResult>(0x80004003u);      // E_POINTER
constexpr HResult kHrInvalidArg = static_cast<HResult>(0x80070057u);   // E_INVALIDARG
constexpr HResult kHrOutOfMemory = static_cast<HResult>(0x8007000Eu);  // E_OUTOFMEMORY

inline bool Succeeded(HResult result) {
    return result >= 0;
}
inline bool Failed(HResult result) {
    return result < 0;
}

}  // namespace krvx
