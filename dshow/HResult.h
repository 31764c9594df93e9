// COM's result convention (0 success, negative failure) and the values this project uses. The AVI reader
// answers with them as the trimmed-copy writer and the filters do. The names avoid the Windows macros so
// that this header can share a translation unit with <windows.h>.
#pragma once
#include <cstdint>

namespace krvx {
namespace dshow {

using HResult = int32_t;

constexpr HResult kOk = 0;                                                  // S_OK
constexpr HResult kFalse = 1;                                               // S_FALSE
constexpr HResult kNoMoreItems = 0x00040103;                                // VFW_S_NO_MORE_ITEMS
constexpr HResult kNotImplemented = static_cast<HResult>(0x80004001u);      // E_NOTIMPL
constexpr HResult kNoInterface = static_cast<HResult>(0x80004002u);         // E_NOINTERFACE
constexpr HResult kPointer = static_cast<HResult>(0x80004003u);             // E_POINTER
constexpr HResult kFail = static_cast<HResult>(0x80004005u);                // E_FAIL
constexpr HResult kUnexpected = static_cast<HResult>(0x8000FFFFu);          // E_UNEXPECTED
constexpr HResult kInvalidArg = static_cast<HResult>(0x80070057u);          // E_INVALIDARG
constexpr HResult kOutOfMemory = static_cast<HResult>(0x8007000Eu);         // E_OUTOFMEMORY
constexpr HResult kClassNotRegistered = static_cast<HResult>(0x80040154u);  // REGDB_E_CLASSNOTREG
constexpr HResult kAlreadyConnected = static_cast<HResult>(0x80040204u);    // VFW_E_ALREADY_CONNECTED
constexpr HResult kNoAllocator = static_cast<HResult>(0x8004020Au);         // VFW_E_NO_ALLOCATOR
constexpr HResult kNotConnected = static_cast<HResult>(0x80040209u);        // VFW_E_NOT_CONNECTED
constexpr HResult kBadAlign = static_cast<HResult>(0x8004020Eu);            // VFW_E_BADALIGN
constexpr HResult kNotCommitted = static_cast<HResult>(0x80040211u);        // VFW_E_NOT_COMMITTED
constexpr HResult kSizeNotSet = static_cast<HResult>(0x80040212u);          // VFW_E_SIZENOTSET
constexpr HResult kNotStopped = static_cast<HResult>(0x80040224u);          // VFW_E_NOT_STOPPED
constexpr HResult kWrongState = static_cast<HResult>(0x80040227u);          // VFW_E_WRONG_STATE
constexpr HResult kTypeNotAccepted = static_cast<HResult>(0x8004022Au);     // VFW_E_TYPE_NOT_ACCEPTED
constexpr HResult kNoAcceptableTypes = static_cast<HResult>(0x80040207u);   // VFW_E_NO_ACCEPTABLE_TYPES
constexpr HResult kNotFound = static_cast<HResult>(0x80040216u);            // VFW_E_NOT_FOUND
constexpr HResult kTimeNotSet = static_cast<HResult>(0x80040249u);          // VFW_E_SAMPLE_TIME_NOT_SET
constexpr HResult kNotInGraph = static_cast<HResult>(0x8004025Fu);          // VFW_E_NOT_IN_GRAPH

inline bool Succeeded(HResult result) {
    return result >= 0;
}
inline bool Failed(HResult result) {
    return result < 0;
}

}  // namespace dshow
}  // namespace krvx
