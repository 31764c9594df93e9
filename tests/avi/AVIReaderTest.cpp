#include <gtest/gtest.h>

#include <cstring>

#include "AVIParts.h"
#include "TestSupport.h"
#include "avi/FourCC.h"

namespace krvx {
namespace test {
namespace {

TEST(AVIReaderOpen, WellFormedClip) {
    TempDir dir;
    AVIReader reader;
    ASSERT_EQ(OpenBytes(dir, BuildClip(ClipOptions()), reader), dshow::kOk);
    EXPECT_EQ(reader.MainHeader().width, 64u);
    EXPECT_EQ(reader.TotalFrames(), 12u);
    EXPECT_STREQ(reader.Path(), dir.File("clip.avi").c_str());
    ASSERT_TRUE(reader.Video().IsValid() && reader.Audio().IsValid());
    EXPECT_EQ(reader.Video().GetHandler(), MakeFourCC('K', 'R', 'V', 'X'));
    EXPECT_EQ(reader.Video().BitmapHeader().height, 48);
    EXPECT_EQ(reader.Audio().Format().samplesPerSecond, 48000u);
    EXPECT_EQ(reader.Audio().Header().sampleSize, 4u);
    EXPECT_EQ(reader.Video().OldIndex().Count() + reader.Audio().OldIndex().Count(), 24u);
    reader.Reset();
    EXPECT_FALSE(reader.Video().IsValid());
    EXPECT_EQ(reader.ParseFile(), nullptr);
}

// Odd sizes, "JUNK", entered lists, unknown stream types, long and short headers are all taken.
TEST(AVIReaderOpen, TolerantWalk) {
    TempDir dir;
    auto hdrl = [](bool dmlh) {
        return [dmlh](RiffWriter& w) {
            Avih(w, 12000, 64);
            uint64_t info = w.BeginList("LIST", "INFO");
            w.Chunk("ISFT", "tool", 4);
            w.End(info);
            w.Chunk("JUNK", "\0\0\0\0\0\0", 6);
            Strl(w, "txts");
            Strl(w, "vids", 12, [](RiffWriter& s) {
                s.Chunk("strn", "seven!!", 7);
                uint64_t at = s.BeginChunk("indx");
                s.U16(4);
                s.U16(0);
                s.U32(1000);  // claims far more entries than it holds
                s.Id("00dc");
                for (int i = 0; i < 3 + 2 * 4; ++i) s.U32(0);
                s.End(at);
            });
            if (dmlh) {
                uint64_t odml = w.BeginList("LIST", "odml");
                uint64_t at = w.BeginChunk("dmlh");
                w.U32(54000);
                w.Skip(252);
                w.End(at);
                w.End(odml);
            }
        };
    };
    AVIReader reader;
    ASSERT_EQ(OpenBytes(dir, AVIFileBytes(hdrl(true)), reader), dshow::kOk);
    EXPECT_EQ(reader.TotalFrames(), 54000u);
    EXPECT_EQ(reader.MainHeader().totalFrames, 12000u);
    EXPECT_EQ(reader.MainHeader().reserved[3], 1013u);  // bytes 52..55; 56..63 are not kept
    EXPECT_EQ(reader.ExtendedHeaderRecord().chunkSize, 256u);
    // The short "strf" fills the bitmap header's first 12 bytes; the rest is zero.
    EXPECT_EQ(reader.Video().BitmapHeader().size, 40u);
    EXPECT_EQ(reader.Video().BitmapHeader().height, 7);
    EXPECT_EQ(reader.Video().BitmapHeader().compression, 0u);
    EXPECT_EQ(reader.Video().SuperIndex().EntriesInUse(), 2u);  // found after the padded "strn"
    EXPECT_FALSE(reader.Audio().IsValid());

    AVIReader plain;
    ASSERT_EQ(OpenBytes(dir, AVIFileBytes(hdrl(false)), plain, "plain.avi"), dshow::kOk);
    EXPECT_EQ(plain.TotalFrames(), 12000u);
}

// A stream list's walk reads chunks while it is inside the list: a last chunk that runs past the list's
// end is read whole (it lies in the file) and ends the list, and the main walk goes on behind it.
TEST(AVIReaderOpen, AChunkRunningPastItsStreamListEndsTheList) {
    TempDir dir;
    // The video list declared 6 bytes short, its "strn" overhanging; the audio list follows.
    std::vector<uint8_t> shortList = AVIFileBytes([](RiffWriter& w) {
        Avih(w, 1);
        uint64_t at = w.Tell();
        Strl(w, "vids", 40, [](RiffWriter& s) { s.Chunk("strn", "the video stream", 16); });
        w.PatchU32(at + 4, static_cast<uint32_t>(w.Tell() - at - 8 - 6));
        Strl(w, "auds", 16);
    });
    AVIReader reader;
    ASSERT_EQ(OpenBytes(dir, shortList, reader, "short.avi"), dshow::kOk);
    EXPECT_EQ(reader.Video().GetHandler(), MakeFourCC('K', 'R', 'V', 'X'));
    EXPECT_TRUE(reader.Audio().IsValid());
    EXPECT_EQ(reader.Video().OldIndex().Count(), 1u);

    // A chunk that claims the audio list behind it as its own data takes it along: the walk goes on
    // after the chunk, and the audio stream is never seen.
    std::vector<uint8_t> swallowing = AVIFileBytes([](RiffWriter& w) {
        Avih(w, 1);
        Strl(w, "vids", 40, [](RiffWriter& s) {
            s.Id("strd");
            s.U32(100);  // the size of the audio list below
        });
        Strl(w, "auds", 16);
    });
    AVIReader hidden;
    ASSERT_EQ(OpenBytes(dir, swallowing, hidden, "swallowing.avi"), dshow::kOk);
    EXPECT_TRUE(hidden.Video().IsValid());
    EXPECT_FALSE(hidden.Audio().IsValid());
}

TEST(AVIReaderOpen, RefusesMalformedFiles) {
    TempDir dir;
    auto hdrlWith = [](const Part& strl) {
        return [strl](RiffWriter& w) {
            Avih(w, 1);
            strl(w);
        };
    };
    auto rawStrl = [](const Part& body) {
        return [body](RiffWriter& w) {
            uint64_t at = w.BeginList("LIST", "strl");
            body(w);
            w.End(at);
        };
    };
    struct Case {
        const char* name;
        std::vector<uint8_t> bytes;
    };
    std::vector<Case> cases;
    std::vector<uint8_t> good = AVIFileBytes();
    auto patched = [&good](size_t at, const char* four) {
        std::vector<uint8_t> bytes = good;
        std::memcpy(&bytes[at], four, 4);
        return bytes;
    };
    cases.push_back({"not RIFF", patched(0, "RIFX")});
    cases.push_back({"continuation form", patched(8, "AVIX")});
    cases.push_back({"JUNK before strh", AVIFileBytes(hdrlWith(rawStrl([](RiffWriter& w) {
                         w.Chunk("JUNK", "1234", 4);
                         Strh(w, "vids");
                     })))});
    cases.push_back({"no strf", AVIFileBytes(hdrlWith(rawStrl([](RiffWriter& w) {
                         Strh(w, "vids");
                         w.Chunk("strd", "1234", 4);
                     })))});
    cases.push_back({"empty video strf", AVIFileBytes(hdrlWith([](RiffWriter& w) { Strl(w, "vids", 0); }))});
    cases.push_back({"empty audio strf", AVIFileBytes(hdrlWith([](RiffWriter& w) { Strl(w, "auds", 0); }))});
    cases.push_back({"short indx", AVIFileBytes(hdrlWith([](RiffWriter& w) {
                         Strl(w, "vids", 40, [](RiffWriter& s) { s.Chunk("indx", "01234567", 8); });
                     }))});
    cases.push_back({"no avih", AVIFileBytes([](RiffWriter& w) { Strl(w, "vids"); })});
    cases.push_back({"JUNK before idx1", AVIFileBytes({}, {}, {}, {}, false)});
    cases.back().bytes.insert(cases.back().bytes.end(),
                              {'J', 'U', 'N', 'K', 0, 0, 0, 0, 'i', 'd', 'x', '1', 0, 0, 0, 0});
    cases.push_back({"no idx1", AVIFileBytes({}, {}, {}, {}, false)});
    // A chunk that claims 4 GiB, an index larger than the file, a list running past the end.
    cases.push_back({"huge chunk", AVIFileBytes(hdrlWith([](RiffWriter& w) {
                         Strl(w, "vids", 40, [](RiffWriter& s) {
                             s.Id("strd");
                             s.U32(0xFFFFFFF0u);
                         });
                     }))});
    std::vector<uint8_t> bigIndex = good;
    bigIndex[bigIndex.size() - 17] = 0xFF;  // high byte of the idx1 size
    cases.push_back({"idx1 past the end", bigIndex});
    cases.push_back({"stream list past the end", AVIFileBytes(hdrlWith([](RiffWriter& w) {
                         uint64_t at = w.Tell();
                         Strl(w, "vids");
                         w.PatchU32(at + 4, 5000);
                     }))});
    cases.push_back({"ends inside hdrl", std::vector<uint8_t>(good.begin(), good.begin() + 60)});

    for (size_t i = 0; i < cases.size(); ++i) {
        AVIReader reader;
        EXPECT_EQ(OpenBytes(dir, cases[i].bytes, reader, ("bad" + std::to_string(i) + ".avi").c_str()),
                  dshow::kFail)
            << cases[i].name;
    }
    AVIReader reader;
    EXPECT_EQ(reader.Open(dir.File("missing.avi").c_str()), dshow::kFail);
    EXPECT_EQ(reader.Open(nullptr), dshow::kFail);
    EXPECT_EQ(reader.Open(std::string(300, 'a').c_str()), dshow::kFail);

    // Files without a video or an audio stream open; the missing stream stays invalid.
    ASSERT_EQ(OpenBytes(dir, AVIFileBytes([](RiffWriter& w) { Avih(w, 1); }), reader, "nostreams.avi"),
              dshow::kOk);
    EXPECT_FALSE(reader.Video().IsValid());
    EXPECT_FALSE(reader.Audio().IsValid());
}

}  // namespace
}  // namespace test
}  // namespace krvx
