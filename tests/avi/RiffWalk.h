// A small RIFF walker of the tests' own, for checking the layout of written files.
#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace krvx {
namespace test {

struct Chunk {
    std::string id;
    std::string listType;
    uint64_t pos;  // of the chunk header
    uint32_t size;
};

class AVIFile {
public:
    explicit AVIFile(std::vector<uint8_t> data) : bytes(std::move(data)) {}
    explicit AVIFile(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    std::string Id(uint64_t pos) const { return std::string(bytes.begin() + pos, bytes.begin() + pos + 4); }
    uint32_t U32(uint64_t pos) const {
        uint32_t v;
        std::memcpy(&v, &bytes[pos], 4);
        return v;
    }
    uint16_t U16(uint64_t pos) const {
        uint16_t v;
        std::memcpy(&v, &bytes[pos], 2);
        return v;
    }
    uint64_t U64(uint64_t pos) const { return U32(pos) | uint64_t(U32(pos + 4)) << 32; }
    // The chunks at one level, from begin to end.
    std::vector<Chunk> Level(uint64_t begin, uint64_t end) const {
        std::vector<Chunk> chunks;
        while (begin + 8 <= end) {
            Chunk c{Id(begin), "", begin, U32(begin + 4)};
            if (c.id == "RIFF" || c.id == "LIST") c.listType = Id(begin + 8);
            chunks.push_back(c);
            begin += 8 + c.size + (c.size & 1);
        }
        EXPECT_EQ(begin, end) << "chunks overrun their parent";
        return chunks;
    }
    std::vector<Chunk> Top() const { return Level(0, bytes.size()); }
    std::vector<Chunk> Inside(const Chunk& list) const {
        return Level(list.pos + 12, list.pos + 8 + list.size);
    }
    const Chunk* Find(const std::vector<Chunk>& chunks, const std::string& id,
                      const std::string& type = "") const {
        for (const Chunk& c : chunks) {
            if (c.id == id && (type.empty() || c.listType == type)) return &c;
        }
        return nullptr;
    }
    std::vector<uint8_t> bytes;
};

}  // namespace test
}  // namespace krvx
