// Little-endian RIFF data built in memory: values, four-character codes, and chunks whose sizes are
// filled in when they end.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

namespace krvx {

class RiffBytes {
public:
    void U8(uint8_t v) { m_data.push_back(v); }
    void U16(uint16_t v) {
        U8(static_cast<uint8_t>(v));
        U8(static_cast<uint8_t>(v >> 8));
    }
    void U32(uint32_t v) {
        U16(static_cast<uint16_t>(v));
        U16(static_cast<uint16_t>(v >> 16));
    }
    void U64(uint64_t v) {
        U32(static_cast<uint32_t>(v));
        U32(static_cast<uint32_t>(v >> 32));
    }
    void FourCC(const char* s) {
        for (int i = 0; i < 4; ++i) U8(static_cast<uint8_t>(s[i]));
    }
    void Zeros(size_t n) { m_data.insert(m_data.end(), n, 0); }
    // A "JUNK" chunk holding `size` zero bytes (size even).
    void Junk(uint32_t size) {
        FourCC("JUNK");
        U32(size);
        Zeros(size);
    }
    // Starts a chunk (or a list when listType is given); End fills in its size and adds the pad byte.
    size_t Begin(const char* id, const char* listType = nullptr) {
        FourCC(id);
        const size_t at = m_data.size();
        U32(0);
        if (listType) FourCC(listType);
        return at;
    }
    void End(size_t at) {
        const uint32_t size = static_cast<uint32_t>(m_data.size() - at - 4);
        for (int i = 0; i < 4; ++i) m_data[at + i] = static_cast<uint8_t>(size >> (8 * i));
        if (size & 1) U8(0);
    }
    void Clear() { m_data.clear(); }
    const std::vector<uint8_t>& Data() const { return m_data; }
    size_t Size() const { return m_data.size(); }

private:
    std::vector<uint8_t> m_data;
};

}  // namespace krvx
