// The per-file importer in-process: opening twice, the long-path prefix, host times to frames.
#include <gtest/gtest.h>

#include <string>

#include "host/HostResults.h"
#include "importer/CAVIFileImporter.h"
#include "tests/support/TempClip.h"
#include "tools/krvx-host/ClipQueries.h"
#include "tools/krvx-host/HostSim.h"

using namespace krvx;
using namespace krvx::testing_support;

namespace {

class ImporterTest : public ::testing::Test {
protected:
    std::u16string Path(const std::string& name, const encode::ClipOptions& options) {
        return sim::ToUtf16(MakeClip(m_folder, name, options));
    }
    TempFolder m_folder;
    sim::HostSim m_host;
};

TEST_F(ImporterTest, OpeningAnOpenImporterChangesNothing) {
    CAVIFileImporter importer(m_host.StdParms());
    std::u16string first = Path("a.avi", SmallClip(64, 36));
    std::u16string second = Path("b.avi", SmallClip(96, 54));
    ASSERT_EQ(importer.Open(first.c_str()), 0);
    AVIReader* reader = importer.Reader();
    EXPECT_EQ(importer.Open(second.c_str()), 0);
    EXPECT_EQ(importer.Reader(), reader);
    EXPECT_EQ(std::u16string(importer.Path()), first);
    FrameInfo info{};
    ASSERT_EQ(importer.GetFrameInfo(&info), 0);
    EXPECT_EQ(info.width, 64);
    // Closed, it opens again with the decoder it already has.
    SampleDecoder* decoder = importer.Decoder();
    importer.Close();
    EXPECT_EQ(importer.Reader(), nullptr);
    EXPECT_EQ(importer.GetFrameInfo(&info), kImOtherErr);
    ASSERT_EQ(importer.Open(second.c_str()), 0);
    EXPECT_EQ(importer.Decoder(), decoder);
    ASSERT_EQ(importer.GetFrameInfo(&info), 0);
    EXPECT_EQ(info.width, 96);
}

TEST_F(ImporterTest, TheLongPathPrefixOpensTheSameFile) {
    std::string path = MakeClip(m_folder, "long.avi", SmallClip(80, 48));
    CAVIFileImporter plain(m_host.StdParms());
    CAVIFileImporter prefixed(m_host.StdParms());
    ASSERT_EQ(plain.Open(sim::ToUtf16(path).c_str()), 0);
    std::string native = path;
#if defined(_WIN32)
    // Behind the prefix the system takes the path as it stands, separators included.
    for (char& c : native)
        if (c == '/') c = '\\';
#endif
    ASSERT_EQ(prefixed.Open(sim::ToUtf16("\\\\?\\" + native).c_str()), 0);
    EXPECT_EQ(prefixed.SectorSize(), plain.SectorSize());
    FrameInfo info{};
    ASSERT_EQ(prefixed.GetFrameInfo(&info), 0);
    EXPECT_EQ(info.width, 80);
}

TEST_F(ImporterTest, APathLongerThanTheMemberIsRefusedWithoutAReader) {
    CAVIFileImporter importer(m_host.StdParms());
    std::u16string longPath(300, u'a');
    EXPECT_EQ(importer.Open(longPath.c_str()), kImBadFile);
    EXPECT_EQ(importer.Reader(), nullptr);
    EXPECT_FALSE(importer.IsOpen());
}

TEST_F(ImporterTest, HostTimesRoundToTheNearestFrame) {
    encode::ClipOptions options = SmallClip();
    options.rate = 30000;
    options.scale = 1001;
    CAVIFileImporter importer(m_host.StdParms());
    std::u16string path = Path("ntsc.avi", options);
    ASSERT_EQ(importer.Open(path.c_str()), 0);
    const int64_t ticksPerFrame = kHostTicksPerSecond / 30000 * 1001;
    EXPECT_EQ(importer.TimeToFrame(0), 0);
    EXPECT_EQ(importer.TimeToFrame(ticksPerFrame), 1);
    EXPECT_EQ(importer.TimeToFrame(ticksPerFrame * 100), 100);
    // Just under and just past halfway between frames 2 and 3.
    EXPECT_EQ(importer.TimeToFrame(ticksPerFrame * 5 / 2 - ticksPerFrame / 10), 2);
    EXPECT_EQ(importer.TimeToFrame(ticksPerFrame * 5 / 2 + ticksPerFrame / 10), 3);
}

TEST_F(ImporterTest, SampleInformationComesFromTheFirstSample) {
    encode::ClipOptions options = SmallClip();
    options.format = encode::kFormatRgb;
    options.fieldValue = KRVX_FIELD_LOWER_FIRST;
    CAVIFileImporter importer(m_host.StdParms());
    std::u16string path = Path("rgb.avi", options);
    ASSERT_EQ(importer.Open(path.c_str()), 0);
    EXPECT_EQ(importer.EncodedFormat(), static_cast<uint32_t>(KRVX_ENCODED_RGB444_12));
    EXPECT_EQ(importer.ReadSampleInfo(), 0);
    EXPECT_EQ(importer.SampleInfo().fieldValue, static_cast<uint32_t>(KRVX_FIELD_LOWER_FIRST));
    // The sample's memory goes back after the inspection.
    EXPECT_EQ(importer.SampleBuffer().Data(), nullptr);
}

}  // namespace
