#include "avi/FileIO.h"

namespace krvx {

FileIO::FileIO()
    : m_flagsAndAttributes(platform::kFileAttributeNormal),
      m_isOpen(0),
      m_canRead(0),
      m_canWrite(0),
      m_handle(nullptr) {}

FileIO::~FileIO() {
    FileIO::Close();
}

uint32_t FileIO::Open(const char* path) {
    if (m_isOpen) Close();
    m_handle = platform::FileOpen(path, platform::FileDisposition::OpenExistingForRead, m_flagsAndAttributes);
    if (!m_handle) return kFileUnavailable;
    m_isOpen = 1;
    m_canRead = 1;
    return kFileOk;
}

uint32_t FileIO::Create(const char* path, uint32_t truncate) {
    if (m_isOpen) Close();
    m_handle = platform::FileOpen(path,
                                  truncate ? platform::FileDisposition::CreateAlwaysForWrite
                                           : platform::FileDisposition::OpenAlwaysForWrite,
                                  m_flagsAndAttributes);
    if (!m_handle) return kFileUnavailable;
    m_isOpen = 1;
    m_canWrite = 1;
    return kFileOk;
}

uint32_t FileIO::OpenUnsupported(const char*, uint32_t) {
    return kFileUnavailable;
}

uint32_t FileIO::Close() {
    if (m_isOpen) platform::FileClose(m_handle);
    m_handle = nullptr;
    m_isOpen = 0;
    m_canRead = 0;
    m_canWrite = 0;
    return kFileOk;
}

uint32_t FileIO::Read(void* buffer, uint64_t size, uint64_t* bytesRead) {
    if (!m_isOpen || !m_canRead) return kFileUnavailable;
    uint32_t low = static_cast<uint32_t>(size);
    uint32_t count = 0;
    bool done = platform::FileRead(m_handle, buffer, low, &count);
    if (bytesRead) *bytesRead = count;
    return (done && count == low && (size >> 32) == 0) ? kFileOk : kFileShort;
}

uint32_t FileIO::ReadAt(void* buffer, uint64_t size, uint64_t* bytesRead, uint64_t offset) {
    if (!m_isOpen || !m_canRead) return kFileUnavailable;
    if (offset > static_cast<uint64_t>(INT64_MAX) ||
        !platform::FileSeek(m_handle, static_cast<int64_t>(offset), platform::SeekOrigin::Begin, nullptr)) {
        return kFileUnavailable;
    }
    return Read(buffer, size, bytesRead);
}

uint32_t FileIO::Write(const void* buffer, uint64_t size) {
    if (!m_isOpen || !m_canWrite) return kFileUnavailable;
    uint32_t low = static_cast<uint32_t>(size);
    uint32_t count = 0;
    bool done = platform::FileWrite(m_handle, buffer, low, &count);
    return (done && count == low && (size >> 32) == 0) ? kFileOk : kFileShort;
}

uint32_t FileIO::WriteAt(const void* buffer, uint64_t size, uint64_t offset) {
    if (!m_isOpen || !m_canWrite) return kFileUnavailable;
    if (offset > static_cast<uint64_t>(INT64_MAX) ||
        !platform::FileSeek(m_handle, static_cast<int64_t>(offset), platform::SeekOrigin::Begin, nullptr)) {
        return kFileUnavailable;
    }
    return Write(buffer, size);
}

uint64_t FileIO::Tell() {
    uint64_t position = 0;
    if (!platform::FileSeek(m_handle, 0, platform::SeekOrigin::Current, &position)) return 0;
    return position;
}

uint32_t FileIO::Seek(int64_t offset, uint32_t origin) {
    if (origin > 2) return kFileUnavailable;
    return platform::FileSeek(m_handle, offset, static_cast<platform::SeekOrigin>(origin), nullptr)
               ? kFileOk
               : kFileUnavailable;
}

}  // namespace krvx
