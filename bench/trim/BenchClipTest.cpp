// The benchmark clip: whole groups of frames with the key frames where the group starts, audio beside
// every frame, opened by the plug-in as a 1080p clip with audio; kept when it is whole, written again
// when it is not.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "avi/AVIReader.h"
#include "bench/trim/BenchClip.h"
#include "tools/krvx-host/ClipQueries.h"
#include "tools/krvx-host/Session.h"

namespace {

namespace fs = std::filesystem;

class BenchClipTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_folder = fs::temp_directory_path() /
                   ("krvx-bench-clip-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                    "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(m_folder);
        m_path = (m_folder / "clip.avi").string();
    }
    void TearDown() override {
        std::error_code error;
        fs::remove_all(m_folder, error);
    }

    fs::path m_folder;
    std::string m_path;
};

constexpr uint64_t kSmall = 40u << 20;  // a few groups of frames: enough to check, quick to write

TEST_F(BenchClipTest, WholeGroupsWithKeyFramesAndAudioThatThePlugInOpens) {
    krvx::bench::BenchClipInfo info;
    std::string error;
    ASSERT_TRUE(krvx::bench::MakeBenchClip(m_path, kSmall, &info, &error)) << error;
    EXPECT_GE(info.bytes, kSmall);
    EXPECT_EQ(info.bytes, fs::file_size(m_path));
    ASSERT_GT(info.frames, 0u);
    EXPECT_EQ(info.frames % info.keyFrameInterval, 0u);
    EXPECT_FALSE(fs::exists(m_path + ".part"));

    krvx::AVIReader reader;
    ASSERT_EQ(reader.Open(m_path.c_str()), krvx::dshow::kOk);
    EXPECT_EQ(reader.TotalFrames(), info.frames);
    for (uint32_t frame = 0; frame < info.frames; ++frame)
        EXPECT_EQ(reader.IsVideoKeyFrame(frame), frame % info.keyFrameInterval == 0 ? 1u : 0u) << frame;

    krvx::sim::Session session(krvx::sim::SessionOptions{});
    ASSERT_TRUE(session.Start()) << session.Error();
    krvx::sim::OpenClip clip(session, m_path);
    ASSERT_EQ(clip.Open(), 0);
    EXPECT_EQ(clip.Info().width, 1920);
    EXPECT_EQ(clip.Info().height, 1080);
    ASSERT_GT(clip.Info().ticksPerFrame, 0);
    EXPECT_EQ(clip.Info().durationTicks / clip.Info().ticksPerFrame, static_cast<int32_t>(info.frames));
    ASSERT_TRUE(clip.Info().hasAudio);
    EXPECT_EQ(clip.Info().audioSampleRate, 48000.0f);
    EXPECT_EQ(clip.Info().audioDurationFrames, int64_t(info.frames) * 48000 / 25);
}

TEST_F(BenchClipTest, AWholeClipIsKeptAndOneCutShortIsWrittenAgain) {
    krvx::bench::BenchClipInfo first, again;
    std::string error;
    ASSERT_TRUE(krvx::bench::MakeBenchClip(m_path, kSmall, &first, &error)) << error;
    const fs::file_time_type written = fs::last_write_time(m_path);
    ASSERT_TRUE(krvx::bench::MakeBenchClip(m_path, kSmall, &again, &error)) << error;
    EXPECT_EQ(fs::last_write_time(m_path), written);
    EXPECT_EQ(again.frames, first.frames);

    // Asking for more than the clip holds makes a larger one.
    ASSERT_TRUE(krvx::bench::MakeBenchClip(m_path, first.bytes + 1, &again, &error)) << error;
    EXPECT_GT(again.bytes, first.bytes);

    // A file cut short (an interrupted copy) does not open as the clip and is replaced.
    fs::resize_file(m_path, 4096);
    ASSERT_TRUE(krvx::bench::MakeBenchClip(m_path, 4096, &again, &error)) << error;
    EXPECT_GT(fs::file_size(m_path), 4096u);
    EXPECT_EQ(again.bytes, fs::file_size(m_path));
    EXPECT_EQ(again.frames % again.keyFrameInterval, 0u);
    krvx::AVIReader reader;
    EXPECT_EQ(reader.Open(m_path.c_str()), krvx::dshow::kOk);
    EXPECT_EQ(reader.TotalFrames(), again.frames);
}

}  // namespace
