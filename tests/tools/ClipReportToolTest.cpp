// krvx-host's clip reports as a user runs them: audio to WAV, time information, analysis, data rate,
// trim check and trimmed copies, with their exit codes.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "tests/support/TempClip.h"
#include "tests/support/ToolRun.h"

using namespace krvx;
using namespace krvx::testing_support;

namespace {

using Outcome = ToolOutcome;

uint32_t Read32(const std::string& bytes, size_t at) {
    uint32_t value = 0;
    std::memcpy(&value, bytes.data() + at, 4);
    return value;
}

uint16_t Read16(const std::string& bytes, size_t at) {
    uint16_t value = 0;
    std::memcpy(&value, bytes.data() + at, 2);
    return value;
}

class ClipReportToolTest : public ::testing::Test {
protected:
    // A command line as a user types it: words split at spaces, a quoted word kept whole.
    Outcome Run(const std::string& commandLine) {
        std::vector<std::string> words;
        std::string word;
        bool quoted = false, inWord = false;
        for (char c : commandLine) {
            if (c == '"') {
                quoted = !quoted;
                inWord = true;
            } else if (c == ' ' && !quoted) {
                if (inWord) words.push_back(word);
                word.clear();
                inWord = false;
            } else {
                word += c;
                inWord = true;
            }
        }
        if (inWord) words.push_back(word);
        return RunHostTool(words, m_folder.File("out.txt"));
    }
    std::string Quoted(const std::string& path) { return "\"" + path + "\""; }
    TempFolder m_folder;
};

TEST_F(ClipReportToolTest, AudioWritesTheRequestedSpanAsFloatWav) {
    encode::ClipOptions options = SmallClip(32, 18, 3);
    options.audioRate = 48000;
    std::string clip = MakeClip(m_folder, "clip.avi", options);
    std::string wav = m_folder.File("out.wav");
    Outcome outcome =
        Run("audio " + Quoted(clip) + " -o " + Quoted(wav) + " --from 100 --count 3000 --block 777");
    ASSERT_EQ(outcome.exitCode, 0) << outcome.output;
    // Standard error is a file here: no progress bar.
    EXPECT_EQ(outcome.output.find('\r'), std::string::npos);
    std::string bytes = ReadFile(wav);
    ASSERT_GE(bytes.size(), 58u);
    EXPECT_EQ(bytes.substr(0, 4), "RIFF");
    EXPECT_EQ(Read32(bytes, 4), bytes.size() - 8);
    EXPECT_EQ(bytes.substr(8, 8), "WAVEfmt ");
    EXPECT_EQ(Read16(bytes, 20), 3);  // IEEE float
    EXPECT_EQ(Read16(bytes, 22), 2);
    EXPECT_EQ(Read32(bytes, 24), 48000u);
    EXPECT_EQ(Read16(bytes, 34), 32);
    ASSERT_EQ(bytes.substr(50, 4), "data");
    ASSERT_EQ(Read32(bytes, 54), 3000u * 8u);
    ASSERT_EQ(bytes.size(), 58u + 3000u * 8u);
    std::vector<uint8_t> pcm;
    encode::RenderAudio(options, 100, 3000, pcm);
    for (size_t i = 0; i < 3000 * 2; ++i) {
        int16_t sample;
        std::memcpy(&sample, &pcm[i * 2], 2);
        float written;
        std::memcpy(&written, bytes.data() + 58 + i * 4, 4);
        ASSERT_EQ(written, static_cast<float>(sample) / 32767.0f) << i;
    }
}

TEST_F(ClipReportToolTest, AudioUsageErrorsAndClipsWithoutAudio) {
    encode::ClipOptions options = SmallClip();
    std::string clip = MakeClip(m_folder, "clip.avi", options);
    EXPECT_EQ(Run("audio " + Quoted(clip)).exitCode, 2);
    EXPECT_EQ(Run("audio " + Quoted(clip) + " -o x.wav --block 0").exitCode, 2);
    EXPECT_EQ(Run("audio " + Quoted(clip) + " -o x.wav --from ten").exitCode, 2);
    options.audioRate = 0;
    std::string silent = MakeClip(m_folder, "silent.avi", options);
    EXPECT_EQ(Run("audio " + Quoted(silent) + " -o " + Quoted(m_folder.File("x.wav"))).exitCode, 1);
}

TEST_F(ClipReportToolTest, TimeInfoAnalysisDataRateAndTrimCheck) {
    encode::ClipOptions options = SmallClip(32, 18, 9);
    options.metadata = {encode::MetadataItem::Text(KRVX_TRACK_CLIP, "REEL", "A001"),
                        encode::MetadataItem::Text(KRVX_TRACK_CLIP, "TIMC", "01:00:00:00")};
    std::string clip = MakeClip(m_folder, "clip.avi", options);

    Outcome time = Run("timeinfo " + Quoted(clip));
    EXPECT_EQ(time.exitCode, 0);
    EXPECT_NE(time.output.find("timecode:           01:00:00:00\n"), std::string::npos) << time.output;
    EXPECT_NE(time.output.find("alternate reel:     A001\n"), std::string::npos) << time.output;

    Outcome raw = Run("analysis --raw " + Quoted(clip));
    EXPECT_EQ(raw.exitCode, 0);
    EXPECT_EQ(raw.output.substr(0, 40), "\nKorvane Faithful Detail\x99 File details:\n");
    Outcome shown = Run("analysis " + Quoted(clip));
    EXPECT_NE(shown.output.find("Detail\xE2\x84\xA2 File"), std::string::npos) << shown.output;

    std::string png = m_folder.File("chart.png");
    Outcome rate = Run("datarate " + Quoted(clip) + " --png " + Quoted(png));
    EXPECT_EQ(rate.exitCode, 0) << rate.output;
    EXPECT_NE(rate.output.find("9 frames"), std::string::npos) << rate.output;
    EXPECT_EQ(ReadFile(png).substr(1, 3), "PNG");

    Outcome widened = Run("checktrim " + Quoted(clip) + " --in 3 --frames 4");
    EXPECT_EQ(widened.exitCode, 0);
    EXPECT_NE(widened.output.find("answered frames 2..7 (6 frames)"), std::string::npos) << widened.output;
    EXPECT_EQ(Run("checktrim " + Quoted(clip) + " --in 5 --frames 10").exitCode, 1);
    EXPECT_EQ(Run("checktrim " + Quoted(clip) + " --in 5 --frames 0").exitCode, 2);
}

}  // namespace

TEST_F(ClipReportToolTest, TrimWritesTheCopyAndStopsWhereAsked) {
    encode::ClipOptions options = SmallClip(32, 18, 20);
    std::string clip = MakeClip(m_folder, "clip.avi", options);

    // A destination without an extension gets ".avi", and the command says where the copy went.
    const std::string copy = m_folder.File("copy");
    Outcome whole = Run("trim " + Quoted(clip) + " --in 4 --frames 12 -q -o " + Quoted(copy));
    EXPECT_EQ(whole.exitCode, 0) << whole.output;
    EXPECT_NE(whole.output.find("wrote " + copy + ".avi: "), std::string::npos) << whole.output;
    EXPECT_NE(whole.output.find(", 12 progress calls, "), std::string::npos) << whole.output;
    Outcome info = Run("info " + Quoted(copy + ".avi") + " --json");
    EXPECT_EQ(info.exitCode, 0) << info.output;

    const std::string stopped = m_folder.File("stopped.avi");
    Outcome early = Run("trim " + Quoted(clip) + " --stop-after 2 --no-audio -q -o " + Quoted(stopped));
    EXPECT_EQ(early.exitCode, 0) << early.output;
    EXPECT_NE(early.output.find(", 3 progress calls, "), std::string::npos) << early.output;

    EXPECT_EQ(Run("trim " + Quoted(clip) + " --frames 3").exitCode, 2) << "no -o";
    EXPECT_EQ(Run("trim " + Quoted(clip) + " --in -1 -o " + Quoted(copy)).exitCode, 2);
    // Frames past the clip's end cannot be read: the plug-in refuses the copy.
    Outcome past = Run("trim " + Quoted(clip) + " --in 15 --frames 10 -q -o " + Quoted(m_folder.File("past.avi")));
    EXPECT_EQ(past.exitCode, 1);
    EXPECT_NE(past.output.find("result 5"), std::string::npos) << past.output;
}
