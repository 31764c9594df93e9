// Trimmed copies asked of the module as the host asks for them (imTrimFile8), read back frame by
// frame and sample by sample, and looked at by another program where one is at hand.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "avi/AVIReader.h"
#include "host/HostRecords.h"
#include "host/Selectors.h"
#include "tests/support/ModuleTest.h"
#include "tests/support/TempClip.h"
#include "tests/trim/CopyCheck.h"
#include "tools/clip-writer/ClipWriter.h"
#include "tools/krvx-host/ClipQueries.h"

using namespace krvx;
using namespace krvx::sim;
using namespace krvx::testing_support;

namespace {

constexpr int32_t kTicksPerFrame = 1000;

// Where the progress callback stops the copy (-1: never), and what it was told.
struct Progress {
    int32_t stopAfter = -1;
    int32_t calls = 0;
    int32_t lastDone = -1;
    int32_t total = -1;
};

int32_t OnProgress(int32_t done, int32_t total, void* context) {
    Progress* progress = static_cast<Progress*>(context);
    ++progress->calls;
    progress->lastDone = done;
    progress->total = total;
    return progress->stopAfter >= 0 && done >= progress->stopAfter ? 0 : 1;
}

bool Exists(const std::string& path) {
    std::error_code error;
    return std::filesystem::exists(path, error);
}

encode::ClipOptions ClipAt(uint32_t rate, uint32_t scale, uint32_t frames) {
    encode::ClipOptions options = SmallClip(64, 36, frames);
    options.rate = rate;
    options.scale = scale;
    options.gop = 5;
    options.audioRate = 48000;
    return options;
}

class TrimCopyTest : public ModuleTest {
protected:
    void TearDown() override {
        EXPECT_EQ(s_session->Host().LiveHandles(), 0u);
        EXPECT_EQ(s_session->Host().LiveBlocks(), 0u);
    }

    // imTrimFile8 of frames [first, first + frames) of an open clip into `destination`.
    static int32_t Trim(OpenClip& clip, int32_t first, int32_t frames, const std::string& destination,
                        bool video = true, bool audio = true, Progress* progress = nullptr) {
        const std::u16string path = ToUtf16(destination);
        TrimFileRecord record{};
        record.privateData = clip.Handle();
        record.trimIn = first * kTicksPerFrame;
        record.duration = frames * kTicksPerFrame;
        record.keepAudio = audio ? 1 : 0;
        record.keepVideo = video ? 1 : 0;
        record.destinationPath = path.c_str();
        record.progress = progress ? OnProgress : nullptr;
        record.progressContext = progress;
        record.ticksPerFrame = kTicksPerFrame;
        return Call(imTrimFile8, 0, reinterpret_cast<intptr_t>(&record));
    }

    TempFolder m_folder;
};

TEST_F(TrimCopyTest, CopiesTheRangeWithItsAudioAndKeyFramesAsTheSourceHasThem) {
    const std::string source = MakeClip(m_folder, "source.avi", ClipAt(30000, 1001, 24));
    OpenClip clip(*s_session, source);
    ASSERT_EQ(clip.Open(), 0);
    // Starting on a frame that is not a key frame: the copy keeps the source's flags as they are.
    Progress progress;
    const std::string copy = m_folder.File("copy.avi");
    ASSERT_EQ(Trim(clip, 3, 17, copy, true, true, &progress), 0);
    EXPECT_EQ(progress.calls, 17);
    EXPECT_EQ(progress.lastDone, 16);
    EXPECT_EQ(progress.total, 17);
    ExpectCopyOfSource({source, copy, 3, 17, true, true});
#ifndef _WIN32
    ExpectProbeAgrees({source, copy, 3, 17, true, true});
#endif

    // The copy opens in the plug-in like any clip, with the source's size, rate and audio.
    OpenClip reopened(*s_session, copy);
    ASSERT_EQ(reopened.Open(), 0);
    // The record is packed: its fields are read by value.
    const FileInfoRecord& info = reopened.Info();
    EXPECT_EQ(int32_t{info.width}, 64);
    EXPECT_EQ(int32_t{info.height}, 36);
    EXPECT_EQ(float{info.audioSampleRate}, 48000.0f);
    EXPECT_EQ(info.durationTicks / info.ticksPerFrame, 17);
}

TEST_F(TrimCopyTest, TheProgressCallbackEndsTheCopyWithAFinishedFile) {
    const std::string source = MakeClip(m_folder, "source.avi", ClipAt(25, 1, 30));
    OpenClip clip(*s_session, source);
    ASSERT_EQ(clip.Open(), 0);
    Progress progress;
    progress.stopAfter = 10;
    const std::string copy = m_folder.File("stopped.avi");
    EXPECT_EQ(Trim(clip, 0, 30, copy, true, true, &progress), 0);
    EXPECT_EQ(progress.calls, 11);
    ExpectCopyOfSource({source, copy, 0, 11, true, true});
#ifndef _WIN32
    ExpectProbeAgrees({source, copy, 0, 11, true, true});
#endif
}

TEST_F(TrimCopyTest, BroadcastRatesAreSnappedAndAudioFollowsEachFramesPosition) {
    struct Rate {
        uint32_t rate, scale;
        double framesPerSecond;
    };
    for (const Rate& rate : {Rate{30000, 1001, 29.970029830932617}, Rate{24000, 1001, 23.976024627685547},
                             Rate{25, 1, 25.0}}) {
        SCOPED_TRACE(rate.rate);
        const std::string name = std::to_string(rate.rate);
        const std::string source = MakeClip(m_folder, name + ".avi", ClipAt(rate.rate, rate.scale, 12));
        OpenClip clip(*s_session, source);
        ASSERT_EQ(clip.Open(), 0);
        const std::string copy = m_folder.File(name + "-copy.avi");
        ASSERT_EQ(Trim(clip, 2, 9, copy), 0);
        ExpectCopyOfSource({source, copy, 2, 9, true, true});
        AVIReader written;
        ASSERT_EQ(written.Open(copy.c_str()), 0);
        const AVIStreamHeader& header = written.Video().Header();
        ASSERT_NE(header.scale, 0u);
        EXPECT_NEAR(double(header.rate) / header.scale, rate.framesPerSecond, 0.0005);
    }
    // At 48000 Hz and 29.97 frames per second every block holds 1602 samples, and the blocks start
    // where each frame starts, so neighbours overlap or leave a gap of one sample.
    const std::vector<int64_t> positions = AudioBlockPositions(0, 4, 48000 / 29.970029830932617);
    EXPECT_EQ(positions, (std::vector<int64_t>{0, 1602, 3203, 4805}));
}

TEST_F(TrimCopyTest, KeepsOnlyTheStreamsAskedFor) {
    const std::string source = MakeClip(m_folder, "source.avi", ClipAt(25, 1, 10));
    OpenClip clip(*s_session, source);
    ASSERT_EQ(clip.Open(), 0);
    const std::string videoOnly = m_folder.File("video-only.avi");
    ASSERT_EQ(Trim(clip, 0, 10, videoOnly, true, false), 0);
    ExpectCopyOfSource({source, videoOnly, 0, 10, true, false});
#ifndef _WIN32
    ExpectProbeAgrees({source, videoOnly, 0, 10, true, false});
    const std::string audioOnly = m_folder.File("audio-only.avi");
    ASSERT_EQ(Trim(clip, 0, 10, audioOnly, false, true), 0);
    ExpectProbeAgrees({source, audioOnly, 0, 10, false, true});
#endif
}

TEST_F(TrimCopyTest, TheDestinationsExtensionChoosesTheContainer) {
    const std::string source = MakeClip(m_folder, "source.avi", ClipAt(25, 1, 6));
    OpenClip clip(*s_session, source);
    ASSERT_EQ(clip.Open(), 0);
    ASSERT_EQ(Trim(clip, 0, 6, m_folder.File("plain")), 0);
    EXPECT_TRUE(Exists(m_folder.File("plain.avi")));
    ASSERT_EQ(Trim(clip, 0, 6, m_folder.File("clip.mxf")), 0);
    EXPECT_TRUE(Exists(m_folder.File("clip.mxf.avi")));
    EXPECT_FALSE(Exists(m_folder.File("clip.mxf")));
    ExpectCopyOfSource({source, m_folder.File("clip.mxf.avi"), 0, 6, true, true});

    const std::string movie = m_folder.File("clip.MOV");
#ifdef _WIN32
    // No QuickTime multiplexer is installed with the system.
    EXPECT_EQ(Trim(clip, 0, 6, movie), 5);
#else
    ASSERT_EQ(Trim(clip, 0, 6, movie), 0);
    ExpectProbeAgrees({source, movie, 0, 6, true, true});
#endif
}

TEST_F(TrimCopyTest, RefusesWhatItCannotCopy) {
    TrimFileRecord record{};
    EXPECT_EQ(Call(imTrimFile8, 0, 0), 3);
    EXPECT_EQ(Call(imTrimFile8, 0, reinterpret_cast<intptr_t>(&record)), 3);

    encode::ClipOptions silent = ClipAt(25, 1, 6);
    silent.audioRate = 0;
    const std::string source = MakeClip(m_folder, "silent.avi", silent);
    OpenClip clip(*s_session, source);
    ASSERT_EQ(clip.Open(), 0);
    EXPECT_EQ(Trim(clip, 0, 6, m_folder.File("no-audio.avi"), true, true), 5);
    EXPECT_FALSE(Exists(m_folder.File("no-audio.avi")));
    // A range past the clip's end fails on the first frame it cannot read.
    EXPECT_EQ(Trim(clip, 4, 6, m_folder.File("past-end.avi"), true, false), 5);
    // A folder that does not exist cannot take the copy.
    EXPECT_EQ(Trim(clip, 0, 6, m_folder.File("missing/copy.avi"), true, false), 5);
}

}  // namespace
