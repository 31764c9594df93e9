// The clip's settings selector with a stand-in companion application of our own: running, installed but not
// running, not installed, and the calls that must touch nothing.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "companion/GetPrefsSelector.h"
#include "platform/file.h"
#include "platform/process.h"
#include "platform/store.h"
#include "platform/system.h"
#include "platform/thread.h"
#include "tests/support/TempClip.h"
#include "tools/krvx-host/ClipQueries.h"
#include "tools/krvx-host/HostSim.h"

namespace krvx {
namespace {

using platform::StoreHive;
using testing_support::TempFolder;

const char kCompanionExe[] = "Bravik Korvane Studio.exe";
const char kUserKey[] = "SOFTWARE\\Bravik\\KorvaneStudio";
const char kVendorKey[] = "SOFTWARE\\Bravik";
const char kInstallKey[] = "SOFTWARE\\Wow6432Node\\Bravik\\InstallSpots";
// 2001-01-01 on the file-time scale: far enough back that a fresh time cannot be mistaken for it.
constexpr uint64_t kOldFileTime = (978307200ULL + 11644473600ULL) * 10000000ULL;

size_t RunningCompanions() {
    return platform::FindProcessesByName(kCompanionExe, nullptr, 0);
}

// Polls a condition for up to five seconds.
template <typename Condition>
bool Eventually(Condition condition) {
    for (int look = 0; look < 250; ++look) {
        if (condition()) return true;
        platform::SleepMs(20);
    }
    return condition();
}

std::string BuiltCompanion() {
    const char* bin = std::getenv("KRVX_TEST_BIN");
    return std::string(bin ? bin : ".") + "/" + kCompanionExe;
}

// Copies the built companion into `folder` (made if needed); false when the system refuses the path.
bool InstallCompanionInto(const std::string& folder) {
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error) return false;
    std::string target = folder + "/" + kCompanionExe;
    std::filesystem::copy_file(BuiltCompanion(), target, std::filesystem::copy_options::overwrite_existing,
                               error);
    if (error) return false;
    std::filesystem::permissions(target, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, error);
    return !error;
}

class CompanionTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(RunningCompanions(), 0u) << "a companion from elsewhere is running";
        // POSIX keeps the store in this test's folder; Windows uses the registry, cleaned of our keys.
        platform::SetEnvironmentValue("KRVX_REGISTRY_DIR", m_store.Path().c_str());
        platform::SetEnvironmentValue("KRVX_TEST_COMPANION", "clear");
        platform::StoreDeleteKey(StoreHive::CurrentUser, kUserKey);
        platform::StoreDeleteKey(StoreHive::LocalMachine, kInstallKey);
        m_clipPath = std::filesystem::absolute(m_folder.File("clip.avi")).make_preferred().string();
        testing_support::WriteFile(m_clipPath, "RIFF");
        m_widePath = sim::ToUtf16(m_clipPath);
        m_access.path = m_widePath.c_str();
        ASSERT_TRUE(platform::FileSetLastWriteTime(m_widePath.c_str(), kOldFileTime));
    }
    void TearDown() override {
        // A companion still running would be found by the next test.
        EXPECT_TRUE(Eventually([] { return RunningCompanions() == 0; }));
        platform::StoreDeleteKey(StoreHive::CurrentUser, kUserKey);
        platform::StoreDeleteKey(StoreHive::LocalMachine, kInstallKey);
        if (m_madeVendorKey) platform::StoreDeleteKey(StoreHive::CurrentUser, kVendorKey);
    }

    // The vendor key goes away after the test only when the test made it.
    void MakeVendorKey() {
        m_madeVendorKey = !platform::StoreCheckKeyLevels(StoreHive::CurrentUser, kVendorKey, false);
        ASSERT_TRUE(platform::StoreWriteDword(StoreHive::CurrentUser, kVendorKey, "TestVendor", 1));
    }
    static void SetInstallFolder(const std::string& folder) {
        ASSERT_TRUE(
            platform::StoreWriteString(StoreHive::LocalMachine, kInstallKey, "BravikTools", folder.c_str()));
    }

    int32_t SettingsCall() {
        PrefsRecord prefs{};
        prefs.prefsLength = kPrefsBlockBytes;
        return HandleGetPrefs8(m_host.StdParms(), &m_access, &prefs);
    }
    bool Focused(uint32_t* value) {
        return platform::StoreReadDword(StoreHive::CurrentUser, kUserKey, "PremCS5VXFocused", value);
    }
    std::string ClipValue() {
        char value[1024] = {};
        return platform::StoreReadString(StoreHive::CurrentUser, kUserKey, "PremCS5Clip", value,
                                         sizeof(value))
                   ? value
                   : "(missing)";
    }
    uint64_t ClipFileTime() {
        uint64_t time = 0;
        EXPECT_TRUE(platform::FileLastWriteTime(m_clipPath.c_str(), &time));
        return time;
    }

    TempFolder m_store;
    TempFolder m_folder;
    sim::HostSim m_host;
    std::string m_clipPath;
    std::u16string m_widePath;
    FileAccessRecord m_access{};
    bool m_madeVendorKey = false;
};

TEST_F(CompanionTest, SizeQueryAndFirstTimeCallTouchNothing) {
    MakeVendorKey();
    PrefsRecord prefs{};
    EXPECT_EQ(HandleGetPrefs8(m_host.StdParms(), &m_access, &prefs), 0);
    EXPECT_EQ(prefs.prefsLength, 688);

    prefs.firstTime = 1;
    EXPECT_EQ(HandleGetPrefs8(m_host.StdParms(), &m_access, &prefs), 0);
    EXPECT_EQ(prefs.prefsLength, 688);

    uint32_t focused = 0;
    EXPECT_FALSE(Focused(&focused));
    EXPECT_EQ(ClipValue(), "(missing)");
    EXPECT_EQ(ClipFileTime(), kOldFileTime);
    EXPECT_TRUE(m_host.RefreshedFiles().empty());
    EXPECT_EQ(m_host.Acquired("Importer File Manager Suite"), 0);
}

TEST_F(CompanionTest, NotInstalledStartsNothingButTouchesAndRefreshesTheClip) {
    MakeVendorKey();
    uint64_t before = 0;
    ASSERT_TRUE(platform::SystemTimeAsFileTime(&before));
    EXPECT_EQ(SettingsCall(), 17);

    EXPECT_EQ(ClipValue(), m_clipPath);
    uint32_t focused = 0;
    ASSERT_TRUE(Focused(&focused));
    EXPECT_EQ(focused, 1u) << "nothing ran to clear it";
    EXPECT_EQ(RunningCompanions(), 0u);
    // File systems keep times at up to two-second granularity.
    EXPECT_GE(ClipFileTime() + 20000000ULL, before);
    ASSERT_EQ(m_host.RefreshedFiles().size(), 1u);
    EXPECT_EQ(m_host.RefreshedFiles()[0], m_widePath.substr(4));
    EXPECT_EQ(m_host.Acquired("Importer File Manager Suite"), 1);
    EXPECT_EQ(m_host.Released("Importer File Manager Suite"), 1);
}

TEST_F(CompanionTest, HostWithoutTheFileManagerGetsZeroAfterTheTimeIsSet) {
    MakeVendorKey();
    m_host.SetFileManagerSuiteAvailable(false);
    EXPECT_EQ(SettingsCall(), 0);
    EXPECT_GT(ClipFileTime(), kOldFileTime);
    EXPECT_EQ(m_host.Released("Importer File Manager Suite"), 0);

    m_host.SetBasicSuiteAvailable(false);
    ASSERT_TRUE(platform::FileSetLastWriteTime(m_widePath.c_str(), kOldFileTime));
    EXPECT_EQ(SettingsCall(), 0);
    EXPECT_GT(ClipFileTime(), kOldFileTime);
    EXPECT_TRUE(m_host.RefreshedFiles().empty());
}

TEST_F(CompanionTest, MissingVendorKeyIsNotCreated) {
    if (platform::StoreCheckKeyLevels(StoreHive::CurrentUser, kVendorKey, false))
        GTEST_SKIP() << "this user's store holds a real vendor key; not removing it";
    EXPECT_EQ(SettingsCall(), 17);
    EXPECT_EQ(ClipValue(), "(missing)");
    EXPECT_FALSE(platform::StoreCheckKeyLevels(StoreHive::CurrentUser, kVendorKey, false));
    EXPECT_GT(ClipFileTime(), kOldFileTime);
}

TEST_F(CompanionTest, RunningCompanionGetsTheClipAndTheCallWaitsForTheFocus) {
    MakeVendorKey();
    ASSERT_TRUE(platform::LaunchProcess(BuiltCompanion().c_str(), nullptr, nullptr));
    ASSERT_TRUE(Eventually([] { return RunningCompanions() == 1; }));

    EXPECT_EQ(SettingsCall(), 17);
    EXPECT_EQ(ClipValue(), m_clipPath);
    // The plug-in wrote 1; only the companion clears it, after it saw the hand-off.
    uint32_t focused = 1;
    ASSERT_TRUE(Focused(&focused));
    EXPECT_EQ(focused, 0u);
}

TEST_F(CompanionTest, CompanionThatExitsEndsTheWait) {
    MakeVendorKey();
    platform::SetEnvironmentValue("KRVX_TEST_COMPANION", "exit");
    ASSERT_TRUE(platform::LaunchProcess(BuiltCompanion().c_str(), nullptr, nullptr));
    ASSERT_TRUE(Eventually([] { return RunningCompanions() == 1; }));

    EXPECT_EQ(SettingsCall(), 17);
    uint32_t focused = 0;
    ASSERT_TRUE(Focused(&focused));
    EXPECT_EQ(focused, 1u);
    EXPECT_EQ(RunningCompanions(), 0u) << "the wait ended while the companion still ran";
}

TEST_F(CompanionTest, InstalledCompanionIsStartedFromItsFolder) {
    MakeVendorKey();
    TempFolder install;
    std::string folder = install.File("BravikTools");
    ASSERT_TRUE(InstallCompanionInto(folder));
    SetInstallFolder(folder);

    EXPECT_EQ(SettingsCall(), 17);
    uint32_t focused = 1;
    ASSERT_TRUE(Focused(&focused));
    EXPECT_EQ(focused, 0u) << "the installed companion did not run";
    EXPECT_EQ(ClipValue(), m_clipPath);
}

// A folder name of exactly `length` bytes under `base`, in segments short enough for any file system.
std::string FolderOfLength(const std::string& base, size_t length) {
    std::string folder = base;
    while (folder.size() < length) {
        size_t segment = std::min<size_t>(100, length - folder.size() - 1);
        if (length - folder.size() - 1 - segment == 1) --segment;  // never leave room for a bare separator
        folder += "/" + std::string(segment, 'k');
    }
    return folder;
}

TEST_F(CompanionTest, InstallFolderTooLongForTheLaunchPathIsNotStarted) {
    MakeVendorKey();
    TempFolder install;
    // The launch path is the folder, a separator and the 25-byte name, and must fit 260 bytes with its
    // terminator: 233 bytes of folder is the longest that starts.
    std::string fits = FolderOfLength(install.Path(), 233);
    ASSERT_EQ(fits.size(), 233u);
    ASSERT_TRUE(InstallCompanionInto(fits));
    SetInstallFolder(fits);
    EXPECT_EQ(SettingsCall(), 17);
    uint32_t focused = 1;
    ASSERT_TRUE(Focused(&focused));
    EXPECT_EQ(focused, 0u) << "a folder of 233 bytes must still launch";
    ASSERT_TRUE(Eventually([] { return RunningCompanions() == 0; }));

    std::string tooLong = FolderOfLength(install.Path(), 234);
    ASSERT_EQ(tooLong.size(), 234u);
    // Windows may refuse to make a path this long; the folder then simply does not exist.
    InstallCompanionInto(tooLong);
    SetInstallFolder(tooLong);
    EXPECT_EQ(SettingsCall(), 17);
    ASSERT_TRUE(Focused(&focused));
    EXPECT_EQ(focused, 1u);
    EXPECT_EQ(RunningCompanions(), 0u);
    EXPECT_GT(ClipFileTime(), kOldFileTime);
}

}  // namespace
}  // namespace krvx
