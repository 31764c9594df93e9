// The AVI writer's outputs and modes: a file and a byte sink get the same bytes, the automatic OpenDML
// mode stays AVI 1.0 under its limit and continues in "AVIX" forms past it, and the reader gets every
// sample back either way.
#include <gtest/gtest.h>

#include "RiffWalk.h"
#include "TestSupport.h"
#include "WriterSamples.h"
#include "avi/AVIWriter.h"

namespace krvx {
namespace test {
namespace {

constexpr uint64_t kSmallLimit = 256 * 1024;

std::vector<const Chunk*> StreamLists(const std::vector<Chunk>& hdrl) {
    std::vector<const Chunk*> lists;
    for (const Chunk& c : hdrl) {
        if (c.listType == "strl") lists.push_back(&c);
    }
    return lists;
}

std::vector<uint8_t> WriteToMemory(const SampleSet& set, AVIOpenDml mode, uint64_t limit, MemorySink& sink) {
    AVIWriter writer;
    EXPECT_EQ(writer.Open(&sink, set.video, set.audio, mode, limit), dshow::kOk);
    EXPECT_EQ(WriteSamples(writer, set), dshow::kOk);
    return sink.bytes;
}

TEST(AVIWriterSink, SinkGetsTheBytesOfTheFileInFewWrites) {
    TempDir dir;
    const SampleSet set = MakeSamples(40, 12000, true);
    struct Case {
        const char* name;
        AVIOpenDml mode;
        uint64_t limit;
    };
    for (const Case& c : {Case{"plain", AVIOpenDml::kOff, kAVIDefaultRiffLimit},
                          Case{"opendml", AVIOpenDml::kAlways, kSmallLimit},
                          Case{"automatic", AVIOpenDml::kAutomatic, kAVIDefaultRiffLimit},
                          Case{"automatic-continued", AVIOpenDml::kAutomatic, kSmallLimit}}) {
        SCOPED_TRACE(c.name);
        const std::string path = dir.File(std::string(c.name) + ".avi");
        AVIWriter byPath;
        ASSERT_EQ(byPath.Open(path.c_str(), set.video, set.audio, c.mode, c.limit), dshow::kOk);
        ASSERT_EQ(WriteSamples(byPath, set), dshow::kOk);
        MemorySink sink;
        const std::vector<uint8_t> memory = WriteToMemory(set, c.mode, c.limit, sink);
        EXPECT_TRUE(memory == AVIFile(path).bytes);
        // A header (with the pad byte before it) and a payload per sample, plus a few per RIFF form.
        const uint32_t samples = static_cast<uint32_t>(set.frames.size() + set.audioChunks.size());
        EXPECT_LE(sink.writes, 2 * samples + 4 * static_cast<uint32_t>(AVIFile(memory).Top().size()) + 4);
        // Payloads reach the sink from the caller's memory, not from a copy.
        for (const auto& frame : set.frames) EXPECT_EQ(sink.sources.count(frame.data()), 1u);
        for (const auto& audio : set.audioChunks) EXPECT_EQ(sink.sources.count(audio.data()), 1u);
    }
}

TEST(AVIWriterSink, RefusedWritesFailTheSampleAndTheClose) {
    const SampleSet set = MakeSamples(30, 12000, true);
    {
        MemorySink sink;
        sink.failFrom = 100000;  // in the middle of the movie data
        AVIWriter writer;
        ASSERT_EQ(writer.Open(&sink, set.video, set.audio, AVIOpenDml::kAutomatic, kSmallLimit), dshow::kOk);
        dshow::HResult result = dshow::kOk;
        size_t written = 0;
        for (; written < set.frames.size() && dshow::Succeeded(result); ++written) {
            result = writer.WriteVideo(set.frames[written].data(),
                                       static_cast<uint32_t>(set.frames[written].size()), true);
        }
        EXPECT_EQ(result, dshow::kFail);
        EXPECT_LT(written, set.frames.size());
        // Once failed, the writer refuses everything that follows.
        EXPECT_EQ(writer.WriteVideo(set.frames[0].data(), 16, true), dshow::kFail);
        EXPECT_EQ(writer.Close(), dshow::kFail);
    }
    {
        // The final header rewrite failing is reported by Close alone.
        MemorySink sink;
        AVIWriter writer;
        ASSERT_EQ(writer.Open(&sink, set.video, AVIAudioParams{}, AVIOpenDml::kOff), dshow::kOk);
        ASSERT_EQ(writer.WriteVideo(set.frames[0].data(), 5000, true), dshow::kOk);
        sink.failFrom = 0;
        EXPECT_EQ(writer.Close(), dshow::kFail);
        EXPECT_FALSE(writer.IsOpen());
    }
}

TEST(AVIWriterSink, RefusesBadParametersAndMisuse) {
    MemorySink sink;
    AVIWriter writer;
    AVIVideoParams video = MakeSamples(1, 10, false).video;
    AVIAudioParams audio;
    for (uint32_t AVIVideoParams::*field :
         {&AVIVideoParams::width, &AVIVideoParams::height, &AVIVideoParams::rate, &AVIVideoParams::scale}) {
        AVIVideoParams bad = video;
        bad.*field = 0;
        EXPECT_EQ(writer.Open(&sink, bad, audio, AVIOpenDml::kOff), dshow::kInvalidArg);
    }
    audio.sampleRate = 48000;
    audio.channels = 0;
    EXPECT_EQ(writer.Open(&sink, video, audio, AVIOpenDml::kOff), dshow::kInvalidArg);
    EXPECT_EQ(writer.Open(static_cast<IAVIByteSink*>(nullptr), video, AVIAudioParams{}, AVIOpenDml::kOff),
              dshow::kInvalidArg);
    EXPECT_EQ(sink.writes, 0u);
    EXPECT_EQ(writer.WriteVideo(nullptr, 0, true), dshow::kInvalidArg);  // not open
    EXPECT_EQ(writer.Close(), dshow::kInvalidArg);

    ASSERT_EQ(writer.Open(&sink, video, AVIAudioParams{}, AVIOpenDml::kOff), dshow::kOk);
    EXPECT_EQ(writer.Open(&sink, video, AVIAudioParams{}, AVIOpenDml::kOff), dshow::kInvalidArg);
    const uint8_t pcm[4] = {};
    EXPECT_EQ(writer.WriteAudio(pcm, 4), dshow::kInvalidArg);  // no audio stream
    EXPECT_EQ(writer.WriteVideo(nullptr, 8, true), dshow::kInvalidArg);
    EXPECT_EQ(writer.Close(), dshow::kOk);

    TempDir dir;
    EXPECT_EQ(writer.Open(dir.File("missing/clip.avi").c_str(), video, AVIAudioParams{}, AVIOpenDml::kOff),
              dshow::kFail);
}

// Formats whose header fields cannot hold them are refused, not written wrapped: the frame period in
// 32 bits of microseconds, the audio block alignment in 16 bits, the bytes per second in 32 bits.
TEST(AVIWriterSink, RefusesFormatsPastTheirHeaderFields) {
    struct Case {
        const char* what;
        uint32_t rate, scale;
        uint32_t sampleRate;
        uint16_t channels, bits;
        dshow::HResult result;
        uint32_t microsecondsPerFrame, bytesPerSecond;  // as written, when accepted
    };
    const Case cases[] = {
        {"4294 seconds a frame", 1, 4294, 0, 2, 16, dshow::kOk, 4294000000u, 0},
        {"4295 seconds a frame", 1, 4295, 0, 2, 16, dshow::kInvalidArg, 0, 0},
        {"65535 channels of 8 bits at 65537 Hz", 25, 1, 65537, 65535, 8, dshow::kOk, 40000, 0xFFFFFFFFu},
        {"65535 channels of 8 bits at 65538 Hz", 25, 1, 65538, 65535, 8, dshow::kInvalidArg, 0, 0},
        {"65535 channels of 16 bits", 25, 1, 48000, 65535, 16, dshow::kInvalidArg, 0, 0},
        {"30000 channels of 16 bits at 48000 Hz", 25, 1, 48000, 30000, 16, dshow::kOk, 40000, 2880000000u},
        {"2147483647 Hz", 25, 1, 0x7FFFFFFF, 2, 16, dshow::kInvalidArg, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        AVIVideoParams video = MakeSamples(1, 10, false).video;
        video.rate = c.rate;
        video.scale = c.scale;
        AVIAudioParams audio;
        audio.sampleRate = c.sampleRate;
        audio.channels = c.channels;
        audio.bitsPerSample = c.bits;
        MemorySink sink;
        AVIWriter writer;
        EXPECT_EQ(writer.Open(&sink, video, audio, AVIOpenDml::kOff), c.result);
        if (c.result != dshow::kOk) {
            EXPECT_EQ(sink.writes, 0u);
            continue;
        }
        ASSERT_EQ(writer.Close(), dshow::kOk);
        // What was accepted is written as it is.
        const AVIFile file(sink.bytes);
        const std::string text(sink.bytes.begin(), sink.bytes.end());
        EXPECT_EQ(file.U32(text.find("avih") + 8), c.microsecondsPerFrame);
        if (c.sampleRate == 0) continue;
        const size_t wave = text.find("strf", text.find("auds")) + 8;
        EXPECT_EQ(file.U16(wave + 2), c.channels);
        EXPECT_EQ(file.U32(wave + 8), c.bytesPerSecond);
        EXPECT_EQ(file.U16(wave + 12), uint32_t(c.channels) * c.bits / 8);
    }
}

// An AVI 1.0 file cannot pass 4 GiB: its sizes and legacy offsets are 32-bit.
TEST(AVIWriterSink, PlainFileStopsBeforeFourGiB) {
    DiscardingSink sink(4096);
    AVIWriter writer;
    const AVIVideoParams video = MakeSamples(1, 10, false).video;
    ASSERT_EQ(writer.Open(&sink, video, AVIAudioParams{}, AVIOpenDml::kOff), dshow::kOk);
    std::vector<uint8_t> sample(64u << 20, 0x5A);
    uint32_t accepted = 0;
    dshow::HResult result = dshow::kOk;
    while (accepted < 80 &&
           dshow::Succeeded(result = writer.WriteVideo(sample.data(), uint32_t(sample.size()), true))) {
        ++accepted;
    }
    EXPECT_EQ(result, dshow::kFail);
    EXPECT_EQ(accepted, 63u);  // 64 samples of 64 MiB and their headers would need 4 GiB + 512 bytes
    ASSERT_EQ(writer.Close(), dshow::kOk);
    AVIFile head(sink.head);
    EXPECT_EQ(head.U32(4) + 8ull, sink.end);
    EXPECT_LE(sink.end, 0xFFFFFFFFull);
}

TEST(AVIWriterAutomatic, UnderTheLimitIsAPlainFileWithRoomForOpenDml) {
    TempDir dir;
    const SampleSet set = MakeSamples(24, 3001, true);
    const std::string path = dir.File("automatic.avi");
    AVIWriter writer;
    ASSERT_EQ(writer.Open(path.c_str(), set.video, set.audio, AVIOpenDml::kAutomatic), dshow::kOk);
    ASSERT_EQ(WriteSamples(writer, set), dshow::kOk);

    AVIFile avi(path);
    const auto top = avi.Top();
    ASSERT_EQ(top.size(), 1u);
    const auto form = avi.Inside(top[0]);
    ASSERT_EQ(form.size(), 3u);
    ASSERT_EQ(form[1].listType, "movi");
    ASSERT_EQ(form[2].id, "idx1");
    for (const Chunk& c : avi.Inside(form[1])) EXPECT_EQ(c.id.substr(0, 2) == "ix", false) << c.id;
    const auto hdrl = avi.Inside(form[0]);
    EXPECT_EQ(avi.Find(hdrl, "LIST", "odml"), nullptr);
    EXPECT_NE(avi.Find(hdrl, "JUNK"), nullptr);
    for (const Chunk* strl : StreamLists(hdrl)) {
        const auto inside = avi.Inside(*strl);
        EXPECT_EQ(avi.Find(inside, "indx"), nullptr);
        EXPECT_NE(avi.Find(inside, "JUNK"), nullptr);
    }
    EXPECT_EQ(avi.U32(avi.Find(hdrl, "avih")->pos + 8 + 16), 24u);

    // The room kept is exactly what the OpenDML headers take: the movie data starts at the same place.
    MemorySink always;
    AVIFile openDml(WriteToMemory(set, AVIOpenDml::kAlways, kAVIDefaultRiffLimit, always));
    EXPECT_EQ(openDml.Inside(openDml.Top()[0])[1].pos, form[1].pos);

    ExpectReaderReturnsAll(path, set);
}

TEST(AVIWriterAutomatic, PastTheLimitContinuesInAVIXForms) {
    TempDir dir;
    const SampleSet set = MakeSamples(40, 12000, true);
    const std::string path = dir.File("continued.avi");
    AVIWriter writer;
    ASSERT_EQ(writer.Open(path.c_str(), set.video, set.audio, AVIOpenDml::kAutomatic, kSmallLimit),
              dshow::kOk);
    ASSERT_EQ(WriteSamples(writer, set), dshow::kOk);

    AVIFile avi(path);
    const auto top = avi.Top();
    ASSERT_GE(top.size(), 3u);
    EXPECT_EQ(top[0].listType, "AVI ");
    for (size_t i = 1; i < top.size(); ++i) EXPECT_EQ(top[i].listType, "AVIX");
    for (const Chunk& riff : top) EXPECT_LE(riff.size + 8u, kSmallLimit);

    const auto form = avi.Inside(top[0]);
    ASSERT_EQ(form[2].id, "idx1");
    const auto hdrl = avi.Inside(form[0]);
    const Chunk* odml = avi.Find(hdrl, "LIST", "odml");
    ASSERT_NE(odml, nullptr);
    EXPECT_EQ(avi.U32(avi.Inside(*odml)[0].pos + 8), 40u);
    EXPECT_EQ(avi.Find(hdrl, "JUNK"), nullptr);
    const uint32_t firstFormFrames = avi.U32(avi.Find(hdrl, "avih")->pos + 8 + 16);
    EXPECT_LT(firstFormFrames, 40u);
    EXPECT_EQ(form[2].size / 16, 2 * firstFormFrames);  // a frame and its audio each

    // Each form's movie list ends with its standard indexes; the super indexes point at them.
    std::vector<uint64_t> standardIndexes;
    for (const Chunk& riff : top) {
        const auto movi = avi.Inside(avi.Inside(riff)[riff.listType == "AVI " ? 1 : 0]);
        ASSERT_GE(movi.size(), 2u);
        EXPECT_EQ(movi[movi.size() - 2].id, "ix00");
        EXPECT_EQ(movi[movi.size() - 1].id, "ix01");
        standardIndexes.push_back(movi[movi.size() - 2].pos);
        standardIndexes.push_back(movi[movi.size() - 1].pos);
    }
    std::vector<uint64_t> pointedAt;
    const auto strls = StreamLists(hdrl);
    ASSERT_EQ(strls.size(), 2u);
    for (size_t i = 0; i < top.size(); ++i) {
        for (const Chunk* strl : strls) {
            const auto inside = avi.Inside(*strl);
            const Chunk* indx = avi.Find(inside, "indx");
            ASSERT_NE(indx, nullptr);
            ASSERT_EQ(avi.U32(indx->pos + 12), top.size());
            pointedAt.push_back(avi.U64(indx->pos + 8 + 24 + 16 * i));
        }
    }
    EXPECT_EQ(pointedAt, standardIndexes);

    ExpectReaderReturnsAll(path, set);
}

// Audio alone (a trimmed copy without its video): the audio is stream 0, also in the OpenDML indexes
// once the file continues past its first form.
TEST(AVIWriterAudioOnly, AudioIsStreamZeroAndReadsBack) {
    TempDir dir;
    SampleSet set = MakeSamples(40, 16, true);
    set.video = AVIVideoParams{};
    set.video.width = 0;
    for (const AVIOpenDml mode : {AVIOpenDml::kOff, AVIOpenDml::kAutomatic}) {
        const std::string path = dir.File(mode == AVIOpenDml::kOff ? "plain.avi" : "continued.avi");
        AVIWriter writer;
        ASSERT_EQ(writer.Open(path.c_str(), set.video, set.audio, mode, 64 * 1024), dshow::kOk);
        EXPECT_EQ(writer.WriteVideo(set.frames[0].data(), 16, true), dshow::kInvalidArg);
        for (const auto& chunk : set.audioChunks)
            ASSERT_EQ(writer.WriteAudio(chunk.data(), static_cast<uint32_t>(chunk.size())), dshow::kOk);
        ASSERT_EQ(writer.Close(), dshow::kOk);

        AVIFile avi(path);
        const auto top = avi.Top();
        ASSERT_GE(top.size(), 1u);
        const auto hdrl = avi.Inside(avi.Inside(top[0])[0]);
        EXPECT_EQ(avi.U32(avi.Find(hdrl, "avih")->pos + 8 + 24), 1u) << "one stream";
        EXPECT_EQ(StreamLists(hdrl).size(), 1u);
        const auto movi = avi.Inside(avi.Inside(top[0])[1]);
        ASSERT_FALSE(movi.empty());
        EXPECT_EQ(movi[0].id, "00wb");
        if (mode == AVIOpenDml::kAutomatic) {
            EXPECT_GT(top.size(), 1u) << "past 64 KiB the file continues";
            EXPECT_NE(avi.Find(movi, "ix00"), nullptr);
        }

        AVIReader reader;
        ASSERT_EQ(reader.Open(path.c_str()), dshow::kOk);
        ASSERT_TRUE(reader.Audio().IsValid());
        std::vector<uint8_t> expected;
        for (const auto& chunk : set.audioChunks) expected.insert(expected.end(), chunk.begin(), chunk.end());
        std::vector<uint8_t> got(expected.size());
        uint32_t read = 0;
        ASSERT_EQ(reader.Audio().ReadSamples(0, got.data(), static_cast<uint32_t>(expected.size() / 4), 4,
                                             &read, nullptr),
                  dshow::kOk);
        EXPECT_EQ(read, expected.size() / 4);
        EXPECT_TRUE(got == expected);
    }
}

}  // namespace
}  // namespace test
}  // namespace krvx
