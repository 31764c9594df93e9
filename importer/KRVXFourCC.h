// The codec's four-character code test: "KRVX" in either byte order, letters in any case.
#pragma once
#include <cstdint>

namespace krvx {

inline bool IsKrvxFourCC(uint32_t code) {
    const char expected[4] = {'K', 'R', 'V', 'X'};
    bool forward = true, backward = true;
    for (int i = 0; i < 4; ++i) {
        char low = static_cast<char>((code >> (8 * i)) & 0xFF);
        char high = static_cast<char>((code >> (8 * (3 - i))) & 0xFF);
        if (low >= 'a' && low <= 'z') low = static_cast<char>(low - 'a' + 'A');
        if (high >= 'a' && high <= 'z') high = static_cast<char>(high - 'a' + 'A');
        forward = forward && low == expected[i];
        backward = backward && high == expected[i];
    }
    return forward || backward;
}

}  // namespace krvx
