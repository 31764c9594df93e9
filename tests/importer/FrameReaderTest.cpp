// The frame road in-process: the decode geometry, the process-wide decoder list as frames come and go,
// the two readings of the colour override file, the asynchronous importer's decoder pool and its
// worker-side decode.
#include <IAllocator.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "host/HostRecords.h"
#include "host/HostResults.h"
#include "host/PrPixelFormat.h"
#include "importer/CAVIFileImporter.h"
#include "importer/CDecoderList.h"
#include "importer/CDecoderPool.h"
#include "importer/CFrameReader.h"
#include "importer/ColourSettings.h"
#include "importer/ReadAndDecodeFrame.h"
#include "platform/store.h"
#include "platform/system.h"
#include "tests/support/TempClip.h"
#include "tools/krvx-host/ClipQueries.h"
#include "tools/krvx-host/FrameRequests.h"
#include "tools/krvx-host/HostSim.h"

using namespace krvx;
using namespace krvx::testing_support;

namespace {

class FrameReaderTest : public ::testing::Test {
protected:
    // Opens an importer on a clip of the given size: key frames at even frames.
    std::unique_ptr<CAVIFileImporter> Open(const std::string& name, uint32_t width, uint32_t height,
                                           uint32_t frames = 4) {
        if (!m_clips.count(name)) m_clips[name] = MakeClip(m_folder, name, SmallClip(width, height, frames));
        auto importer = std::make_unique<CAVIFileImporter>(m_host.StdParms());
        EXPECT_EQ(importer->Open(sim::ToUtf16(m_clips[name]).c_str()), 0);
        return importer;
    }

    // imGetSourceVideo on an importer; the host frame goes back to the host at once.
    int32_t Request(CAVIFileImporter* importer, int32_t frame, int32_t width, int32_t height) {
        FrameFormatEntry format{width, height, PrPixelFormat_BGRA_4444_8u};
        PPixHand made = nullptr;
        SourceVideoRecord record{};
        record.frameTime = frame * (kHostTicksPerSecond / 25);
        record.formats = &format;
        record.formatCount = 1;
        record.outFrame = &made;
        CFrameReader<CAVIFileImporter> reader(importer);
        const int32_t result = reader.ImportImage(&record);
        m_host.DisposeFrame(made);
        return result;
    }

    TempFolder m_folder;
    sim::HostSim m_host;
    std::map<std::string, std::string> m_clips;
};

TEST_F(FrameReaderTest, TheDecodeResolutionIsTheCoarsestThatStillCoversTheOutput) {
    auto importer = Open("hd.avi", 1920, 1080, 2);
    CFrameReader<CAVIFileImporter> reader(importer.get());
    struct Case {
        int32_t width, height;
        bool key;
        int32_t decodeWidth, decodeHeight, resolution;
    };
    const Case cases[] = {
        {1920, 1080, true, 1920, 1080, 1}, {1920, 1080, false, 1920, 1080, 1}, {480, 270, true, 480, 270, 3},
        {240, 135, true, 240, 135, 4},     {240, 135, false, 480, 270, 3},     {481, 270, true, 960, 540, 2},
        {100, 10, true, 240, 135, 4},      {3840, 2160, true, 1920, 1080, 1},  {0, 0, true, 240, 135, 4},
    };
    for (const Case& c : cases) {
        reader.SetOutput(c.width, c.height, PrPixelFormat_BGRA_4444_8u);
        ASSERT_EQ(reader.SelectDecodeGeometry(PrPixelFormat_BGRA_4444_8u, c.key), 0);
        EXPECT_EQ(reader.DecodeWidth(), c.decodeWidth) << c.width << "x" << c.height << " key " << c.key;
        EXPECT_EQ(reader.DecodeHeight(), c.decodeHeight) << c.width << "x" << c.height << " key " << c.key;
        EXPECT_EQ(reader.DecodeResolution(), c.resolution) << c.width << "x" << c.height << " key " << c.key;
        EXPECT_EQ(reader.DecodePitch(), c.decodeWidth * 4);
    }
    // 13-bit RGB takes 6 bytes a pixel: 240 x 6 = 1440 is a multiple of 16, 135 x 6 = 810 is not.
    reader.SetOutput(240, 135, PrPixelFormat_BGRA_4444_32f);
    ASSERT_EQ(reader.SelectDecodeGeometry(PrPixelFormat_BGRA_4444_32f, true), 0);
    EXPECT_EQ(reader.DecodePitch(), 1440);
    auto narrow = Open("narrow.avi", 1080, 64, 1);
    CFrameReader<CAVIFileImporter> narrowReader(narrow.get());
    narrowReader.SetOutput(135, 8, PrPixelFormat_BGRA_4444_32f);
    ASSERT_EQ(narrowReader.SelectDecodeGeometry(PrPixelFormat_BGRA_4444_32f, true), 0);
    EXPECT_EQ(narrowReader.DecodeWidth(), 135);
    EXPECT_EQ(narrowReader.DecodePitch(), 816);
    EXPECT_EQ(reader.SelectDecodeGeometry(PrPixelFormat_BGRA_4444_8u + 1, true), kImUnsupported);
}

TEST_F(FrameReaderTest, FramesLeaveTheirDecodersInTheProcessListOfEightUnlessNarrow) {
    CDecoderList& list = CDecoderList::Instance();
    std::vector<std::unique_ptr<CAVIFileImporter>> importers;
    for (int i = 0; i < 9; ++i) {
        importers.push_back(Open("list.avi", 128, 96, 2));
        ASSERT_EQ(Request(importers.back().get(), 0, 128, 96), 0);
        EXPECT_TRUE(list.Contains(importers.back()->Decoder()));
        EXPECT_EQ(list.Front(), importers.back()->Decoder());
    }
    // The ninth pushed out the least recently used, the first.
    EXPECT_EQ(list.Count(), CDecoderList::kCapacity);
    EXPECT_FALSE(list.Contains(importers[0]->Decoder()));
    // A request narrower than 100 pixels leaves the decoder out of the list with its memory released.
    ASSERT_EQ(Request(importers[5].get(), 1, 64, 48), 0);
    EXPECT_FALSE(list.Contains(importers[5]->Decoder()));
    // Decoders leave the list with their importers.
    importers.clear();
    EXPECT_EQ(list.Count(), 0u);
}

// Writes the override file and points the store at its folder.
class ColourSettingsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(platform::SetEnvironmentValue("KRVX_REGISTRY_DIR", m_folder.File("registry").c_str()));
    }
    void Point() {
        ASSERT_TRUE(platform::StoreWriteString(platform::StoreHive::CurrentUser,
                                               "Software\\Korvane\\ColorProcessing", "OverridePath",
                                               m_folder.Path().c_str()));
    }
    void Write(const std::string& bytes) { WriteFile(m_folder.File("override.colr"), bytes); }
    ColourSettings Read(OverrideReading reading, IAllocator* allocator = nullptr) {
        ColourSettings settings;
        settings.active = settings.mix = settings.level = -99;
        EXPECT_TRUE(ReadColourSettings(allocator ? allocator : &m_allocator, reading, &settings));
        return settings;
    }
    static std::string Record(const char* tag, uint32_t length, const std::string& payload) {
        std::string record(tag, 4);
        record.append(reinterpret_cast<const char*>(&length), 4);
        return record + payload;
    }
    static std::string Value(const char* tag, int32_t value) {
        return Record(tag, 4, std::string(reinterpret_cast<const char*>(&value), 4));
    }

    struct HeapAllocator : IAllocator {
        void* Alloc(uint32_t size) override { return fail ? nullptr : std::malloc(size); }
        void Free(void* block) override { std::free(block); }
        void* AllocAligned(uint32_t, uint32_t) override { return nullptr; }
        void FreeAligned(void*) override {}
        bool fail = false;
    };

    TempFolder m_folder;
    HeapAllocator m_allocator;
};

TEST_F(ColourSettingsTest, WithoutAStoreValueOrFileEverySettingIsZero) {
    for (OverrideReading reading : {OverrideReading::WalkRecords, OverrideReading::FiveFixedRecords}) {
        ColourSettings settings = Read(reading);
        EXPECT_EQ(settings.active, 0);
        EXPECT_EQ(settings.mix, 0);
        EXPECT_EQ(settings.level, 0);
    }
    Point();  // a folder without the file
    EXPECT_EQ(Read(OverrideReading::WalkRecords).mix, 0);
}

TEST_F(ColourSettingsTest, TheTwoReadingsOfOneFileDiffer) {
    Point();
    // An unknown record with a 20-byte payload between "CACT" and "CMIX": walked over by its length, but
    // in place it covers where the fixed reading looks for the later records.
    Write(Value("CACT", 1) + Record("XTRA", 20, std::string(20, '\x11')) + Value("CMIX", 5) +
          Value("CMVL", 7) + Value("CMIX", 9));
    ColourSettings walked = Read(OverrideReading::WalkRecords);
    EXPECT_EQ(walked.active, 1);
    EXPECT_EQ(walked.mix, 5);  // three settings read: the last "CMIX" is never reached
    EXPECT_EQ(walked.level, 7);
    ColourSettings fixed = Read(OverrideReading::FiveFixedRecords);
    EXPECT_EQ(fixed.active, 1);
    EXPECT_EQ(fixed.mix, 0);
    EXPECT_EQ(fixed.level, 0);

    // Three records, 36 bytes: all three for the walk, nothing for the fixed reading, which needs 60.
    Write(Value("CACT", 2) + Value("CMIX", 3) + Value("CMVL", 4));
    walked = Read(OverrideReading::WalkRecords);
    EXPECT_EQ(walked.active + walked.mix + walked.level, 9);
    fixed = Read(OverrideReading::FiveFixedRecords);
    EXPECT_EQ(fixed.active, 0);
    EXPECT_EQ(fixed.mix, 0);

    // Five records: later ones override earlier ones in the fixed reading; "CMVL" is never taken there.
    Write(Value("CACT", 1) + Value("CMIX", 3) + Value("CMVL", 4) + Value("CMIX", 8) + Value("JUNK", 0));
    fixed = Read(OverrideReading::FiveFixedRecords);
    EXPECT_EQ(fixed.mix, 8);
    EXPECT_EQ(fixed.level, 0);

    // A file cut inside a record keeps what came before.
    Write(Value("CMIX", 6) + std::string("CACT\x04\x00", 6));
    walked = Read(OverrideReading::WalkRecords);
    EXPECT_EQ(walked.mix, 6);
    EXPECT_EQ(walked.active, 0);

    ColourSettings untouched;
    m_allocator.fail = true;
    EXPECT_FALSE(ReadColourSettings(&m_allocator, OverrideReading::WalkRecords, &untouched));
}

TEST_F(FrameReaderTest, ThePoolPrefersTheDecoderHoldingThePreviousFrame) {
    auto importer = Open("pool.avi", 64, 48, 2);
    CDecoderPool pool(importer.get());
    DecoderPoolEntry first, second;
    ASSERT_EQ(pool.SelectDecoder(&first, 0), 0);
    ASSERT_EQ(pool.SelectDecoder(&second, 0), 0);
    ASSERT_NE(first.decoder, second.decoder);
    EXPECT_EQ(pool.Created(), 2u);
    first.lastFrame = 9;
    second.lastFrame = 41;
    ASSERT_EQ(pool.ReturnDecoder(&first), 0);
    ASSERT_EQ(pool.ReturnDecoder(&second), 0);

    DecoderPoolEntry chosen;
    ASSERT_EQ(pool.SelectDecoder(&chosen, 42), 0);
    EXPECT_EQ(chosen.decoder, second.decoder);
    ASSERT_EQ(pool.ReturnDecoder(&chosen), 0);
    ASSERT_EQ(pool.SelectDecoder(&chosen, 7), 0);  // no best: the first free entry
    EXPECT_EQ(chosen.decoder, first.decoder);
    EXPECT_EQ(pool.Created(), 2u);

    // An entry the pool does not hold changes nothing.
    DecoderPoolEntry stranger{second.decoder == first.decoder ? nullptr : importer->Decoder(), 1, 5};
    EXPECT_EQ(pool.ReturnDecoder(&stranger), kImOtherErr);
    EXPECT_EQ(pool.ReturnDecoder(&chosen), 0);
    EXPECT_EQ(pool.Size(), 2u);
}

struct CancelAfter : ICancellable {
    bool Cancelled() override { return cancelled; }
    bool cancelled = false;
};

TEST_F(FrameReaderTest, TheWorkerDecodeMatchesTheHostThreadsAndHonoursCancellation) {
    auto sync = Open("worker.avi", 96, 64, 6);
    auto async = Open("worker.avi", 96, 64, 6);
    CDecoderPool pool(async.get());
    platform::CriticalSection fileLock;
    CSampleBuffer samples(async->Allocator());
    CancelAfter request;
    FrameDecodeContext context;
    context.importer = async.get();
    context.fileLock = &fileLock;
    context.pool = &pool;
    context.sampleBuffer = &samples;
    context.request = &request;
    context.outputWidth = 96;

    for (int32_t frame : {5, 1, 2, 3}) {  // 5 and 1 prime from 4 and 0; 2 is a key frame; 3 follows 2
        CFrameBuffer expected(sync->Allocator()), got(async->Allocator());
        ASSERT_EQ(expected.Alloc(96, 64, KRVX_PIXEL_FORMAT_BGRA), 0);
        ASSERT_EQ(got.Alloc(96, 64, KRVX_PIXEL_FORMAT_BGRA), 0);
        ASSERT_EQ(sync->DecodeFrame(frame, &expected, 1), 0);
        ASSERT_EQ(ReadAndDecodeFrame(context, frame, &got, KRVX_PIXEL_FORMAT_BGRA, 1), 0) << frame;
        EXPECT_EQ(0, std::memcmp(expected.Data(), got.Data(), 64u * static_cast<uint32_t>(expected.Pitch())))
            << frame;
    }
    EXPECT_EQ(pool.Created(), 1u);

    // A buffer sized for another picture is refused before the decoder writes into it.
    CFrameBuffer small(async->Allocator());
    ASSERT_EQ(small.Alloc(48, 32, KRVX_PIXEL_FORMAT_BGRA), 0);
    EXPECT_EQ(ReadAndDecodeFrame(context, 0, &small, KRVX_PIXEL_FORMAT_BGRA, 1), kImDecodeFailed);

    // Cancelled: 27, and the decoder is back in the pool for the next request.
    request.cancelled = true;
    CFrameBuffer buffer(async->Allocator());
    ASSERT_EQ(buffer.Alloc(96, 64, KRVX_PIXEL_FORMAT_BGRA), 0);
    EXPECT_EQ(ReadAndDecodeFrame(context, 4, &buffer, KRVX_PIXEL_FORMAT_BGRA, 1), kImCancelled);
    DecoderPoolEntry entry;
    ASSERT_EQ(pool.SelectDecoder(&entry, 4), 0);
    EXPECT_EQ(pool.Created(), 1u);
    EXPECT_EQ(pool.ReturnDecoder(&entry), 0);
    CFrameBuffer invalid(async->Allocator());
    EXPECT_EQ(ReadAndDecodeFrame(context, 4, &invalid, KRVX_PIXEL_FORMAT_BGRA, 1), kImOtherErr);
}

}  // namespace
