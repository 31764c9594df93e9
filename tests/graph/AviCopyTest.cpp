// Copies written through "AVI Mux" and "File Writer", read back with the project's AVI reader: every
// frame byte for byte with its key flag, all the audio, also when the graph stops before end of stream.
#include <gtest/gtest.h>

#include <memory>
#include <thread>

#include "GraphSupport.h"
#include "avi/AVIReader.h"
#include "graph/StandInFactory.h"
#include "platform/com.h"
#include "tests/avi/TestSupport.h"
#include "tests/support/TempClip.h"

namespace krvx {
namespace graphtest {
namespace {

using namespace dshow;

using test::ReadFrame;

// Checks that the file holds exactly frames [0, frames) of the clip, and their audio when `audio`.
void CheckCopy(const std::string& path, const TestClip& clip, uint32_t frames, bool audio) {
    AVIReader reader;
    ASSERT_EQ(reader.Open(path.c_str()), kOk) << path;
    EXPECT_EQ(reader.TotalFrames(), frames);
    EXPECT_EQ(reader.Video().GetHandler(), kKrvx);
    std::vector<uint8_t> frame;
    for (uint32_t i = 0; i < frames; ++i) {
        ASSERT_TRUE(ReadFrame(reader, i, &frame)) << "frame " << i;
        EXPECT_TRUE(frame == clip.Frame(i)) << "frame " << i;
        EXPECT_EQ(reader.IsVideoKeyFrame(i), clip.Key(i) ? 1u : 0u) << "frame " << i;
    }
    EXPECT_FALSE(ReadFrame(reader, frames, &frame)) << "no frame past the last";
    if (!audio) return;
    const uint32_t sampleBytes = clip.channels * clip.bits / 8;
    EXPECT_EQ(reader.Audio().Format().samplesPerSecond, clip.audioRate);
    ASSERT_EQ(reader.Audio().SeekToStart(), kOk);
    std::vector<uint8_t> block(clip.AudioBlockBytes());
    for (uint32_t i = 0; i < frames; ++i) {
        uint32_t got = 0;
        ASSERT_EQ(reader.Audio().ReadSamples(uint64_t(i) * clip.samplesPerFrame, block.data(),
                                             clip.samplesPerFrame, sampleBytes, &got, nullptr),
                  kOk);
        ASSERT_EQ(got, clip.samplesPerFrame) << "audio block " << i;
        EXPECT_TRUE(block == clip.AudioBlock(i)) << "audio block " << i;
    }
}

TEST(AviCopy, VideoAndAudioComeBackExactly) {
    testing_support::TempFolder folder;
    TestClip clip;
    const std::string path = folder.File("copy.avi");
    {
        CopyGraph copy(clip, path, false, true, true);
        ASSERT_EQ(copy.built, kOk);
        ASSERT_EQ(copy.Run(), kOk);
        for (uint32_t i = 0; i < 30; ++i) ASSERT_EQ(copy.PushFrame(i), kOk) << i;
        copy.EndOfStream();
        // After the end of every stream the file is complete; samples are then refused.
        EXPECT_TRUE(Failed(copy.PushFrame(30)));
        ASSERT_EQ(copy.Stop(), kOk);
    }
    CheckCopy(path, clip, 30, true);
}

TEST(AviCopy, StreamsDeliveredFromTwoThreads) {
    testing_support::TempFolder folder;
    TestClip clip;
    const std::string path = folder.File("threads.avi");
    {
        CopyGraph copy(clip, path, false, true, true);
        ASSERT_EQ(copy.built, kOk);
        ASSERT_EQ(copy.Run(), kOk);
        HResult videoResult = kOk;
        std::thread video([&] {
            for (uint32_t i = 0; i < 40 && Succeeded(videoResult); ++i) {
                std::vector<uint8_t> frame = clip.Frame(i);
                videoResult =
                    copy.videoSource->Push(frame.data(), static_cast<uint32_t>(frame.size()), clip.Key(i));
            }
            copy.videoSource->EndOfStream();
        });
        for (uint32_t i = 0; i < 40; ++i) {
            std::vector<uint8_t> block = clip.AudioBlock(i);
            ASSERT_EQ(copy.audioSource->Push(block.data(), static_cast<uint32_t>(block.size()), true), kOk);
        }
        copy.audioSource->EndOfStream();
        video.join();
        EXPECT_EQ(videoResult, kOk);
        ASSERT_EQ(copy.Stop(), kOk);
    }
    CheckCopy(path, clip, 40, true);
}

TEST(AviCopy, VideoAloneAndAStopBeforeTheEnd) {
    testing_support::TempFolder folder;
    TestClip clip;
    const std::string path = folder.File("video.avi");
    {
        CopyGraph copy(clip, path, false, true, false);
        ASSERT_EQ(copy.built, kOk);
        ASSERT_EQ(copy.Run(), kOk);
        for (uint32_t i = 0; i < 11; ++i) ASSERT_EQ(copy.PushFrame(i), kOk) << i;
        // Cancelled: no end of stream, the graph stops.
        ASSERT_EQ(copy.Stop(), kOk);
        // Run again: the file is written anew.
        ASSERT_EQ(copy.Run(), kOk);
        for (uint32_t i = 0; i < 5; ++i) ASSERT_EQ(copy.PushFrame(i), kOk) << i;
        ASSERT_EQ(copy.Stop(), kOk);
    }
    CheckCopy(path, clip, 5, false);
    {
        CopyGraph copy(clip, path, false, true, true);
        ASSERT_EQ(copy.built, kOk);
        ASSERT_EQ(copy.Run(), kOk);
        for (uint32_t i = 0; i < 11; ++i) ASSERT_EQ(copy.PushFrame(i), kOk) << i;
        // Released while running, as a failed copy leaves it.
    }
    CheckCopy(path, clip, 11, true);
}

// Graphs that stop sinks first stop the file writer before the multiplexer finishes the file.
TEST(AviCopy, FileWriterStoppedFirstStillTakesTheEnd) {
    testing_support::TempFolder folder;
    TestClip clip;
    const std::string path = folder.File("sink-first.avi");
    {
        CopyGraph copy(clip, path, false, true, true);
        ASSERT_EQ(copy.built, kOk);
        ASSERT_EQ(copy.Run(), kOk);
        for (uint32_t i = 0; i < 7; ++i) ASSERT_EQ(copy.PushFrame(i), kOk);
        ASSERT_EQ(copy.audioSource->Stop(), kOk);
        ASSERT_EQ(copy.videoSource->Stop(), kOk);
        ASSERT_EQ(copy.fileWriter->Stop(), kOk);
        ASSERT_EQ(copy.mux->Stop(), kOk);
    }
    CheckCopy(path, clip, 7, true);
}

TEST(AviCopy, UnwritableDestinationFailsTheCopy) {
    testing_support::TempFolder folder;
    TestClip clip;
    CopyGraph copy(clip, folder.File("missing/copy.avi"), false, true, true);
    ASSERT_EQ(copy.built, kOk);
    // The file writer creates its file on leaving the stopped state.
    EXPECT_TRUE(Failed(copy.Run()));
    FilterState state = FilterState::Running;
    copy.mux->GetState(0, &state);
    EXPECT_EQ(state, FilterState::Stopped) << "a failed start leaves the graph stopped";

    // "QT Mux" creates its movie with the first sample.
    CopyGraph movie(clip, folder.File("missing/copy.mov"), true, true, true);
    ASSERT_EQ(movie.built, kOk);
    ASSERT_EQ(movie.Run(), kOk);
    EXPECT_TRUE(Failed(movie.PushFrame(0)));
    EXPECT_TRUE(Failed(movie.PushFrame(1))) << "the failure stays";
}

TEST(FileSinks, NameAndModeAsSetAndNoRunWithoutAName) {
    for (const Guid& classId : {kClsidFileWriter, kClsidQtMux}) {
        ComPointer<IFileSinkFilter2> sink;
        ASSERT_EQ(graph::CreateStandInObject(classId, kIidFileSinkFilter2, sink.ReceiveVoid()), kOk);
        OleChar* name = nullptr;
        EXPECT_TRUE(Failed(sink->GetCurFile(&name, nullptr)));
        EXPECT_EQ(name, nullptr);
        ComPointer<IBaseFilter> filter;
        ASSERT_EQ(sink->QueryInterface(kIidBaseFilter, filter.ReceiveVoid()), kOk);
        EXPECT_TRUE(Failed(filter->Pause())) << "nowhere to write";

        ASSERT_EQ(sink->SetFileName(u"C:\\out\\clip.avi", nullptr), kOk);
        ASSERT_EQ(sink->GetCurFile(&name, nullptr), kOk);
        EXPECT_EQ(std::u16string(name), u"C:\\out\\clip.avi");
        platform::ComTaskMemFree(name);
        uint32_t mode = 7;
        EXPECT_EQ(sink->GetMode(&mode), kOk);
        EXPECT_EQ(mode, 0u);
        EXPECT_EQ(sink->SetMode(kFileOverwrite), kOk);
        EXPECT_EQ(sink->GetMode(&mode), kOk);
        EXPECT_EQ(mode, kFileOverwrite);
        EXPECT_EQ(sink->SetMode(2), kInvalidArg);
    }
}

// A multiplexer that writes at positions through IStream on the writer's input pin (as the system's
// does), some of it after the file writer has stopped: every byte lands, and the file is closed when
// the filter goes.
TEST(FileSinks, StreamWritesAtPositionsAlsoAfterStop) {
    testing_support::TempFolder folder;
    const std::string path = folder.File("stream.bin");
    {
        ComPointer<IBaseFilter> writer;
        ASSERT_EQ(graph::CreateStandInObject(kClsidFileWriter, kIidBaseFilter, writer.ReceiveVoid()), kOk);
        ComPointer<IFileSinkFilter2> sink;
        ASSERT_EQ(writer->QueryInterface(kIidFileSinkFilter2, sink.ReceiveVoid()), kOk);
        ASSERT_EQ(sink->SetFileName(Wide(path).c_str(), nullptr), kOk);
        ComPointer<IStream> stream;
        ASSERT_EQ(
            PinOf(writer.Get(), PinDirection::Input, 0)->QueryInterface(kIidStream, stream.ReceiveVoid()),
            kOk);
        uint32_t written = 9;
        EXPECT_EQ(stream->Write("x", 1, &written), kWrongState) << "no file before the first start";
        EXPECT_EQ(written, 0u);

        ASSERT_EQ(writer->Pause(), kOk);
        ASSERT_EQ(stream->Write("RIFF....body", 12, &written), kOk);
        EXPECT_EQ(written, 12u);
        uint64_t position = 0;
        ASSERT_EQ(stream->Seek(4, StreamSeek::Set, &position), kOk);
        EXPECT_EQ(position, 4u);
        ASSERT_EQ(stream->Write("SIZE", 4, nullptr), kOk);
        ASSERT_EQ(writer->Stop(), kOk);
        // Stopped after the writer, the multiplexer appends its index.
        ASSERT_EQ(stream->Seek(0, StreamSeek::End, &position), kOk);
        EXPECT_EQ(position, 12u);
        ASSERT_EQ(stream->Write("idx1", 4, nullptr), kOk);
        ASSERT_EQ(stream->Seek(-8, StreamSeek::Current, &position), kOk);
        EXPECT_EQ(position, 8u);
        EXPECT_EQ(stream->Seek(-9, StreamSeek::Current, &position), kInvalidArg);
    }
    EXPECT_EQ(testing_support::ReadFile(path), "RIFFSIZEbodyidx1");
}

}  // namespace
}  // namespace graphtest
}  // namespace krvx
