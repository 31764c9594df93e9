// A file written at given byte positions. Small writes that continue where the last one ended gather in
// a buffer and reach the system in large blocks, so a stream of chunk headers and small samples costs
// few system calls; a large write, or one elsewhere, sends the gathered bytes first.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/file.h"

namespace krvx {
namespace graph {

class PositionedFile {
public:
    // Gathers up to `bufferBytes` before writing; the buffer is allocated when a file is opened.
    explicit PositionedFile(size_t bufferBytes);
    ~PositionedFile();
    PositionedFile(const PositionedFile&) = delete;
    PositionedFile& operator=(const PositionedFile&) = delete;

    // Creates the file (replacing one that exists when `overwrite`, else writing over its bytes).
    bool Open(const char16_t* path, bool overwrite);
    bool IsOpen() const { return m_file != nullptr; }
    // False once any write has failed; later writes are then refused too.
    bool WriteAt(uint64_t position, const void* data, size_t size);
    // Writes what is gathered. False when this or any earlier write failed.
    bool Flush();
    // Writes what is gathered and closes. False when this or any earlier write failed.
    bool Close();

private:
    bool WriteOut(uint64_t position, const uint8_t* data, size_t size);

    size_t m_capacity;
    platform::NativeFile* m_file = nullptr;
    std::vector<uint8_t> m_buffer;
    size_t m_filled = 0;
    uint64_t m_bufferPosition = 0;  // the file position of the buffer's first byte
    uint64_t m_filePosition = 0;    // where the system's file position stands
    bool m_failed = false;
};

}  // namespace graph
}  // namespace krvx
