// Running other programs, copying program files and temporary folders: what the harness leans on to run a
// copy of itself under another name.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/file.h"
#include "platform/folder.h"
#include "platform/process.h"
#include "platform/system.h"

using namespace krvx::platform;

namespace {

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A program's text output with Windows line ends read as plain ones.
std::string ReadText(const std::string& path) {
    std::string text = ReadAll(path);
    text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
    return text;
}

// The child program beside this test program, with this program's file-name extension (".exe" on Windows).
std::string ChildProgram() {
    char self[1024];
    if (!ExecutablePath(self, sizeof(self))) return "";
    std::string path = self;
    size_t folderEnd = path.find_last_of("/\\") + 1;
    size_t dot = path.rfind('.');
    std::string extension = dot != std::string::npos && dot > folderEnd ? path.substr(dot) : "";
    return path.substr(0, folderEnd) + "platform_test_child" + extension;
}

int RunInto(const std::string& program, const std::vector<std::string>& arguments,
            const std::string& output) {
    std::vector<const char*> pointers;
    for (const std::string& argument : arguments) pointers.push_back(argument.c_str());
    return RunProcess(program.c_str(), pointers.data(), pointers.size(), output.c_str());
}

class ProcessTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_folder.Made()); }
    std::string File(const std::string& name) const { return std::string(m_folder.Path()) + name; }

    TemporaryFolder m_folder{"krvx-process-test-"};
};

TEST_F(ProcessTest, EveryArgumentArrivesWholeAndTheExitCodeComesBack) {
    // Blanks, quotes, empty arguments and backslashes before quotes are where command lines get split wrong.
    const std::vector<std::string> arguments = {
        "3", "two words", "", "quote\"inside", "trailing\\", "C:\\a folder\\", "back\\\\\"slash", "\tlead"};
    std::string output = File("out.txt");
    EXPECT_EQ(RunInto(ChildProgram(), arguments, output), 3);
    std::string expected = "name [" + ChildProgram().substr(ChildProgram().find_last_of("/\\") + 1) + "]\n";
    for (const std::string& argument : arguments) expected += "argument [" + argument + "]\n";
    expected += "standard error\n";
    EXPECT_EQ(ReadText(output), expected);
    EXPECT_EQ(RunInto(ChildProgram(), {"0"}, output), 0);
    EXPECT_EQ(RunInto(ChildProgram(), {"250"}, output), 250);
}

TEST_F(ProcessTest, ACopiedProgramRunsUnderTheNameOfItsCopy) {
    std::string program = ChildProgram();
    std::string copy = File("Some Editor 2.exe");
    ASSERT_TRUE(FileCopy(program.c_str(), copy.c_str()));
    std::string output = File("out.txt");
    EXPECT_EQ(RunInto(copy, {"5"}, output), 5);
    EXPECT_EQ(ReadText(output).rfind("name [Some Editor 2.exe]\n", 0), 0u) << ReadText(output);
}

TEST_F(ProcessTest, AProgramThatIsNotThereDoesNotStart) {
    EXPECT_EQ(RunInto(File("absent.exe"), {}, File("out.txt")), -1);
    EXPECT_EQ(RunProcess(nullptr, nullptr, 0, nullptr), -1);
}

TEST_F(ProcessTest, ACopyHoldsEveryByteAndReplacesTheTarget) {
    // Longer than one copy buffer, and every byte value.
    std::string bytes;
    for (size_t i = 0; i < 200000; ++i) bytes += static_cast<char>((i * 131) >> 3);
    std::string source = File("source.bin");
    std::ofstream(source, std::ios::binary) << bytes;
    std::string target = File("target.bin");
    std::ofstream(target, std::ios::binary) << std::string(300000, 'x');
    ASSERT_TRUE(FileCopy(source.c_str(), target.c_str()));
    EXPECT_EQ(ReadAll(target), bytes);
    EXPECT_FALSE(FileCopy(File("missing.bin").c_str(), File("other.bin").c_str()));
}

TEST(TemporaryFolderTest, EachIsNewAndGoesWithEverythingInIt) {
    std::string kept;
    {
        TemporaryFolder first("krvx-folder-test-");
        TemporaryFolder second("krvx-folder-test-");
        ASSERT_TRUE(first.Made());
        ASSERT_TRUE(second.Made());
        EXPECT_STRNE(first.Path(), second.Path());
        kept = first.Path();
        std::filesystem::create_directories(kept + "inner/deeper");
        std::ofstream(kept + "file.txt") << "a";
        std::ofstream(kept + "inner/deeper/file.txt") << "b";
        EXPECT_TRUE(std::filesystem::exists(kept + "inner/deeper/file.txt"));
    }
    EXPECT_FALSE(std::filesystem::exists(kept));
}

}  // namespace
