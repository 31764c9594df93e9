#include "tests/support/TempClip.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

namespace krvx {
namespace testing_support {

namespace {
std::atomic<int> g_folderCount{0};
}

TempFolder::TempFolder() {
    std::filesystem::path base = std::filesystem::temp_directory_path();
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    // Test programs run side by side: the name must differ between processes, not only within one.
    std::random_device entropy;
    std::string name = std::string("krvx-") + (test ? test->name() : "test") + "-" + std::to_string(entropy()) +
                       "-" + std::to_string(g_folderCount++);
    std::filesystem::path folder = base / name;
    std::filesystem::create_directories(folder);
    // Forward slashes work on both systems and keep the paths the tests print readable.
    m_path = folder.generic_string();
}

TempFolder::~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(m_path, ignored);
}

encode::ClipOptions SmallClip(uint32_t width, uint32_t height, uint32_t frames) {
    encode::ClipOptions options;
    options.width = width;
    options.height = height;
    options.frames = frames;
    options.gop = 2;
    options.audioRate = 8000;
    return options;
}

std::string MakeClip(const TempFolder& folder, const std::string& name, const encode::ClipOptions& options) {
    std::string path = folder.File(name);
    int rc = encode::WriteClip(options, path.c_str(), nullptr);
    EXPECT_EQ(rc, 0) << "encoder refused " << path;
    return path;
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

int PatchFourCC(const std::string& path, const char* from, const char* to) {
    std::string bytes = ReadFile(path);
    size_t end = bytes.find("movi");
    int count = 0;
    for (size_t at = bytes.find(from, 0, 4); at != std::string::npos && at < end; at = bytes.find(from, at + 4, 4)) {
        bytes.replace(at, 4, to, 4);
        ++count;
    }
    WriteFile(path, bytes);
    return count;
}

}  // namespace testing_support
}  // namespace krvx
