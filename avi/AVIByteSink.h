// Where the AVI writer sends its bytes: a file, or a multiplexer's downstream connection.
#pragma once
#include <cstddef>
#include <cstdint>

#include "avi/FileIO.h"
#include "dshow/HResult.h"

namespace krvx {

// Positioned byte output. The writer appends at the position where its last append ended and goes
// back only to patch sizes and headers it wrote before, so a sink that streams sequentially sees
// few backward writes, all of them inside bytes it has already received.
class IAVIByteSink {
public:
    virtual ~IAVIByteSink() = default;
    // Writes `size` bytes at `position`; false when they could not all be written.
    virtual bool WriteAt(uint64_t position, const uint8_t* data, size_t size) = 0;
};

// A sink over a new file (replacing one of the same name). Sequential writes go straight on without a
// seek; a write elsewhere seeks first.
class AVIFileSink : public IAVIByteSink {
public:
    AVIFileSink() = default;
    ~AVIFileSink() override = default;
    AVIFileSink(const AVIFileSink&) = delete;
    AVIFileSink& operator=(const AVIFileSink&) = delete;

    dshow::HResult Create(const char* path);
    bool WriteAt(uint64_t position, const uint8_t* data, size_t size) override;
    void Close() { m_file.Close(); }

private:
    FileIO m_file;
    uint64_t m_position = 0;  // where the file's own position stands
};

}  // namespace krvx
