// The file written at positions: gathered sequential writes, writes larger than the buffer, rewrites
// of earlier bytes and holes land exactly where asked, and the open modes keep or drop old bytes.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "graph/PositionedFile.h"

namespace krvx {
namespace graph {
namespace {

std::u16string Wide(const std::string& text) {
    return std::u16string(text.begin(), text.end());
}

std::vector<uint8_t> ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Applies the same write to the file and to the expected image.
void Put(PositionedFile& file, std::vector<uint8_t>& expected, uint64_t position, size_t size, uint8_t seed) {
    std::vector<uint8_t> data(size);
    for (size_t i = 0; i < size; ++i) data[i] = static_cast<uint8_t>(seed + i * 7);
    if (expected.size() < position + size) expected.resize(position + size, 0);
    std::copy(data.begin(), data.end(), expected.begin() + static_cast<ptrdiff_t>(position));
    ASSERT_TRUE(file.WriteAt(position, data.data(), data.size()));
}

TEST(PositionedFile, WritesLandWhereAsked) {
    const std::string path = ::testing::TempDir() + "krvx_positioned.bin";
    PositionedFile file(64);
    ASSERT_TRUE(file.Open(Wide(path).c_str(), true));
    std::vector<uint8_t> expected;
    Put(file, expected, 0, 12, 1);  // a header to be rewritten
    Put(file, expected, 12, 8, 2);  // gathered after it
    for (uint8_t i = 0; i < 5; ++i) {
        Put(file, expected, 20 + i * 15u, 15,
            3 + i);  // the fourth no longer fits: the gathered bytes go first
    }
    Put(file, expected, 95, 200, 9);  // large: gathered bytes first, then straight through
    Put(file, expected, 295, 10, 10);
    Put(file, expected, 4, 4, 11);     // back into the header while bytes are gathered
    Put(file, expected, 400, 10, 12);  // past the end: a hole of zeros before it
    Put(file, expected, 290, 30, 13);  // large, over the tail written before
    ASSERT_TRUE(file.Close());
    EXPECT_EQ(ReadAll(path), expected);
    EXPECT_FALSE(file.WriteAt(0, "x", 1)) << "a closed file takes no writes";
}

TEST(PositionedFile, OverwriteDropsOldBytesOtherwiseTheyStay) {
    const std::string path = ::testing::TempDir() + "krvx_positioned_modes.bin";
    {
        std::ofstream old(path, std::ios::binary);
        old << "0123456789";
    }
    PositionedFile file(16);
    ASSERT_TRUE(file.Open(Wide(path).c_str(), false));
    ASSERT_TRUE(file.WriteAt(2, "ab", 2));
    ASSERT_TRUE(file.Close());
    std::vector<uint8_t> kept = ReadAll(path);
    EXPECT_EQ(std::string(kept.begin(), kept.end()), "01ab456789");

    ASSERT_TRUE(file.Open(Wide(path).c_str(), true));
    ASSERT_TRUE(file.WriteAt(0, "xy", 2));
    ASSERT_TRUE(file.Close());
    std::vector<uint8_t> replaced = ReadAll(path);
    EXPECT_EQ(std::string(replaced.begin(), replaced.end()), "xy");
}

TEST(PositionedFile, MissingFolderFailsToOpen) {
    PositionedFile file(16);
    EXPECT_FALSE(file.Open(Wide(::testing::TempDir() + "no-such-folder/x.bin").c_str(), true));
    EXPECT_FALSE(file.IsOpen());
    EXPECT_FALSE(file.WriteAt(0, "x", 1));
}

}  // namespace
}  // namespace graph
}  // namespace krvx
