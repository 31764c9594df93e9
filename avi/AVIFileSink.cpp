#include "avi/AVIByteSink.h"

namespace krvx {

using namespace dshow;

HResult AVIFileSink::Create(const char* path) {
    if (path == nullptr) return kInvalidArg;
    m_position = 0;
    return m_file.Create(path, 1) == kFileOk ? kOk : kFail;
}

bool AVIFileSink::WriteAt(uint64_t position, const uint8_t* data, size_t size) {
    if (!m_file.IsOpen()) return false;
    // One system call moves at most 4 GiB - 1 bytes; larger spans go in pieces.
    constexpr size_t kMaxPiece = size_t(1) << 30;
    uint32_t status = kFileOk;
    if (position != m_position) status = m_file.Seek(static_cast<int64_t>(position), 0);
    m_position = position;
    while (status == kFileOk && size > 0) {
        const size_t piece = size < kMaxPiece ? size : kMaxPiece;
        status = m_file.Write(data, piece);
        data += piece;
        size -= piece;
        m_position += piece;
    }
    // After a failure the file position is unknown: the next write seeks.
    if (status != kFileOk) m_position = UINT64_MAX;
    return status == kFileOk;
}

}  // namespace krvx
