// Big-endian bytes of QuickTime atoms assembled in memory: nested atoms get their sizes when they close.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

namespace krvx {
namespace graph {

class QtAtomBuffer {
public:
    // Starts an atom of type `type` (four characters); returns its start, to be handed to Close.
    size_t Open(const char* type);
    // Starts a "full" atom: type, then one byte of version and three bytes of flags.
    size_t OpenFull(const char* type, uint8_t version, uint32_t flags);
    void Close(size_t start);

    void U8(uint8_t value) { m_bytes.push_back(value); }
    void U16(uint16_t value);
    void U32(uint32_t value);
    void U64(uint64_t value);
    void Type(const char* type);  // four characters
    void Zeros(size_t count);
    // A Pascal string: one length byte, then the characters (at most 255).
    void PascalString(const char* text);
    // A Pascal string in a fixed field of `fieldSize` bytes, zero-padded.
    void PascalField(const char* text, size_t fieldSize);
    // The unity transformation matrix of movie and track headers.
    void UnityMatrix();

    const std::vector<uint8_t>& Bytes() const { return m_bytes; }

private:
    std::vector<uint8_t> m_bytes;
};

}  // namespace graph
}  // namespace krvx
