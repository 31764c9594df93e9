// Four-character codes as the file stores them: the first character in the low byte.
#pragma once
#include <cstdint>
#include <cstring>

#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ != __ORDER_LITTLE_ENDIAN__
#error "The AVI reader copies little-endian file records straight into memory"
#endif

namespace krvx {

constexpr uint32_t MakeFourCC(char a, char b, char c, char d) {
    return static_cast<uint32_t>(static_cast<uint8_t>(a)) |
           (static_cast<uint32_t>(static_cast<uint8_t>(b)) << 8) |
           (static_cast<uint32_t>(static_cast<uint8_t>(c)) << 16) |
           (static_cast<uint32_t>(static_cast<uint8_t>(d)) << 24);
}

constexpr uint32_t FourCCChar(uint32_t code, int index) {
    return (code >> (8 * index)) & 0xFFu;
}

inline uint16_t LoadU16(const uint8_t* p) {
    uint16_t value;
    std::memcpy(&value, p, sizeof(value));
    return value;
}

inline uint32_t LoadU32(const uint8_t* p) {
    uint32_t value;
    std::memcpy(&value, p, sizeof(value));
    return value;
}

inline uint64_t LoadU64(const uint8_t* p) {
    uint64_t value;
    std::memcpy(&value, p, sizeof(value));
    return value;
}

namespace fourcc {
constexpr uint32_t kRiff = MakeFourCC('R', 'I', 'F', 'F');
constexpr uint32_t kList = MakeFourCC('L', 'I', 'S', 'T');
constexpr uint32_t kJunk = MakeFourCC('J', 'U', 'N', 'K');
constexpr uint32_t kAVI = MakeFourCC('A', 'V', 'I', ' ');
constexpr uint32_t kStrl = MakeFourCC('s', 't', 'r', 'l');
constexpr uint32_t kMovi = MakeFourCC('m', 'o', 'v', 'i');
constexpr uint32_t kAvih = MakeFourCC('a', 'v', 'i', 'h');
constexpr uint32_t kDmlh = MakeFourCC('d', 'm', 'l', 'h');
constexpr uint32_t kStrh = MakeFourCC('s', 't', 'r', 'h');
constexpr uint32_t kStrf = MakeFourCC('s', 't', 'r', 'f');
constexpr uint32_t kIndx = MakeFourCC('i', 'n', 'd', 'x');
constexpr uint32_t kIdx1 = MakeFourCC('i', 'd', 'x', '1');
constexpr uint32_t kVids = MakeFourCC('v', 'i', 'd', 's');
constexpr uint32_t kAuds = MakeFourCC('a', 'u', 'd', 's');
}  // namespace fourcc

}  // namespace krvx
