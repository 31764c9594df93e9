// One chunk header as the parsing loops see it, with the chunk's data when it was kept.
#pragma once
#include <cstdint>
#include <memory>

namespace krvx {

struct RiffChunk {
    uint32_t id = 0;
    uint64_t size = 0;      // made even (the pad byte included)
    uint32_t listType = 0;  // "LIST" and "RIFF" only
    std::unique_ptr<uint8_t[]> data;
    uint64_t dataSize = 0;  // bytes held in data: the chunk's size, or the part of it that is used
    uint64_t position = 0;  // where the chunk header begins
};

}  // namespace krvx
