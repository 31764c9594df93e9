// krvx-host as a user runs it: exit codes, help, what info and formats print for good and bad files, and
// the host name it presents to the plug-in (on Windows through a renamed copy of itself).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/TempClip.h"
#include "tests/support/ToolRun.h"

using namespace krvx;
using namespace krvx::testing_support;

namespace {

using Outcome = ToolOutcome;

class HostToolTest : public ::testing::Test {
protected:
    Outcome RunTool(const std::vector<std::string>& arguments) {
        return RunHostTool(arguments, m_folder.File("out.txt"));
    }
    TempFolder m_folder;
};

TEST_F(HostToolTest, UsageErrorsExitTwoAndHelpExitsZero) {
    EXPECT_EQ(RunTool({}).exitCode, 2);
    EXPECT_EQ(RunTool({"no-such-command"}).exitCode, 2);
    EXPECT_EQ(RunTool({"--no-such-option", "selectors"}).exitCode, 2);
    EXPECT_EQ(RunTool({"info"}).exitCode, 2);
    EXPECT_EQ(RunTool({"info", "a.avi", "b.avi"}).exitCode, 2);
    EXPECT_EQ(RunTool({"--module"}).exitCode, 2);
    EXPECT_EQ(RunTool({"--host-name"}).exitCode, 2);
    Outcome help = RunTool({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    for (const char* command : {"demo", "selectors", "info", "formats"})
        EXPECT_NE(help.output.find(command), std::string::npos) << command;
    Outcome commandHelp = RunTool({"info", "--help"});
    EXPECT_EQ(commandHelp.exitCode, 0);
    EXPECT_NE(commandHelp.output.find("--json"), std::string::npos);
}

TEST_F(HostToolTest, AModuleThatCannotBeLoadedIsAnError) {
    Outcome outcome = RunTool({"--module", m_folder.File("absent.so"), "selectors"});
    EXPECT_EQ(outcome.exitCode, 1);
    EXPECT_NE(outcome.output.find("cannot load"), std::string::npos) << outcome.output;
}

TEST_F(HostToolTest, InfoJsonDescribesAClipAndReportsRefusals) {
    encode::ClipOptions options = SmallClip(96, 54, 2);
    options.audioRate = 22050;
    std::string clip = MakeClip(m_folder, "clip.avi", options);
    Outcome good = RunTool({"info", "--json", clip});
    EXPECT_EQ(good.exitCode, 0) << good.output;
    for (const char* field :
         {"\"result\": 0", "\"hasVideo\": true", "\"hasAudio\": true", "\"width\": 96", "\"height\": 54",
          "\"subtype\": \"KRVX\"", "\"pixelAspect\": [1, 1]", "\"timeBase\": 25", "\"ticksPerFrame\": 1",
          "\"durationTicks\": 2", "\"audioChannels\": 2", "\"audioRate\": 22050",
          "\"preferredSizes\": [[12, 6], [24, 13], [48, 27], [96, 54]]"})
        EXPECT_NE(good.output.find(field), std::string::npos) << field << " in " << good.output;

    std::string junk = m_folder.File("junk.avi");
    WriteFile(junk, std::string(5000, 'R'));
    Outcome bad = RunTool({"info", "--json", junk});
    EXPECT_EQ(bad.exitCode, 1);
    EXPECT_NE(bad.output.find("\"result\": 2"), std::string::npos) << bad.output;
    EXPECT_EQ(RunTool({"info", m_folder.File("missing.avi")}).exitCode, 1);
}

TEST_F(HostToolTest, FormatsFollowThePresentedHostName) {
    std::string clip = MakeClip(m_folder, "clip.avi", SmallClip());
    Outcome editor = RunTool({"--host-name", "Adobe Premiere Pro.exe", "formats", clip});
    EXPECT_EQ(editor.exitCode, 0) << editor.output;
    EXPECT_EQ(editor.output, "yuy3\nvuya\nVUya\nbgra\nargb\nBGra\nARgb\n");
    Outcome other = RunTool({"--host-name", "editor", "formats", clip});
    EXPECT_EQ(other.exitCode, 0) << other.output;
    EXPECT_EQ(other.output, "Bgra\nBGra\nbgra\n");
    // The command's own answer comes back through the renamed copy, and a name with a folder is refused.
    EXPECT_EQ(RunTool({"--host-name", "editor", "formats", m_folder.File("missing.avi")}).exitCode, 1);
    EXPECT_EQ(RunTool({"--host-name", "folder/editor", "formats", clip}).exitCode, 2);
}

TEST_F(HostToolTest, TheTourPresentsItselfAsTheEditorUnlessNamedOtherwise) {
    std::string clip = MakeClip(m_folder, "clip.avi", SmallClip());
    Outcome tour = RunTool({"demo", "--clip", clip});
    EXPECT_EQ(tour.exitCode, 0) << tour.output;
    EXPECT_NE(tour.output.find("yuy3 vuya VUya bgra argb BGra ARgb (then 301)"), std::string::npos)
        << tour.output;
    EXPECT_NE(tour.output.find("still held by the plug-in: 0, handles: 0"), std::string::npos) << tour.output;
    Outcome other = RunTool({"--host-name", "editor", "demo", "--clip", clip});
    EXPECT_EQ(other.exitCode, 0) << other.output;
    EXPECT_NE(other.output.find("Bgra BGra bgra (then 301)"), std::string::npos) << other.output;
}

}  // namespace

namespace {

TEST_F(HostToolTest, FrameWritesAnUprightPngAndTheRawHostFrame) {
    encode::ClipOptions options = SmallClip(64, 48, 3);
    options.format = encode::kFormatRgb;
    const std::string clip = MakeClip(m_folder, "frame.avi", options);
    const std::string png = m_folder.File("f.png"), raw = m_folder.File("f.bin");
    Outcome done = RunTool(
        {"frame", clip, "--frame", "2", "--format", "bgra", "--size", "32x24", "-o", png, "--raw", raw});
    ASSERT_EQ(done.exitCode, 0) << done.output;
    const std::string pngBytes = ReadFile(png);
    ASSERT_GT(pngBytes.size(), 33u);
    EXPECT_EQ(pngBytes.substr(1, 3), "PNG");
    // IHDR: width and height, big-endian, 8-bit RGBA.
    EXPECT_EQ(static_cast<uint8_t>(pngBytes[19]), 32);
    EXPECT_EQ(static_cast<uint8_t>(pngBytes[23]), 24);
    EXPECT_EQ(pngBytes[25], 6);
    EXPECT_EQ(ReadFile(raw).size(), 32u * 24u * 4u);

    EXPECT_EQ(RunTool({"frame", clip, "--frame", "9"}).exitCode, 1);  // past the last frame
    EXPECT_EQ(RunTool({"frame", clip}).exitCode, 2);
    EXPECT_EQ(RunTool({"frame", clip, "--frame", "0", "--size", "0x10"}).exitCode, 2);
    EXPECT_EQ(RunTool({"frame", clip, "--frame", "0", "--format", "bgr"}).exitCode, 2);
}

TEST_F(HostToolTest, PlayReportsEveryFrameAndTheSplitOfItsTime) {
    const std::string clip = MakeClip(m_folder, "play.avi", SmallClip(64, 48, 6));
    Outcome played = RunTool({"play", clip, "--format", "yuy3", "--json"});
    ASSERT_EQ(played.exitCode, 0) << played.output;
    for (const char* key : {"\"frames\": 6", "\"seconds\": ", "\"fps\": ", "\"readDecodeMs\": ",
                            "\"convertMs\": ", "\"otherMs\": "})
        EXPECT_NE(played.output.find(key), std::string::npos) << key << " in " << played.output;
    Outcome some = RunTool({"play", clip, "--frames", "2", "--size", "32x24"});
    EXPECT_EQ(some.exitCode, 0);
    EXPECT_NE(some.output.find("2 frames of 32x24"), std::string::npos) << some.output;
    EXPECT_EQ(RunTool({"play", clip, "--frames", "0"}).exitCode, 2);
}

}  // namespace
