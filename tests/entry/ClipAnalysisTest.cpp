// Time information, the analysis text, data rate and trim check, asked of the module as the host asks.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "avi/AVIWriter.h"
#include "host/HostRecords.h"
#include "host/HostResults.h"
#include "host/PrPixelFormat.h"
#include "host/Selectors.h"
#include "tests/support/ModuleTest.h"
#include "tests/support/TempClip.h"
#include "tools/clip-writer/ClipWriter.h"
#include "tools/krvx-host/ClipQueries.h"
#include "tools/krvx-host/FrameRequests.h"

using namespace krvx;
using namespace krvx::sim;
using namespace krvx::testing_support;

namespace {

using encode::MetadataItem;

class ClipAnalysisTest : public ModuleTest {
protected:
    void TearDown() override {
        EXPECT_EQ(s_session->Host().LiveHandles(), 0u);
        EXPECT_EQ(s_session->Host().LiveBlocks(), 0u);
    }

    static intptr_t Param(void* record) { return reinterpret_cast<intptr_t>(record); }

    static int32_t TimeInfo(OpenClip& clip, TimeInfoRecord* record) {
        std::memset(record, 0x5A, sizeof(*record));
        record->privateData = clip.Handle();
        return Call(imGetTimeInfo8, 0, Param(record));
    }

    static std::string Analysis(OpenClip& clip) {
        AnalysisRecord record{};
        record.privateData = clip.Handle();
        EXPECT_EQ(Call(imAnalysis, 0, Param(&record)), 0);
        EXPECT_EQ(record.bufferSize, 1024);
        std::vector<char> text(static_cast<size_t>(record.bufferSize), '\x7F');
        record.buffer = text.data();
        EXPECT_EQ(Call(imAnalysis, 0, Param(&record)), 0);
        return std::string(text.data());
    }

    // Trim check of frames [first, first + count) at 1000 ticks per frame; start and duration in frames.
    static int32_t CheckTrim(OpenClip& clip, int32_t first, int32_t count, int32_t* start, int32_t* frames,
                             bool audioOnly = false) {
        TrimCheckRecord record{};
        record.privateData = clip.Handle();
        record.requestedStart = first * 1000;
        record.requestedDuration = count * 1000;
        record.keepAudio = 1;
        record.keepVideo = audioOnly ? 0 : 1;
        record.answeredStart = -7;
        record.answeredDuration = -7;
        record.ticksPerFrame = 1000;
        int32_t result = Call(imCheckTrim8, 0, Param(&record));
        *start = record.answeredStart < 0 ? record.answeredStart : record.answeredStart / 1000;
        *frames = record.answeredDuration < 0 ? record.answeredDuration : record.answeredDuration / 1000;
        return result;
    }

    TempFolder m_folder;
};

TEST_F(ClipAnalysisTest, TimecodeAndReelFillTheirAlternatesAndTheLastOccurrenceWins) {
    encode::ClipOptions options = SmallClip();
    options.rate = 30000;
    options.scale = 1001;
    options.metadata = {
        MetadataItem::Text(KRVX_TRACK_CLIP, "TIMC", "01:02:03:04 and more"),
        MetadataItem::Text(KRVX_TRACK_CLIP, "REEL", "A001"),
        MetadataItem::Text(KRVX_TRACK_CLIP, "REEL", "B002"),
        MetadataItem::Text(KRVX_TRACK_CLIP, "LOGC", "first comment"),
        MetadataItem::Text(KRVX_TRACK_CLIP, "LOGC", "second comment"),
    };
    OpenClip clip(*s_session, MakeClip(m_folder, "t.avi", options));
    ASSERT_EQ(clip.Open(), 0);
    TimeInfoRecord record;
    ASSERT_EQ(TimeInfo(clip, &record), 0);
    EXPECT_STREQ(record.timecode, "01:02:03:04");
    EXPECT_STREQ(record.alternateTimecode, "01:02:03:04");
    EXPECT_STREQ(record.reelName, "B002");
    EXPECT_STREQ(record.alternateReelName, "B002");
    EXPECT_STREQ(record.logComment, "second comment");
    EXPECT_EQ(+record.timeBase, 30000);
    EXPECT_EQ(+record.ticksPerFrame, 1001);
    EXPECT_EQ(+record.alternateTimeBase, 30000);
    EXPECT_EQ(+record.alternateTicksPerFrame, 1001);
    EXPECT_EQ(+record.offset396, 1);
}

TEST_F(ClipAnalysisTest, AlternatesStandAloneAndOverlongTextsAreCutOrLeftOut) {
    encode::ClipOptions options = SmallClip();
    options.metadata = {
        MetadataItem::Text(KRVX_TRACK_CLIP, "TIMA", "10:00:00:00"),
        MetadataItem::Text(KRVX_TRACK_CLIP, "TIMC", "01:00:00:00"),
        MetadataItem::Text(KRVX_TRACK_CLIP, "REEL", std::string(60, 'R')),
        MetadataItem::Text(KRVX_TRACK_CLIP, "REEA", "ALT"),
        MetadataItem::Text(KRVX_TRACK_CLIP, "LOGC", std::string(300, 'L')),
    };
    OpenClip clip(*s_session, MakeClip(m_folder, "t.avi", options));
    ASSERT_EQ(clip.Open(), 0);
    TimeInfoRecord record;
    ASSERT_EQ(TimeInfo(clip, &record), 0);
    EXPECT_STREQ(record.timecode, "01:00:00:00");
    EXPECT_STREQ(record.alternateTimecode, "10:00:00:00");
    EXPECT_EQ(std::string(record.reelName), std::string(39, 'R'));
    EXPECT_STREQ(record.alternateReelName, "ALT");
    EXPECT_STREQ(record.logComment, "");
}

TEST_F(ClipAnalysisTest, TimeInfoWithoutAnImporterOrMetadata) {
    TimeInfoRecord record{};
    EXPECT_EQ(Call(imGetTimeInfo8, 0, Param(&record)), kImUnsupported);
    EXPECT_EQ(Call(imGetTimeInfo8, 0, 0), kImUnsupported);
    OpenClip clip(*s_session, MakeClip(m_folder, "plain.avi", SmallClip()));
    ASSERT_EQ(clip.Open(), 0);
    ASSERT_EQ(TimeInfo(clip, &record), 0);
    EXPECT_STREQ(record.timecode, "");
    EXPECT_STREQ(record.reelName, "");
    EXPECT_STREQ(record.logComment, "");
    EXPECT_EQ(+record.timeBase, 25);
}

TEST_F(ClipAnalysisTest, AnalysisTextByteForByte) {
    const std::string head = "\nKorvane Faithful Detail\x99 File details:\nContains 1 video track(s) ";
    const std::string audio = "\nAudio track 1:\nRate is 48000 samples/sec\nSample Size is 16 bits\n";
    struct Case {
        uint32_t rate, scale, audioRate;
        std::string expected;
    };
    const Case cases[] = {
        {30000, 1001, 44100, head + "and 1 audio track(s).\n\nVideo track 1:\nFrame Rate is 29.97\n" + audio},
        {60000, 1001, 48000, head + "and 1 audio track(s).\n\nVideo track 1:\nFrame Rate is 60\n" + audio},
        {25, 1, 48000, head + "and 1 audio track(s).\n\nVideo track 1:\nFrame Rate is 25\n" + audio},
        {25, 1, 0, head + "and 0 audio track(s).\n\nVideo track 1:\nFrame Rate is 25\n"},
        {24000, 1001, 0, head + "and 0 audio track(s).\n\nVideo track 1:\nFrame Rate is 23.976\n"},
    };
    for (const Case& c : cases) {
        encode::ClipOptions options = SmallClip();
        options.rate = c.rate;
        options.scale = c.scale;
        options.audioRate = c.audioRate;
        OpenClip clip(*s_session, MakeClip(m_folder, "a.avi", options));
        ASSERT_EQ(clip.Open(), 0);
        EXPECT_EQ(Analysis(clip), c.expected) << c.rate << "/" << c.scale;
    }
}

TEST_F(ClipAnalysisTest, AnalysisTextCarriesTheCameraMetadata) {
    encode::ClipOptions options = SmallClip();
    options.audioRate = 0;
    options.metadata = {
        MetadataItem::Int32(KRVX_TRACK_CLIP, "TAKE", 3),
        MetadataItem::Int32(KRVX_TRACK_CLIP, "SHOT", 2),
        MetadataItem::Int32(KRVX_TRACK_CLIP, "SCEN", -5),
        MetadataItem::Int32(KRVX_TRACK_CLIP, "CAMR", 1),
        MetadataItem::Int32(KRVX_TRACK_CLIP, "PROJ", 7),
        MetadataItem::Text(KRVX_TRACK_CLIP, "DATE", "2026-12-06"),
        MetadataItem::Text(KRVX_TRACK_CLIP, "TIME", "14:50:00"),
        MetadataItem::UInt32(KRVX_TRACK_CLIP, "PRNT", 0x12AB34CDu),
    };
    OpenClip clip(*s_session, MakeClip(m_folder, "m.avi", options));
    ASSERT_EQ(clip.Open(), 0);
    EXPECT_EQ(Analysis(clip),
              "\nKorvane Faithful Detail\x99 File details:\nContains 1 video track(s) and 0 audio track(s).\n"
              "\nVideo track 1:\nFrame Rate is 25\n"
              "Project : 7     Camera : 1     Scene : -5     Shot : 2     Take : 3\n"
              "Date : 2026-12-06    Time : 14:50:00\n"
              "Camera unique ID : 12AB-34CD\n");
}

TEST_F(ClipAnalysisTest, AnalysisTextIsCutToTheHostsBuffer) {
    OpenClip clip(*s_session, MakeClip(m_folder, "a.avi", SmallClip()));
    ASSERT_EQ(clip.Open(), 0);
    char text[16];
    std::memset(text, '#', sizeof(text));
    AnalysisRecord record{};
    record.privateData = clip.Handle();
    record.buffer = text;
    record.bufferSize = 10;
    ASSERT_EQ(Call(imAnalysis, 0, Param(&record)), 0);
    EXPECT_STREQ(text, "\nKorvane ");
    EXPECT_EQ(text[10], '#');
}

TEST_F(ClipAnalysisTest, DataRateRepeatsAfterSmallFramesAndHalvesBeforeThem) {
    std::string path = m_folder.File("sizes.avi");
    {
        AVIWriter writer;
        AVIVideoParams video;
        video.compression = MakeFourCC('K', 'R', 'V', 'X');
        video.width = 64;
        video.height = 36;
        video.rate = 30000;
        video.scale = 1001;
        ASSERT_EQ(writer.Open(path.c_str(), video, AVIAudioParams{}, AVIOpenDml::kOff), dshow::kOk);
        for (uint32_t size : {5000u, 50u, 5000u, 5000u}) {
            std::vector<uint8_t> sample(size, 0x11);
            ASSERT_EQ(writer.WriteVideo(sample.data(), size, true), dshow::kOk);
        }
        ASSERT_EQ(writer.Close(), dshow::kOk);
    }
    OpenClip clip(*s_session, path);
    clip.Open();  // the samples are not pictures; the handle is all the data rate needs
    ASSERT_NE(clip.Handle(), nullptr);
    DataRateRecord record{};
    record.privateData = clip.Handle();
    ASSERT_EQ(Call(imDataRateAnalysis, 0, Param(&record)), 0);
    ASSERT_EQ(record.bufferSize, 4 * 8);
    std::vector<DataRateEntry> entries(4);
    record.buffer = entries.data();
    ASSERT_EQ(Call(imDataRateAnalysis, 0, Param(&record)), 0);
    const uint32_t expected[4] = {2500, 2500, 5000, 5000};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(entries[i].ticksPerFrame, 1001u) << i;
        EXPECT_EQ(entries[i].bytes, expected[i]) << i;
    }
    // A smaller buffer gets only the entries it holds.
    std::vector<DataRateEntry> two(3, DataRateEntry{9, 9});
    record.buffer = two.data();
    record.bufferSize = 2 * 8;
    ASSERT_EQ(Call(imDataRateAnalysis, 0, Param(&record)), 0);
    EXPECT_EQ(two[1].bytes, 2500u);
    EXPECT_EQ(two[2].bytes, 9u);
    DataRateRecord empty{};
    EXPECT_EQ(Call(imDataRateAnalysis, 0, Param(&empty)), kImUnsupported);
}

// An index entry may claim more bytes than the file holds: the data rate counts it at the size the index
// states, and a frame request for it fails without reading past the file.
TEST_F(ClipAnalysisTest, AnEntryRunningPastTheFileCountsAtItsSizeAndFailsAsAFrame) {
    // The clip's last "idx1" entry, the file's last 16 bytes, claims 100000 bytes.
    auto claimLastEntry = [](const std::string& path) {
        std::string file = ReadFile(path);
        ASSERT_GE(file.size(), 16u);
        ASSERT_EQ(file.compare(file.size() - 16, 3, "00d"), 0) << "the last index entry is not a frame";
        const uint32_t claimed = 100000;
        std::memcpy(&file[file.size() - 4], &claimed, 4);
        WriteFile(path, file);
    };
    std::string samples = m_folder.File("samples.avi");
    {
        AVIWriter writer;
        AVIVideoParams video;
        video.compression = MakeFourCC('K', 'R', 'V', 'X');
        video.width = 64;
        video.height = 36;
        video.rate = 25;
        video.scale = 1;
        ASSERT_EQ(writer.Open(samples.c_str(), video, AVIAudioParams{}, AVIOpenDml::kOff), dshow::kOk);
        std::vector<uint8_t> sample(3951, 0x11);
        for (int i = 0; i < 3; ++i) ASSERT_EQ(writer.WriteVideo(sample.data(), 3951, true), dshow::kOk);
        ASSERT_EQ(writer.Close(), dshow::kOk);
    }
    claimLastEntry(samples);
    {
        OpenClip clip(*s_session, samples);
        clip.Open();  // the samples are not pictures; the handle is all the data rate needs
        ASSERT_NE(clip.Handle(), nullptr);
        std::vector<DataRateEntry> entries(3);
        DataRateRecord record{};
        record.privateData = clip.Handle();
        record.buffer = entries.data();
        record.bufferSize = 3 * 8;
        ASSERT_EQ(Call(imDataRateAnalysis, 0, Param(&record)), 0);
        EXPECT_EQ(entries[0].bytes, 3951u);
        EXPECT_EQ(entries[1].bytes, 3951u);
        EXPECT_EQ(entries[2].bytes, 100000u);
    }

    encode::ClipOptions options = SmallClip(32, 18, 3);
    options.audioRate = 0;
    std::string pictures = MakeClip(m_folder, "pictures.avi", options);
    claimLastEntry(pictures);
    OpenClip clip(*s_session, pictures);
    ASSERT_EQ(clip.Open(), 0);
    SourceFrame frame(*s_session);
    EXPECT_EQ(frame.Request(clip, 1, PrPixelFormat_BGRA_4444_8u, 32, 18), 0);
    frame.Release();
    EXPECT_EQ(frame.Request(clip, 2, PrPixelFormat_BGRA_4444_8u, 32, 18), kImBadFile);
    EXPECT_EQ(frame.Frame(), nullptr);
}

TEST_F(ClipAnalysisTest, TrimsWidenToKeyFramesAndMisalignedEndsAre20) {
    encode::ClipOptions even = SmallClip(32, 18, 9);  // key frames 0, 2, 4, 6, 8
    OpenClip clip(*s_session, MakeClip(m_folder, "even.avi", even));
    ASSERT_EQ(clip.Open(), 0);
    int32_t start = 0, frames = 0;
    ASSERT_EQ(CheckTrim(clip, 3, 4, &start, &frames), 0);  // 3..6
    EXPECT_EQ(start, 2);
    EXPECT_EQ(frames, 6);                                  // 2..7
    ASSERT_EQ(CheckTrim(clip, 7, 2, &start, &frames), 0);  // 7..8, ending on the last frame
    EXPECT_EQ(start, 6);
    EXPECT_EQ(frames, 3);                                             // 6..8
    EXPECT_EQ(CheckTrim(clip, 5, 10, &start, &frames), kImCantTrim);  // past the end
    // Audio-only trims are not aligned at all.
    ASSERT_EQ(CheckTrim(clip, 3, 4, &start, &frames, true), 0);
    EXPECT_EQ(start, -7);
    EXPECT_EQ(frames, -7);

    encode::ClipOptions thirds = SmallClip(32, 18, 9);
    thirds.gop = 3;  // key frames 0, 3, 6
    OpenClip sparse(*s_session, MakeClip(m_folder, "thirds.avi", thirds));
    ASSERT_EQ(sparse.Open(), 0);
    ASSERT_EQ(CheckTrim(sparse, 1, 3, &start, &frames), 0);  // 1..3: the key frame 3 takes frame 4 along
    EXPECT_EQ(start, 0);
    EXPECT_EQ(frames, 5);
    EXPECT_EQ(CheckTrim(sparse, 1, 8, &start, &frames), kImCantTrim);  // ends on 8: neither 8 nor 7 is key
    EXPECT_EQ(start, 0);                                               // the start was written already

    TrimCheckRecord record{};
    EXPECT_EQ(Call(imCheckTrim8, 0, Param(&record)), kImCantTrim);
    EXPECT_EQ(Call(imCheckTrim8, 0, 0), kImCantTrim);
}

}  // namespace
