// Diagnostic lines print addresses as "0x%08X"; on 64-bit targets the same format widens to the pointer.
#pragma once
#include <cinttypes>
#include <cstdint>

#define KRVX_ADDRESS_FORMAT "0x%08" PRIXPTR

namespace krvx {
inline uintptr_t AddressOf(const void* address) { return reinterpret_cast<uintptr_t>(address); }
}  // namespace krvx
