// Audio through the module as the host pulls it: exact float samples against the encoder's PCM, the
// position rules, the silence past the end, and streams the plug-in refuses or must survive (also when
// their clip is described or trimmed).
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "host/HostRecords.h"
#include "host/HostResults.h"
#include "host/Selectors.h"
#include "tests/support/ModuleTest.h"
#include "tests/support/TempClip.h"
#include "tools/krvx-host/ClipQueries.h"

using namespace krvx;
using namespace krvx::sim;
using namespace krvx::testing_support;

namespace {

constexpr float kUntouched = 1234.5f;

// The encoder's PCM for sample frames [first, first + count) as the host should receive it.
void ExpectedAudio(const encode::ClipOptions& options, uint64_t first, uint32_t count,
                   std::vector<float>& left, std::vector<float>& right) {
    std::vector<uint8_t> pcm;
    encode::RenderAudio(options, first, count, pcm);
    left.resize(count);
    right.resize(count);
    for (uint32_t i = 0; i < count; ++i) {
        int16_t l, r;
        std::memcpy(&l, &pcm[i * 4], 2);
        std::memcpy(&r, &pcm[i * 4 + 2], 2);
        left[i] = static_cast<float>(l) / 32767.0f;
        right[i] = static_cast<float>(r) / 32767.0f;
    }
}

// Overwrites a 32-bit (or 16-bit) field of the audio stream's "strh" or "strf" data in place.
void PatchAudioHeader(const std::string& path, bool format, size_t offset, uint32_t value, size_t bytes) {
    std::string file = ReadFile(path);
    size_t strh = file.find("auds");
    ASSERT_NE(strh, std::string::npos);
    size_t at = strh + offset;
    if (format) {
        size_t strf = file.find("strf", strh);
        ASSERT_NE(strf, std::string::npos);
        at = strf + 8 + offset;
    }
    std::memcpy(&file[at], &value, bytes);
    WriteFile(path, file);
}

// imTrimFile8 of the clip's first frame, audio kept, into `destination`.
int32_t TrimFirstFrame(Session& session, OpenClip& clip, const std::string& destination) {
    const std::u16string path = ToUtf16(destination);
    TrimFileRecord record{};
    record.privateData = clip.Handle();
    record.duration = 1000;
    record.keepAudio = 1;
    record.keepVideo = 1;
    record.destinationPath = path.c_str();
    record.ticksPerFrame = 1000;
    return session.Call(imTrimFile8, 0, reinterpret_cast<intptr_t>(&record));
}

class AudioImportTest : public ModuleTest {
protected:
    void TearDown() override {
        EXPECT_EQ(s_session->Host().LiveHandles(), 0u);
        EXPECT_EQ(s_session->Host().LiveBlocks(), 0u);
    }

    static encode::ClipOptions StereoClip(uint32_t frames = 5) {
        encode::ClipOptions options = SmallClip(32, 18, frames);
        options.audioRate = 48000;  // 1920 sample frames per video frame at 25 fps: one audio chunk each
        return options;
    }

    TempFolder m_folder;
};

TEST_F(AudioImportTest, SequentialBlocksMatchThePcmExactlyAcrossChunks) {
    encode::ClipOptions options = StereoClip();
    OpenClip clip(*s_session, MakeClip(m_folder, "a.avi", options));
    ASSERT_EQ(clip.Open(), 0);
    const uint32_t total = static_cast<uint32_t>(clip.Info().audioDurationFrames);
    ASSERT_EQ(total, 5u * 1920u);
    std::vector<float> wantLeft, wantRight;
    ExpectedAudio(options, 0, total, wantLeft, wantRight);
    // Blocks of 700 frames straddle every chunk boundary; the first rewinds, the rest continue.
    std::vector<float> left(total), right(total);
    int64_t position = 0;
    for (uint32_t done = 0; done < total;) {
        uint32_t block = total - done < 700 ? total - done : 700;
        int64_t next = 0;
        ASSERT_EQ(clip.ImportAudio(done == 0 ? 0 : -1, block, &left[done], &right[done], &next), 0) << done;
        done += block;
        position = next;
        EXPECT_EQ(position, static_cast<int64_t>(done));
    }
    EXPECT_EQ(left, wantLeft);
    EXPECT_EQ(right, wantRight);
}

TEST_F(AudioImportTest, SeeksContinueFromWhereTheLastRequestEnded) {
    encode::ClipOptions options = StereoClip();
    OpenClip clip(*s_session, MakeClip(m_folder, "a.avi", options));
    ASSERT_EQ(clip.Open(), 0);
    std::vector<float> wantLeft, wantRight;
    ExpectedAudio(options, 0, 5 * 1920, wantLeft, wantRight);
    std::vector<float> left(900), right(900);
    int64_t next = 0;
    // A jump forward, then one back, each continued with -1.
    for (uint32_t start : {5000u, 1500u}) {
        ASSERT_EQ(clip.ImportAudio(start, 400, left.data(), right.data(), &next), 0);
        ASSERT_EQ(clip.ImportAudio(-1, 500, &left[400], &right[400], &next), 0);
        EXPECT_EQ(next, static_cast<int64_t>(start + 900));
        for (uint32_t i = 0; i < 900; ++i) {
            ASSERT_EQ(left[i], wantLeft[start + i]) << start << "+" << i;
            ASSERT_EQ(right[i], wantRight[start + i]) << start << "+" << i;
        }
    }
    // Position 0 rewinds whatever came before.
    ASSERT_EQ(clip.ImportAudio(0, 10, left.data(), right.data(), &next), 0);
    EXPECT_EQ(next, 10);
    EXPECT_EQ(left[0], wantLeft[0]);
    EXPECT_EQ(right[9], wantRight[9]);
}

TEST_F(AudioImportTest, PastTheEndTheRestIsSilenceAndNothingAtAllIs99) {
    encode::ClipOptions options = StereoClip(2);
    OpenClip clip(*s_session, MakeClip(m_folder, "a.avi", options));
    ASSERT_EQ(clip.Open(), 0);
    const uint32_t total = 2 * 1920;
    std::vector<float> wantLeft, wantRight;
    ExpectedAudio(options, total - 100, 100, wantLeft, wantRight);
    std::vector<float> left(300, kUntouched), right(300, kUntouched);
    int64_t next = 0;
    ASSERT_EQ(clip.ImportAudio(total - 100, 300, left.data(), right.data(), &next), 0);
    EXPECT_EQ(next, static_cast<int64_t>(total));
    for (uint32_t i = 0; i < 300; ++i) {
        EXPECT_EQ(left[i], i < 100 ? wantLeft[i] : 0.0f) << i;
        EXPECT_EQ(right[i], i < 100 ? wantRight[i] : 0.0f) << i;
    }
    // Continuing at the end delivers nothing; so does a request for no frames.
    std::fill(left.begin(), left.end(), kUntouched);
    EXPECT_NE(clip.ImportAudio(-1, 300, left.data(), right.data()), 0);
    EXPECT_EQ(clip.ImportAudio(0, 0, left.data(), right.data()), kImNoAudio);
    EXPECT_EQ(left[0], kUntouched);
    // A handle without an importer is the dispatcher's 5.
    AudioImportRecord empty{};
    EXPECT_EQ(Call(imImportAudio7, 0, reinterpret_cast<intptr_t>(&empty)), kImOtherErr);
}

// A request for no sample frames asks the host for its (empty) conversion buffer like any other. With a
// block from the host it rewinds at position 0 and delivers nothing; without one nothing changes.
TEST_F(AudioImportTest, ARequestForNothingAtZeroStillRewinds) {
    encode::ClipOptions options = StereoClip();
    OpenClip clip(*s_session, MakeClip(m_folder, "a.avi", options));
    ASSERT_EQ(clip.Open(), 0);
    std::vector<float> wantLeft, wantRight;
    ExpectedAudio(options, 0, 5 * 1920, wantLeft, wantRight);
    float left[8], right[8];
    int64_t next = 0;
    ASSERT_EQ(clip.ImportAudio(3000, 8, left, right, &next), 0);
    ASSERT_EQ(next, 3008);
    EXPECT_EQ(clip.ImportAudio(0, 0, left, right), kImNoAudio);
    ASSERT_EQ(clip.ImportAudio(-1, 8, left, right, &next), 0);
    EXPECT_EQ(next, 8);
    EXPECT_EQ(left[0], wantLeft[0]);
    EXPECT_EQ(right[7], wantRight[7]);

    // The host has no block: the request ends there, and the next one continues where the last ended.
    ASSERT_EQ(clip.ImportAudio(3000, 8, left, right, &next), 0);
    s_session->Host().FailAllocationNumber(1);
    EXPECT_EQ(clip.ImportAudio(0, 0, left, right), kImNoAudio);
    s_session->Host().FailAllocationNumber(0);
    ASSERT_EQ(clip.ImportAudio(-1, 8, left, right, &next), 0);
    EXPECT_EQ(next, 3016);
    EXPECT_EQ(left[0], wantLeft[3008]);
}

TEST_F(AudioImportTest, FullScaleSamplesAndTheStreamsStartOffset) {
    encode::ClipOptions options = StereoClip(2);
    std::string path = MakeClip(m_folder, "a.avi", options);
    // A start offset of 20 frames is rounded up to 32; a rewind reads from there, a jump does not.
    PatchAudioHeader(path, false, 28, 20, 4);
    OpenClip clip(*s_session, path);
    ASSERT_EQ(clip.Open(), 0);
    std::vector<float> wantLeft, wantRight;
    ExpectedAudio(options, 0, 2 * 1920, wantLeft, wantRight);
    float left[8], right[8];
    ASSERT_EQ(clip.ImportAudio(0, 8, left, right), 0);
    EXPECT_EQ(left[0], wantLeft[32]);
    EXPECT_EQ(right[7], wantRight[39]);
    ASSERT_EQ(clip.ImportAudio(5, 8, left, right), 0);
    EXPECT_EQ(left[0], wantLeft[5]);
}

TEST_F(AudioImportTest, FullScaleSamplesConvertByThe16BitMaximum) {
    std::string path = MakeClip(m_folder, "a.avi", StereoClip(2));
    std::string file = ReadFile(path);
    size_t chunk = file.find("01wb", file.find("movi"));
    ASSERT_NE(chunk, std::string::npos);
    // Left 32767 and right -32768, in the first frame and in the fifth (converted four at a time,
    // then one by one).
    const unsigned char extremes[4] = {0xFF, 0x7F, 0x00, 0x80};
    std::memcpy(&file[chunk + 8], extremes, 4);
    std::memcpy(&file[chunk + 8 + 16], extremes, 4);
    WriteFile(path, file);
    OpenClip clip(*s_session, path);
    ASSERT_EQ(clip.Open(), 0);
    float left[5] = {}, right[5] = {};
    ASSERT_EQ(clip.ImportAudio(0, 5, left, right), 0);
    for (int i : {0, 4}) {
        EXPECT_EQ(left[i], 1.0f) << i;
        EXPECT_EQ(right[i], -32768.0f / 32767.0f) << i;
        EXPECT_LT(right[i], -1.0f) << i;
    }
}

TEST_F(AudioImportTest, MonoAnd24BitAreRefusedWithTheBuffersUntouched) {
    for (auto shape : {std::make_pair(1, 16), std::make_pair(2, 24)}) {
        encode::ClipOptions options = StereoClip(2);
        options.audioChannels = static_cast<uint16_t>(shape.first);
        options.audioBits = static_cast<uint16_t>(shape.second);
        OpenClip clip(*s_session, MakeClip(m_folder, "odd.avi", options));
        ASSERT_EQ(clip.Open(), 0);
        std::vector<float> left(64, kUntouched), right(64, kUntouched);
        EXPECT_EQ(clip.ImportAudio(0, 64, left.data(), right.data()), kImNoAudio) << shape.first;
        EXPECT_EQ(left, std::vector<float>(64, kUntouched));
        EXPECT_EQ(right, std::vector<float>(64, kUntouched));
    }
}

// Claims the plug-in must not divide by, multiply past its integers or read past: each clip is
// described, its audio answered with a code, and its trimmed copy with audio either made or refused
// with 5 before any file exists.
TEST_F(AudioImportTest, UntrustedAudioHeadersAreAnsweredWithACode) {
    struct Patch {
        const char* what;
        bool format;
        size_t offset;
        uint32_t value;
        size_t bytes;
        int32_t result;
        int32_t trim;
    };
    const Patch patches[] = {
        {"no channels", true, 2, 0, 2, kImNoAudio, 5},
        {"rate 0 in the stream header", false, 24, 0, 4, kImNoErr, 5},
        {"scale 0 in the stream header", false, 20, 0, 4, kImNoErr, 5},
        {"rate 0 in the format", true, 4, 0, 4, kImNoErr, 0},
        {"block align 0", true, 12, 0, 2, kImNoErr, 0},
        // The host gives a block for the empty conversion buffer; the read without a sample size fails.
        {"sample size 0", false, 44, 0, 4, kImBadFile, 5},
        {"a length beyond the file", false, 32, 0x7FFFFFF0u, 4, kImNoErr, 0},
        // No media type holds a second of these: the copy is refused, not sized with a wrapped product.
        {"65535 channels", true, 2, 65535, 2, kImNoAudio, 5},
        {"30000 channels", true, 2, 30000, 2, kImNoAudio, 5},
        {"rate 2^31 - 1 in the stream header", false, 24, 0x7FFFFFFFu, 4, kImNoErr, 5},
    };
    for (const Patch& patch : patches) {
        SCOPED_TRACE(patch.what);
        encode::ClipOptions options = StereoClip(2);
        std::string path = MakeClip(m_folder, "patched.avi", options);
        PatchAudioHeader(path, patch.format, patch.offset, patch.value, patch.bytes);
        OpenClip clip(*s_session, path);
        ASSERT_EQ(clip.Open(), 0);
        EXPECT_EQ(int{clip.Info().hasAudio}, 1);
        std::vector<float> left(4000, kUntouched), right(4000, kUntouched);
        EXPECT_EQ(clip.ImportAudio(0, 4000, left.data(), right.data()), patch.result);
        // Positions far past the data are refused, not read.
        EXPECT_NE(clip.ImportAudio(0x7FFFFFF0, 16, left.data(), right.data()), kImNoErr);

        const std::string copy = m_folder.File("copy.avi");
        std::error_code error;
        std::filesystem::remove(copy, error);
        EXPECT_EQ(TrimFirstFrame(*s_session, clip, copy), patch.trim);
        EXPECT_EQ(std::filesystem::exists(copy, error), patch.trim == 0);
    }
}

}  // namespace
