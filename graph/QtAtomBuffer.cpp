#include "graph/QtAtomBuffer.h"

#include <cstring>

namespace krvx {
namespace graph {

size_t QtAtomBuffer::Open(const char* type) {
    const size_t start = m_bytes.size();
    U32(0);
    Type(type);
    return start;
}

size_t QtAtomBuffer::OpenFull(const char* type, uint8_t version, uint32_t flags) {
    const size_t start = Open(type);
    U32(uint32_t(version) << 24 | (flags & 0xFFFFFF));
    return start;
}

void QtAtomBuffer::Close(size_t start) {
    const uint32_t size = static_cast<uint32_t>(m_bytes.size() - start);
    m_bytes[start] = uint8_t(size >> 24);
    m_bytes[start + 1] = uint8_t(size >> 16);
    m_bytes[start + 2] = uint8_t(size >> 8);
    m_bytes[start + 3] = uint8_t(size);
}

void QtAtomBuffer::U16(uint16_t value) {
    U8(uint8_t(value >> 8));
    U8(uint8_t(value));
}

void QtAtomBuffer::U32(uint32_t value) {
    U16(uint16_t(value >> 16));
    U16(uint16_t(value));
}

void QtAtomBuffer::U64(uint64_t value) {
    U32(uint32_t(value >> 32));
    U32(uint32_t(value));
}

void QtAtomBuffer::Type(const char* type) {
    m_bytes.insert(m_bytes.end(), type, type + 4);
}

void QtAtomBuffer::Zeros(size_t count) {
    m_bytes.insert(m_bytes.end(), count, 0);
}

void QtAtomBuffer::PascalString(const char* text) {
    size_t length = std::strlen(text);
    if (length > 255) length = 255;
    U8(uint8_t(length));
    m_bytes.insert(m_bytes.end(), text, text + length);
}

void QtAtomBuffer::PascalField(const char* text, size_t fieldSize) {
    size_t length = std::strlen(text);
    if (length > fieldSize - 1) length = fieldSize - 1;
    U8(uint8_t(length));
    m_bytes.insert(m_bytes.end(), text, text + length);
    Zeros(fieldSize - 1 - length);
}

void QtAtomBuffer::UnityMatrix() {
    const uint32_t matrix[9] = {0x00010000, 0, 0, 0, 0x00010000, 0, 0, 0, 0x40000000};
    for (uint32_t value : matrix) U32(value);
}

}  // namespace graph
}  // namespace krvx
