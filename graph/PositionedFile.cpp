#include "graph/PositionedFile.h"

#include <cstring>

#include "platform/text.h"

namespace krvx {
namespace graph {

namespace {
constexpr size_t kPathBytes = 4096;
// The system's write call takes a 32-bit count; stay well inside it.
constexpr size_t kLargestWrite = 1u << 30;
}  // namespace

PositionedFile::PositionedFile(size_t bufferBytes) : m_capacity(bufferBytes) {}

PositionedFile::~PositionedFile() {
    Close();
}

bool PositionedFile::Open(const char16_t* path, bool overwrite) {
    Close();
    char native[kPathBytes];
    if (!path || !platform::WideToMultibyte(path, native, sizeof(native))) return false;
    m_file = platform::FileOpen(native,
                                overwrite ? platform::FileDisposition::CreateAlwaysForWrite
                                          : platform::FileDisposition::OpenAlwaysForWrite,
                                platform::kFileAttributeNormal);
    if (!m_file) return false;
    m_buffer.resize(m_capacity);
    m_filled = 0;
    m_bufferPosition = 0;
    m_filePosition = 0;
    m_failed = false;
    return true;
}

bool PositionedFile::WriteAt(uint64_t position, const void* data, size_t size) {
    if (!m_file || m_failed) return false;
    const uint8_t* bytes = static_cast<const uint8_t*>(data);
    bool continues = m_filled > 0 && position == m_bufferPosition + m_filled;
    if (m_filled > 0 && (!continues || m_filled + size > m_capacity)) {
        if (!Flush()) return false;
    }
    // Large writes go straight to the system: copying them first would cost more than the call saves.
    if (size >= m_capacity / 4) return WriteOut(position, bytes, size);
    if (m_filled == 0) m_bufferPosition = position;
    std::memcpy(m_buffer.data() + m_filled, bytes, size);
    m_filled += size;
    return true;
}

bool PositionedFile::Flush() {
    if (!m_file || m_failed) return false;
    if (m_filled == 0) return true;
    size_t filled = m_filled;
    m_filled = 0;
    return WriteOut(m_bufferPosition, m_buffer.data(), filled);
}

bool PositionedFile::WriteOut(uint64_t position, const uint8_t* data, size_t size) {
    if (position != m_filePosition) {
        if (!platform::FileSeek(m_file, static_cast<int64_t>(position), platform::SeekOrigin::Begin,
                                nullptr)) {
            m_failed = true;
            return false;
        }
        m_filePosition = position;
    }
    while (size > 0) {
        uint32_t chunk = static_cast<uint32_t>(size < kLargestWrite ? size : kLargestWrite);
        uint32_t written = 0;
        if (!platform::FileWrite(m_file, data, chunk, &written) || written == 0) {
            m_failed = true;
            return false;
        }
        data += written;
        size -= written;
        m_filePosition += written;
    }
    return true;
}

bool PositionedFile::Close() {
    if (!m_file) return true;
    bool flushed = Flush();
    platform::FileClose(m_file);
    m_file = nullptr;
    std::vector<uint8_t>().swap(m_buffer);
    bool good = flushed && !m_failed;
    m_failed = false;
    return good;
}

}  // namespace graph
}  // namespace krvx
