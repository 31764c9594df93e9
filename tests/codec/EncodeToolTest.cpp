// krvx-encode as scripts use it: exit codes, options, PNG input.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include "codec/core/Bitstream.h"
#include "tests/codec/CodecTestSupport.h"

namespace krvx {
namespace codectest {
namespace {

std::string Tool() {
    const char* bin = std::getenv("KRVX_TEST_BIN");
    std::string path = std::string(bin ? bin : ".") + "/krvx-encode";
#if defined(_WIN32)
    // Under Wine the build folder is a POSIX path; its drive is Z:.
    if (!path.empty() && path[0] == '/') path = "Z:" + path;
    for (char& c : path) {
        if (c == '/') c = '\\';
    }
#endif
    return path;
}

std::string Temp(const std::string& name) {
    return ::testing::TempDir() + name;
}

// Runs the tool with stdout and stderr into files; returns its exit code.
int RunTool(const std::string& args, std::string* out = nullptr, std::string* err = nullptr) {
    const std::string outPath = Temp("krvx_tool_out.txt"), errPath = Temp("krvx_tool_err.txt");
    std::string command = "\"" + Tool() + "\" " + args + " >\"" + outPath + "\" 2>\"" + errPath + "\"";
#if defined(_WIN32)
    command = "\"" + command + "\"";  // cmd /c drops the outer pair of quotes
    const int code = std::system(command.c_str());
#else
    const int code = (std::system(command.c_str()) >> 8) & 0xFF;  // the exit status of the shell's child
#endif
    auto slurp = [](const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    };
    if (out) *out = slurp(outPath);
    if (err) *err = slurp(errPath);
    return code;
}

std::vector<uint8_t> ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The first "00dc" chunk of a clip written by the encoder (found by scanning; the layout is tested
// elsewhere).
std::vector<uint8_t> FirstVideoSample(const std::vector<uint8_t>& avi) {
    for (size_t i = 0; i + 8 < avi.size(); ++i) {
        if (avi[i] == '0' && avi[i + 1] == '0' && avi[i + 2] == 'd' && avi[i + 3] == 'c' &&
            avi[i + 8] == 'K') {
            const uint32_t size = codec::ReadU32(&avi[i + 4]);
            return std::vector<uint8_t>(avi.begin() + i + 8, avi.begin() + i + 8 + size);
        }
    }
    return {};
}

// A minimal PNG writer (stored deflate blocks), so the test needs no image library.
uint32_t Crc(const uint8_t* p, size_t n, uint32_t crc = 0xFFFFFFFFu) {
    for (size_t i = 0; i < n; ++i) {
        crc ^= p[i];
        for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return crc;
}

void WritePng(const std::string& path, uint32_t w, uint32_t h, const std::vector<uint8_t>& rgba) {
    std::vector<uint8_t> raw;
    for (uint32_t y = 0; y < h; ++y) {
        raw.push_back(0);
        raw.insert(raw.end(), rgba.begin() + size_t(y) * w * 4, rgba.begin() + size_t(y + 1) * w * 4);
    }
    std::vector<uint8_t> z = {0x78, 0x01};
    for (size_t pos = 0; pos < raw.size(); pos += 65535) {
        const uint16_t n = static_cast<uint16_t>(std::min<size_t>(65535, raw.size() - pos));
        z.push_back(pos + n == raw.size() ? 1 : 0);
        z.push_back(uint8_t(n));
        z.push_back(uint8_t(n >> 8));
        z.push_back(uint8_t(~n));
        z.push_back(uint8_t(~n >> 8));
        z.insert(z.end(), raw.begin() + pos, raw.begin() + pos + n);
    }
    uint32_t a = 1, b = 0;
    for (uint8_t c : raw) {
        a = (a + c) % 65521;
        b = (b + a) % 65521;
    }
    const uint32_t adler = (b << 16) | a;
    for (int i = 3; i >= 0; --i) z.push_back(uint8_t(adler >> (8 * i)));
    std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    auto chunk = [&](const char* type, const std::vector<uint8_t>& data) {
        for (int i = 3; i >= 0; --i) png.push_back(uint8_t(data.size() >> (8 * i)));
        std::vector<uint8_t> body(type, type + 4);
        body.insert(body.end(), data.begin(), data.end());
        png.insert(png.end(), body.begin(), body.end());
        const uint32_t crc = ~Crc(body.data(), body.size());
        for (int i = 3; i >= 0; --i) png.push_back(uint8_t(crc >> (8 * i)));
    };
    std::vector<uint8_t> ihdr;
    for (uint32_t v : {w, h}) {
        for (int i = 3; i >= 0; --i) ihdr.push_back(uint8_t(v >> (8 * i)));
    }
    ihdr.insert(ihdr.end(), {8, 6, 0, 0, 0});
    chunk("IHDR", ihdr);
    chunk("IDAT", z);
    chunk("IEND", {});
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(png.data()), png.size());
}

TEST(EncodeTool, HelpAndUsageErrors) {
    std::string out, err;
    EXPECT_EQ(RunTool("--help", &out), 0);
    EXPECT_NE(out.find("--gop K"), std::string::npos);
    EXPECT_NE(out.find("--meta TAG=VALUE"), std::string::npos);
    for (const char* args :
         {"", "--frames 3", "-o x.avi --size 64", "-o x.avi --rate 25", "-o x.avi --format yuv8",
          "-o x.avi --field top", "-o x.avi --bits 8", "-o x.avi --gop 0", "-o x.avi --meta TAKE=first",
          "-o x.avi --meta TAKE", "-o x.avi --frames", "-o x.avi --colour"}) {
        EXPECT_EQ(RunTool(args, &out, &err), 2) << args;
        ASSERT_FALSE(err.empty()) << args;
        EXPECT_EQ(err.find('\n'), err.size() - 1) << "one line: " << err;
    }
}

TEST(EncodeTool, OptionsReachTheClip) {
    const std::string path = Temp("krvx_tool_clip.avi");
    ASSERT_EQ(RunTool("-o \"" + path +
                      "\" --size 64x36 --rate 24000/1001 --frames 5 --gop 2 --format rgb --field lower "
                      "--pattern gradient --audio none --meta REEL=A001 --meta TAKE=3 --meta CMIX=-10 -q"),
              0);
    const auto avi = ReadFile(path);
    ASSERT_GT(avi.size(), 200u);
    EXPECT_EQ(std::string(avi.begin() + 8, avi.begin() + 12), "AVI ");
    const std::string text(avi.begin(), avi.end());
    EXPECT_EQ(text.find("auds"), std::string::npos);
    EXPECT_EQ(text.find("odml"), std::string::npos);
    const size_t strh = text.find("strh");
    ASSERT_NE(strh, std::string::npos);
    EXPECT_EQ(codec::ReadU32(&avi[strh + 8 + 20]), 1001u);
    EXPECT_EQ(codec::ReadU32(&avi[strh + 8 + 24]), 24000u);
    EXPECT_EQ(codec::ReadU32(&avi[strh + 8 + 32]), 5u);

    const auto sample = FirstVideoSample(avi);
    ASSERT_FALSE(sample.empty());
    CountingAllocator allocator;
    DecoderPtr decoder = MakeDecoder(&allocator);
    KRVX_SampleInfo info;
    ASSERT_EQ(decoder->GetSampleInfo(sample.data(), uint32_t(sample.size()), &info), 0);
    EXPECT_EQ(info.encodedFormat, 1u);
    EXPECT_EQ(info.fieldValue, 3u);
    EXPECT_EQ(info.width, 64u);
    KRVX_MetadataHandle handle = nullptr;
    ASSERT_EQ(KRVX_OpenMetadata(&handle), 0);
    ASSERT_EQ(KRVX_InitSampleMetadata(handle, KRVX_TRACK_CLIP, sample.data(), uint32_t(sample.size())), 0);
    uint32_t tag, type, size;
    const void* data;
    ASSERT_EQ(KRVX_ReadMetadata(handle, &tag, &type, &size, &data), 0);
    EXPECT_EQ(std::string(static_cast<const char*>(data), size), "A001");
    ASSERT_EQ(KRVX_ReadMetadata(handle, &tag, &type, &size, &data), 0);
    EXPECT_EQ(type, uint32_t(KRVX_METADATA_INT32));
    EXPECT_EQ(KRVX_ReadMetadata(handle, &tag, &type, &size, &data), KRVX_ERROR_NO_MORE_ITEMS);
    KRVX_CloseMetadata(handle);
    std::remove(path.c_str());
}

TEST(EncodeTool, PngFramesAreEncodedExactly) {
    const uint32_t w = 20, h = 10;
    std::vector<std::vector<uint8_t>> frames;
    for (int f = 0; f < 2; ++f) {
        std::vector<uint8_t> rgba(size_t(w) * h * 4);
        for (size_t i = 0; i < rgba.size(); ++i) rgba[i] = uint8_t(i * 7 + f * 50);
        char name[64];
        std::snprintf(name, sizeof(name), "krvx_in_%02d.png", f);
        WritePng(Temp(name), w, h, rgba);
        frames.push_back(rgba);
    }
    const std::string path = Temp("krvx_png_clip.avi");
#if defined(_WIN32)
    // The Windows build has no PNG library: --input is a usage error that says so.
    std::string err;
    EXPECT_EQ(
        RunTool("-o \"" + path + "\" --size 20x10 --frames 2 -q --input \"" + Temp("krvx_in_%02d.png") + "\"",
                nullptr, &err),
        2);
    EXPECT_NE(err.find("PNG"), std::string::npos) << err;
    return;
#endif
    ASSERT_EQ(RunTool("-o \"" + path + "\" --size 20x10 --frames 2 --format rgba -q --input \"" +
                      Temp("krvx_in_%02d.png") + "\""),
              0);
    const auto sample = FirstVideoSample(ReadFile(path));
    ASSERT_FALSE(sample.empty());
    CountingAllocator allocator;
    DecoderPtr decoder = MakeDecoder(&allocator);
    KRVX_Error error;
    const auto got = DecodeToRows(*decoder, sample, KRVX_PIXEL_FORMAT_B64A, 1, error);
    ASSERT_EQ(error, 0);
    uint32_t ow, oh, rowBytes;
    const auto want =
        ExpectedOutput(encode::PictureFromRgba8(frames[0].data(), w, h, w * 4, encode::kFormatRgba), 1,
                       KRVX_PIXEL_FORMAT_B64A, ow, oh, rowBytes);
    EXPECT_EQ(got, want);
    // Without --size the clip is as large as its first picture.
    const std::string sized = Temp("krvx_png_sized.avi");
    ASSERT_EQ(RunTool("-o \"" + sized + "\" --frames 2 -q --input \"" + Temp("krvx_in_%02d.png") + "\""), 0);
    const auto sizedSample = FirstVideoSample(ReadFile(sized));
    KRVX_SampleInfo info{};
    ASSERT_EQ(decoder->GetSampleInfo(sizedSample.data(), static_cast<uint32_t>(sizedSample.size()), &info),
              0);
    EXPECT_EQ(info.width, w);
    EXPECT_EQ(info.height, h);
    std::remove(sized.c_str());
    // A missing frame file and a picture of the wrong size fail with exit code 1.
    EXPECT_EQ(RunTool("-o \"" + path + "\" --size 20x10 --frames 3 -q --input \"" + Temp("krvx_in_%02d.png") +
                      "\""),
              1);
    EXPECT_EQ(RunTool("-o \"" + path + "\" --size 22x10 --frames 1 -q --input \"" + Temp("krvx_in_%02d.png") +
                      "\""),
              1);
    std::remove(path.c_str());
}

}  // namespace
}  // namespace codectest
}  // namespace krvx
