#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "TestSupport.h"
#include "avi/BlockFileIO.h"
#include "avi/FileIO.h"

namespace krvx {
namespace test {
namespace {

std::vector<uint8_t> Pattern(size_t size) {
    std::vector<uint8_t> bytes(size);
    for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<uint8_t>(i * 7 + (i >> 8));
    return bytes;
}

TEST(FileIO, StatusCodesOfReadsWritesAndSeeks) {
    TempDir dir;
    const std::string path = dir.File("data.bin");
    const std::vector<uint8_t> data = Pattern(10000);
    uint8_t buffer[64];
    uint64_t got = 99;
    FileIO file;
    EXPECT_EQ(file.Read(buffer, 4, &got), kFileUnavailable);
    EXPECT_EQ(file.Write(buffer, 4), kFileUnavailable);
    EXPECT_EQ(file.OpenUnsupported(path.c_str(), 0), kFileUnavailable);
    EXPECT_EQ(file.Open(path.c_str()), kFileUnavailable);  // does not exist
    EXPECT_FALSE(file.IsOpen());

    ASSERT_EQ(file.Create(path.c_str(), 1), kFileOk);
    EXPECT_EQ(file.Read(buffer, 4, &got), kFileUnavailable);  // open for writing only
    EXPECT_EQ(file.Write(data.data(), data.size()), kFileOk);
    EXPECT_EQ(file.WriteAt(data.data(), 16, 5000), kFileOk);
    EXPECT_EQ(file.Close(), kFileOk);
    EXPECT_FALSE(file.IsOpen());

    ASSERT_EQ(file.Open(path.c_str()), kFileOk);
    EXPECT_EQ(file.Write(buffer, 4), kFileUnavailable);  // open for reading only
    EXPECT_EQ(file.ReadAt(buffer, 16, &got, 5000), kFileOk);
    EXPECT_EQ(got, 16u);
    EXPECT_EQ(0, std::memcmp(buffer, data.data(), 16));
    EXPECT_EQ(file.Tell(), 5016u);
    EXPECT_EQ(file.Seek(5, 3), kFileUnavailable);
    EXPECT_EQ(file.Tell(), 5016u);
    EXPECT_EQ(file.Seek(-16, 1), kFileOk);
    EXPECT_EQ(file.Tell(), 5000u);
    EXPECT_EQ(file.Seek(-6000, 1), kFileUnavailable);  // before the start
    ASSERT_EQ(file.Seek(-10, 2), kFileOk);
    EXPECT_EQ(file.Tell(), 9990u);
    EXPECT_EQ(file.Read(buffer, 64, &got), kFileShort);  // 10 bytes remain
    EXPECT_EQ(got, 10u);
    EXPECT_EQ(0, std::memcmp(buffer, data.data() + 9990, 10));
    // Only the low 32 bits of a size are transferred; the read then reports a short transfer.
    ASSERT_EQ(file.Seek(0, 0), kFileOk);
    EXPECT_EQ(file.Read(buffer, (1ull << 32) | 8, &got), kFileShort);
    EXPECT_EQ(got, 8u);
    EXPECT_EQ(file.Read(buffer, 8, nullptr), kFileOk);
}

TEST(BlockFileIO, EndOfFileRuleAndWholeSectorWrites) {
    TempDir dir;
    const std::string path = dir.File("sectors.bin");
    ASSERT_EQ(GetSectorSize(path.c_str(), nullptr), kFileOk);
    ASSERT_TRUE(WriteBytes(path, Pattern(1)));
    uint32_t sector = 0;
    ASSERT_EQ(GetSectorSize(path.c_str(), &sector), kFileOk);
    ASSERT_NE(sector, 0u);
    // Two sectors, then seven and a half more.
    const std::vector<uint8_t> data = Pattern(sector * 19 / 2);
    ASSERT_TRUE(WriteBytes(path, data));

    BlockFileIO file;
    ASSERT_EQ(file.Open(path.c_str()), kFileOk);
    sector = file.SectorSize();
    ASSERT_EQ(data.size(), sector * 19u / 2);
    AlignedBuffer buffer(sector * 8, sector < 4096 ? 4096 : sector);
    uint64_t got = 0;
    EXPECT_EQ(file.ReadAt(buffer.Data(), sector * 8, &got, sector * 2), kFileOk);
    EXPECT_EQ(got, sector * 15u / 2);
    EXPECT_EQ(0, std::memcmp(buffer.Data(), data.data() + sector * 2, got));
    // A shortfall of a whole sector or more is not the end-of-file case.
    EXPECT_EQ(file.ReadAt(buffer.Data(), sector * 8, &got, sector * 3), kFileShort);
    EXPECT_EQ(got, sector * 13u / 2);
    EXPECT_EQ(file.ReadAt(buffer.Data(), sector, &got, sector * 10), kFileShort);
    EXPECT_EQ(got, 0u);

    BlockFileIO out;
    const std::string written = dir.File("written.bin");
    ASSERT_EQ(out.Create(written.c_str(), 1), kFileOk);
    EXPECT_EQ(out.Write(buffer.Data(), 1000), kFileNotSectors);
    EXPECT_EQ(out.WriteAt(buffer.Data(), out.SectorSize(), 100), kFileNotSectors);
    EXPECT_EQ(out.Write(buffer.Data(), out.SectorSize()), kFileOk);
    out.Close();
    EXPECT_EQ(std::filesystem::file_size(written), out.SectorSize());
    EXPECT_EQ(out.OpenUnsupported(written.c_str(), 0), kFileUnavailable);
}

TEST(GetSectorSize, PrefixAndFallback) {
    TempDir dir;
    const std::string path = dir.File("x.avi");
    ASSERT_TRUE(WriteBytes(path, Pattern(10)));
    uint32_t plain = 0, prefixed = 0, remote = 0;
    EXPECT_EQ(GetSectorSize(nullptr, &plain), kFileUnavailable);
    ASSERT_EQ(GetSectorSize(path.c_str(), &plain), kFileOk);
    ASSERT_EQ(GetSectorSize(("\\\\?\\" + path).c_str(), &prefixed), kFileOk);
    EXPECT_EQ(prefixed, plain);
    ASSERT_EQ(GetSectorSize("\\\\server\\share\\none.avi", &remote), kFileOk);  // no drive: the fallback
    EXPECT_EQ(remote, 512u);
}

#ifdef _WIN32
TEST(FileIO, OpenFailsWhileAnotherHandleWritesWithoutSharing) {
    TempDir dir;
    const std::string path = dir.File("locked.bin");
    FileIO writer;
    ASSERT_EQ(writer.Create(path.c_str(), 1), kFileOk);
    FileIO reader;
    EXPECT_EQ(reader.Open(path.c_str()), kFileUnavailable);
    writer.Close();
    EXPECT_EQ(reader.Open(path.c_str()), kFileOk);
}
#endif

}  // namespace
}  // namespace test
}  // namespace krvx
