// Opening clips through the module as the host does: what it accepts, what it refuses, and how it
// describes what it opened.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/PrPixelFormat.h"
#include "host/Selectors.h"
#include "platform/system.h"
#include "tests/support/ModuleTest.h"
#include "tests/support/TempClip.h"
#include "tools/krvx-host/ClipQueries.h"

using namespace krvx;
using namespace krvx::sim;
using namespace krvx::testing_support;

namespace {

class OpenClipTest : public ModuleTest {
protected:
    void TearDown() override {
        // Every clip a test opened is closed again, and the host got every block and handle back.
        EXPECT_EQ(s_session->Host().LiveHandles(), 0u);
        EXPECT_EQ(s_session->Host().LiveBlocks(), 0u);
        // Every suite an importer acquired went back.
        for (const char* suite : {"Premiere PPix Creator Suite", "Premiere PPix Cache Suite", "Premiere PPix Suite",
                                  "Premiere Time Suite", "Premiere Memory Manager Suite"})
            EXPECT_EQ(s_session->Host().Acquired(suite), s_session->Host().Released(suite)) << suite;
    }

    // Opens, describes and closes a clip; the description of what opened.
    static FileInfoRecord Describe(const std::string& path, int32_t* result) {
        OpenClip clip(*s_session, path);
        *result = clip.Open();
        return clip.Info();
    }

    TempFolder m_folder;
};

TEST_F(OpenClipTest, DescribesAClipFromItsHeadersAndFirstSample) {
    encode::ClipOptions options = SmallClip(320, 180, 4);
    options.rate = 2997;
    options.scale = 125;
    options.audioRate = 48000;
    options.format = encode::kFormatRgba;
    std::string path = MakeClip(m_folder, "rgba.avi", options);
    OpenClip clip(*s_session, path);
    ASSERT_EQ(clip.Open(1234), 0);
    const FileInfoRecord& info = clip.Info();
    EXPECT_EQ(+info.hasVideo, 1);
    EXPECT_EQ(+info.hasAudio, 1);
    EXPECT_EQ(+info.width, 320);
    EXPECT_EQ(+info.height, 180);
    EXPECT_EQ(+info.bitsPerPixel, 32);
    EXPECT_EQ(FourChars(static_cast<uint32_t>(info.subtype)), "KRVX");
    EXPECT_EQ(+info.alphaCode, 1);
    EXPECT_EQ(+info.fieldType, 0);
    EXPECT_EQ(+info.pixelAspectNumerator, 1);
    EXPECT_EQ(+info.pixelAspectDenominator, 1);
    EXPECT_EQ(+info.timeBase, 24000);
    EXPECT_EQ(+info.ticksPerFrame, 1001);
    EXPECT_EQ(+info.durationTicks, 4 * 1001);
    EXPECT_EQ(+info.audioChannels, 2);
    EXPECT_EQ(+info.audioSampleRate, 48000.0f);
    EXPECT_EQ(+info.audioSampleType, 8);
    // 4 frames at 2997/125 fps of 48 kHz audio, as the stream header says.
    EXPECT_GT(+info.audioDurationFrames, 0);
    EXPECT_EQ(+info.offset54, 1);
    EXPECT_EQ(+info.offset206, 1);
    EXPECT_EQ(+info.accessValue, 4);
    // The host's memory is reserved for the importer identifier it gave.
    std::vector<std::pair<int32_t, uint32_t>> reservations = s_session->Host().Reservations();
    ASSERT_FALSE(reservations.empty());
    EXPECT_EQ(reservations.back(), std::make_pair(1234, 500000000u));
}

TEST_F(OpenClipTest, YuvClipWithoutAlphaAndThe1440AspectRule) {
    encode::ClipOptions options = SmallClip(1440, 1080, 1);
    options.audioRate = 0;
    int32_t result;
    FileInfoRecord info = Describe(MakeClip(m_folder, "hdv.avi", options), &result);
    ASSERT_EQ(result, 0);
    EXPECT_EQ(+info.hasAudio, 0);
    EXPECT_EQ(+info.alphaCode, 5);
    EXPECT_EQ(+info.pixelAspectNumerator, 4);
    EXPECT_EQ(+info.pixelAspectDenominator, 3);
    EXPECT_EQ(+info.timeBase, 25);
    EXPECT_EQ(+info.ticksPerFrame, 1);
}

TEST_F(OpenClipTest, FieldTypeFollowsTheSampleAndTheFrameGeometry) {
    struct Case {
        uint32_t width, height, rate, scale, field;
        uint8_t expected;
    };
    const Case cases[] = {
        {1920, 1080, 25, 1, KRVX_FIELD_UNKNOWN, 3},     {1920, 1080, 2997, 125, KRVX_FIELD_UNKNOWN, 0},
        {1920, 1080, 50, 1, KRVX_FIELD_UNKNOWN, 0},     {1280, 720, 25, 1, KRVX_FIELD_UPPER_FIRST, 0},
        {720, 486, 2997, 100, KRVX_FIELD_UNKNOWN, 3},   {640, 360, 25, 1, KRVX_FIELD_UNKNOWN, 0},
        {720, 576, 25, 1, KRVX_FIELD_LOWER_FIRST, 2},   {720, 576, 25, 1, KRVX_FIELD_UPPER_FIRST, 1},
    };
    for (const Case& c : cases) {
        encode::ClipOptions options = SmallClip(c.width, c.height, 1);
        options.rate = c.rate;
        options.scale = c.scale;
        options.fieldValue = c.field;
        options.audioRate = 0;
        int32_t result;
        FileInfoRecord info = Describe(MakeClip(m_folder, "field.avi", options), &result);
        ASSERT_EQ(result, 0);
        EXPECT_EQ(+info.fieldType, c.expected) << c.width << "x" << c.height << " at " << c.rate << "/" << c.scale
                                              << " field " << c.field;
    }
}

TEST_F(OpenClipTest, HandlerCodeInAnyCaseAndByteOrderOpensAndOtherCodesAreRefused) {
    encode::ClipOptions options = SmallClip();
    const char* accepted[] = {"krvx", "KrVx", "XVRK", "xvrk"};
    for (const char* code : accepted) {
        std::string path = MakeClip(m_folder, std::string("h-") + code + ".avi", options);
        ASSERT_GE(PatchFourCC(path, "KRVX", code), 1);
        int32_t result;
        FileInfoRecord info = Describe(path, &result);
        EXPECT_EQ(result, 0) << code;
        EXPECT_EQ(FourChars(static_cast<uint32_t>(info.subtype)), code);
    }
    std::string other = MakeClip(m_folder, "other.avi", options);
    ASSERT_GE(PatchFourCC(other, "KRVX", "MJPG"), 1);
    int32_t result;
    Describe(other, &result);
    EXPECT_EQ(result, 2);
}

TEST_F(OpenClipTest, FilesThatAreNotClipsAreRefusedWithBadFile) {
    std::string text = m_folder.File("notes.avi");
    WriteFile(text, "these are not the bytes of a RIFF file at all, just words");
    std::string empty = m_folder.File("empty.avi");
    WriteFile(empty, "");
    for (const std::string& path : {text, empty, m_folder.File("missing.avi")}) {
        int32_t result;
        Describe(path, &result);
        EXPECT_EQ(result, 2) << path;
    }
}

TEST_F(OpenClipTest, OpenRefusesOtherFileTypesAndAnswersTheAccessFieldWithUnsupported) {
    std::string path = MakeClip(m_folder, "clip.avi", SmallClip());
    std::u16string wide = ToUtf16(path);
    FileOpenRecord record{};
    record.fileType = 0x4D4F4F56;  // "MOOV"
    record.path = wide.c_str();
    EXPECT_EQ(s_session->Call(imOpenFile8, nullptr, &record), 2);
    EXPECT_EQ(record.privateData, nullptr);

    record.fileType = 0x56495641;  // "AVIV" byte-reversed is accepted
    record.access = 1;
    EXPECT_EQ(s_session->Call(imOpenFile8, nullptr, &record), 3);
    ASSERT_NE(record.privateData, nullptr);
    EXPECT_EQ(s_session->Call(imCloseFile, nullptr, record.privateData), 0);

    FileOpenRecord good{};
    good.fileType = kFileTypeAVIV;
    good.path = wide.c_str();
    good.fileReference = 99;
    int32_t fileReference = 77;
    EXPECT_EQ(s_session->Call(imOpenFile8, &fileReference, &good), 0);
    EXPECT_EQ(fileReference, 0);
    EXPECT_EQ(good.fileReference, 0);
    std::vector<std::string> lines = s_session->TakeDebugLines();
    bool announced = false;
    for (const std::string& line : lines)
        announced = announced || line.rfind("************************** File Opened with Importer: 0x", 0) == 0;
    EXPECT_TRUE(announced);
    EXPECT_EQ(s_session->Call(imCloseFile, nullptr, good.privateData), 0);
}

TEST_F(OpenClipTest, PreferredSizesStartSmallerForRgbThanForYuv) {
    encode::ClipOptions options = SmallClip(1920, 1080, 1);
    options.audioRate = 0;
    OpenClip clip(*s_session, MakeClip(m_folder, "hd.avi", options));
    ASSERT_EQ(clip.Open(), 0);
    using Sizes = std::vector<std::pair<int32_t, int32_t>>;
    EXPECT_EQ(clip.PreferredSizes(PrPixelFormat_BGRA_4444_8u),
              (Sizes{{240, 135}, {480, 270}, {960, 540}, {1920, 1080}}));
    Sizes yuv = {{480, 270}, {480, 270}, {960, 540}, {1920, 1080}};
    EXPECT_EQ(clip.PreferredSizes(PrPixelFormat_VUYA_4444_8u), yuv);
    EXPECT_EQ(clip.PreferredSizes(PrPixelFormat_YUYV_422_8u_709), yuv);
    EXPECT_EQ(clip.PreferredSizes(PrPixelFormat_VUYA_4444_32f), yuv);
}

TEST_F(OpenClipTest, PixelFormatOrderDependsOnTheHostAndTheCoding) {
    encode::ClipOptions yuvOptions = SmallClip();
    encode::ClipOptions alphaOptions = SmallClip();
    alphaOptions.format = encode::kFormatRgba;
    std::string yuvPath = MakeClip(m_folder, "yuv.avi", yuvOptions);
    std::string alphaPath = MakeClip(m_folder, "alpha.avi", alphaOptions);
    auto formatsOf = [](const std::string& path) {
        OpenClip clip(*s_session, path);
        EXPECT_EQ(clip.Open(), 0);
        int32_t closing = 0;
        std::string list;
        for (uint32_t format : clip.PixelFormats(&closing)) list += FourChars(format) + " ";
        EXPECT_EQ(closing, 301);
        return list;
    };
#if defined(_WIN32)
    // The test program's own name is not the host's: the other-host order.
    EXPECT_EQ(formatsOf(yuvPath), "Bgra BGra bgra ");
#else
    platform::SetEnvironmentValue("KRVX_HOST_NAME", "Adobe Premiere Pro.exe");
    EXPECT_EQ(formatsOf(yuvPath), "yuy3 vuya VUya bgra argb BGra ARgb ");
    EXPECT_EQ(formatsOf(alphaPath), "bgra argb BGra ARgb VUya ");
    platform::SetEnvironmentValue("KRVX_HOST_NAME", "Some Other Editor.exe");
    EXPECT_EQ(formatsOf(yuvPath), "Bgra BGra bgra ");
    EXPECT_EQ(formatsOf(alphaPath), "Bgra BGra bgra ");
#endif
    // Without an importer in the handle the host is told its request is bad.
    PixelFormatRecord empty{};
    EXPECT_EQ(s_session->Call(imGetIndPixelFormat, static_cast<intptr_t>(0), reinterpret_cast<intptr_t>(&empty)), 5);
}

TEST_F(OpenClipTest, AHostThatCannotAllocateTheHandleGetsMemoryErrors) {
    std::string path = MakeClip(m_folder, "clip.avi", SmallClip());
    std::u16string wide = ToUtf16(path);
    FileOpenRecord open{};
    open.fileType = kFileTypeAVIV;
    open.path = wide.c_str();
    s_session->Host().FailAllocationNumber(1);
    EXPECT_EQ(s_session->Call(imOpenFile8, nullptr, &open), 4);
    EXPECT_EQ(open.privateData, nullptr);

    FileAccessRecord access{};
    access.path = wide.c_str();
    FileInfoRecord info{};
    s_session->Host().FailAllocationNumber(1);
    EXPECT_EQ(s_session->Call(imGetInfo8, &access, &info), 4);
    EXPECT_EQ(+info.privateData, nullptr);

    // The subtype list is simply not given when its block cannot be had.
    void* array = nullptr;
    s_session->Host().FailAllocationNumber(1);
    EXPECT_EQ(s_session->Call(imGetSubTypeNames, static_cast<intptr_t>(kFileTypeAVIV), reinterpret_cast<intptr_t>(&array)),
              0);
    EXPECT_EQ(array, nullptr);
    s_session->Host().FailAllocationNumber(0);
}

TEST_F(OpenClipTest, InfoOnAnEmptyHandleDescribesNothingAndKeepsTheImporter) {
    FileAccessRecord access{};
    FileInfoRecord info{};
    info.hasVideo = 9;
    EXPECT_EQ(s_session->Call(imGetInfo8, &access, &info), 0);
    EXPECT_EQ(+info.hasVideo, 0);
    EXPECT_EQ(+info.hasAudio, 0);
    EXPECT_EQ(+info.offset206, 1);
    ASSERT_NE(+info.privateData, nullptr);
    EXPECT_EQ(s_session->Call(imCloseFile, nullptr, info.privateData), 0);
}

TEST_F(OpenClipTest, OpenAndCloseCyclesLeaveNoLeakReport) {
    std::string path = MakeClip(m_folder, "cycle.avi", SmallClip());
    for (int cycle = 0; cycle < 3; ++cycle) {
        int32_t result;
        Describe(path, &result);
        ASSERT_EQ(result, 0);
    }
    std::vector<std::string> lines = s_session->TakeDebugLines();
    int destroyed = 0;
    for (const std::string& line : lines) {
        EXPECT_EQ(line.find("leaked block"), std::string::npos) << line;
        if (line.find("AVIFileImporter Destroyed") != std::string::npos) ++destroyed;
    }
    EXPECT_EQ(destroyed, 3);
}

}  // namespace
