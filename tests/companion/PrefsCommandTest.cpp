// krvx-host prefs drives the settings selector through the module's export, as the host does.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/store.h"
#include "platform/system.h"
#include "tests/support/TempClip.h"

namespace krvx {
namespace {

using platform::StoreHive;
using testing_support::TempFolder;

const char kUserKey[] = "SOFTWARE\\Bravik\\KorvaneStudio";
const char kVendorKey[] = "SOFTWARE\\Bravik";

std::string JsonEscaped(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '"' || c == '\\') out += '\\';
        out += c;
    }
    return out;
}

class PrefsCommandTest : public ::testing::Test {
protected:
    void SetUp() override {
        platform::SetEnvironmentValue("KRVX_REGISTRY_DIR", m_store.Path().c_str());
        platform::StoreDeleteKey(StoreHive::CurrentUser, kUserKey);
        m_madeVendorKey = !platform::StoreCheckKeyLevels(StoreHive::CurrentUser, kVendorKey, false);
        ASSERT_TRUE(platform::StoreWriteDword(StoreHive::CurrentUser, kVendorKey, "TestVendor", 1));
        m_clip = std::filesystem::absolute(m_folder.File("clip.avi")).make_preferred().string();
        testing_support::WriteFile(m_clip, "RIFF");
    }
    void TearDown() override {
        platform::StoreDeleteKey(StoreHive::CurrentUser, kUserKey);
        if (m_madeVendorKey) platform::StoreDeleteKey(StoreHive::CurrentUser, kVendorKey);
    }

    // Runs the harness; returns its exit code and leaves its standard output in m_output.
    int Prefs(const std::string& options) {
        const char* bin = std::getenv("KRVX_TEST_BIN");
        std::string tool = std::string(bin ? bin : ".") + "/krvx-host";
        std::string output = m_folder.File("out.txt");
        std::string command =
            "\"" + tool + "\" prefs \"" + m_clip + "\" --json " + options + " >\"" + output + "\"";
#if defined(_WIN32)
        command = "\"" + command + "\"";  // cmd /c drops the outer pair of quotes
#endif
        int status = std::system(command.c_str());
        m_output = testing_support::ReadFile(output);
#if defined(_WIN32)
        return status;
#else
        // std::system answers the wait status: the exit code sits in the second byte.
        return (status >> 8) & 0xFF;
#endif
    }

    TempFolder m_store;
    TempFolder m_folder;
    std::string m_clip;
    std::string m_output;
    bool m_madeVendorKey = false;
};

TEST_F(PrefsCommandTest, HandsTheClipOverAndReportsTheRefresh) {
    ASSERT_EQ(Prefs(""), 0) << m_output;
    EXPECT_NE(m_output.find("\"result\": 17"), std::string::npos) << m_output;
    EXPECT_NE(m_output.find("\"blockBytes\": 688"), std::string::npos) << m_output;
    EXPECT_NE(m_output.find("\"refreshed\": [\"" + JsonEscaped(m_clip.substr(4)) + "\"]"), std::string::npos)
        << m_output;
    EXPECT_NE(m_output.find("\"clipValue\": \"" + JsonEscaped(m_clip) + "\""), std::string::npos) << m_output;
}

TEST_F(PrefsCommandTest, FirstTimeAndMissingSuiteAnswerZero) {
    ASSERT_EQ(Prefs("--first-time"), 0) << m_output;
    EXPECT_NE(m_output.find("\"result\": 0"), std::string::npos) << m_output;
    EXPECT_NE(m_output.find("\"refreshed\": []"), std::string::npos) << m_output;
    EXPECT_NE(m_output.find("\"clipValue\": null"), std::string::npos) << m_output;

    ASSERT_EQ(Prefs("--no-file-manager"), 0) << m_output;
    EXPECT_NE(m_output.find("\"result\": 0"), std::string::npos) << m_output;
    EXPECT_NE(m_output.find("\"refreshed\": []"), std::string::npos) << m_output;
    EXPECT_NE(m_output.find("\"clipValue\": \"" + JsonEscaped(m_clip) + "\""), std::string::npos) << m_output;
}

}  // namespace
}  // namespace krvx
