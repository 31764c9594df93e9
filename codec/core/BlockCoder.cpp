#include "codec/core/BlockCoder.h"

#include <cstring>

#include "codec/core/Bitstream.h"

namespace krvx {
namespace codec {
namespace {

constexpr uint8_t kZeroRunFlag = 0x80;
constexpr uint32_t kMaxZeroRun = 128;

inline uint32_t ZigZag(int32_t v) {
    return (static_cast<uint32_t>(v) << 1) ^ static_cast<uint32_t>(v >> 31);
}
inline int32_t UnZigZag(uint32_t u) {
    return static_cast<int32_t>(u >> 1) ^ -static_cast<int32_t>(u & 1);
}

int BitWidth(uint32_t v) {
    int bits = 0;
    while (v) {
        ++bits;
        v >>= 1;
    }
    return bits;
}

// Unpacks 16 values of B bits from p; p must have at least 2 * B + 4 readable bytes.
template <int B, bool Accumulate>
inline void Unpack16(const uint8_t* p, int16_t* out) {
    constexpr uint32_t mask = (1u << B) - 1u;
    for (int i = 0; i < kBlockValues; ++i) {
        const uint32_t pos = static_cast<uint32_t>(i * B);
        uint32_t word;
        std::memcpy(&word, p + (pos >> 3), 4);
        const int32_t v = UnZigZag((word >> (pos & 7)) & mask);
        if (Accumulate) {
            out[i] = static_cast<int16_t>(out[i] + v);
        } else {
            out[i] = static_cast<int16_t>(v);
        }
    }
}

template <bool Accumulate>
void UnpackBlock(int bits, const uint8_t* p, int16_t* out) {
    switch (bits) {
#define KRVX_UNPACK_CASE(n)              \
    case n:                              \
        Unpack16<n, Accumulate>(p, out); \
        break;
        KRVX_UNPACK_CASE(1)
        KRVX_UNPACK_CASE(2)
        KRVX_UNPACK_CASE(3)
        KRVX_UNPACK_CASE(4)
        KRVX_UNPACK_CASE(5)
        KRVX_UNPACK_CASE(6)
        KRVX_UNPACK_CASE(7)
        KRVX_UNPACK_CASE(8)
        KRVX_UNPACK_CASE(9)
        KRVX_UNPACK_CASE(10)
        KRVX_UNPACK_CASE(11)
        KRVX_UNPACK_CASE(12)
        KRVX_UNPACK_CASE(13)
        KRVX_UNPACK_CASE(14)
        KRVX_UNPACK_CASE(15)
        KRVX_UNPACK_CASE(16)
#undef KRVX_UNPACK_CASE
        default:
            break;
    }
}

template <bool Accumulate>
bool DecodeBandImpl(const uint8_t* data, uint32_t size, int16_t* values, uint32_t count) {
    const uint32_t blocks = (count + kBlockValues - 1) / kBlockValues;
    uint32_t pos = 0;
    uint32_t block = 0;
    int16_t scratch[kBlockValues];
    uint8_t padded[2 * 16 + 4];
    while (block < blocks) {
        if (pos >= size) return false;
        const uint8_t d = data[pos++];
        if (d & kZeroRunFlag) {
            const uint32_t run = (d & 0x7F) + 1u;
            if (run > blocks - block) return false;
            if (!Accumulate) {
                const uint32_t first = block * kBlockValues;
                const uint32_t last =
                    (block + run) * kBlockValues < count ? (block + run) * kBlockValues : count;
                std::memset(values + first, 0, (last - first) * sizeof(int16_t));
            }
            block += run;
            continue;
        }
        if (d > 16) return false;
        const uint32_t bytes = 2u * d;
        if (bytes > size - pos) return false;
        const uint32_t first = block * kBlockValues;
        const bool whole = first + kBlockValues <= count;
        int16_t* target = whole ? values + first : scratch;
        if (!whole) {
            for (uint32_t i = 0; i < kBlockValues; ++i)
                scratch[i] = first + i < count ? values[first + i] : 0;
        }
        if (d == 0) {
            if (!Accumulate) std::memset(target, 0, sizeof(scratch));
        } else {
            const uint8_t* p = data + pos;
            if (size - pos < bytes + 4) {
                std::memset(padded, 0, sizeof(padded));
                std::memcpy(padded, p, bytes);
                p = padded;
            }
            UnpackBlock<Accumulate>(d, p, target);
        }
        if (!whole) {
            for (uint32_t i = 0; first + i < count; ++i) values[first + i] = scratch[i];
        }
        pos += bytes;
        ++block;
    }
    return pos == size;
}

}  // namespace

void EncodeBand(const int16_t* values, uint32_t count, std::vector<uint8_t>& out) {
    const uint32_t blocks = (count + kBlockValues - 1) / kBlockValues;
    uint32_t zeroRun = 0;
    auto flushRun = [&]() {
        while (zeroRun > 0) {
            const uint32_t n = zeroRun < kMaxZeroRun ? zeroRun : kMaxZeroRun;
            out.push_back(static_cast<uint8_t>(kZeroRunFlag | (n - 1)));
            zeroRun -= n;
        }
    };
    for (uint32_t block = 0; block < blocks; ++block) {
        uint32_t codes[kBlockValues];
        uint32_t any = 0;
        for (uint32_t i = 0; i < kBlockValues; ++i) {
            const uint32_t index = block * kBlockValues + i;
            codes[i] = index < count ? ZigZag(values[index]) : 0;
            any |= codes[i];
        }
        if (any == 0) {
            ++zeroRun;
            continue;
        }
        flushRun();
        const int bits = BitWidth(any);
        out.push_back(static_cast<uint8_t>(bits));
        const size_t start = out.size();
        out.resize(start + 2 * bits, 0);
        uint8_t* p = out.data() + start;
        for (int i = 0; i < kBlockValues; ++i) {
            const uint32_t pos = static_cast<uint32_t>(i * bits);
            for (int bit = 0; bit < bits; ++bit) {
                if (codes[i] & (1u << bit))
                    p[(pos + bit) >> 3] |= static_cast<uint8_t>(1u << ((pos + bit) & 7));
            }
        }
    }
    flushRun();
}

bool DecodeBand(const uint8_t* data, uint32_t size, int16_t* values, uint32_t count, bool accumulate) {
    return accumulate ? DecodeBandImpl<true>(data, size, values, count)
                      : DecodeBandImpl<false>(data, size, values, count);
}

}  // namespace codec
}  // namespace krvx
