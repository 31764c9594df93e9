// The platform layer's promises that the rest of the plug-in leans on: Win32-like events and
// semaphores, recursive locks, threads with exit codes, and the key-value store.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/debug.h"
#include "platform/store.h"
#include "platform/sync.h"
#include "platform/system.h"
#include "platform/thread.h"

using namespace krvx::platform;

namespace {

struct WaitArguments {
    Event* event;
    std::atomic<int>* woken;
};

uint32_t WaitOnce(void* context) {
    auto* arguments = static_cast<WaitArguments*>(context);
    if (arguments->event->Wait(2000) == WaitResult::Signalled) ++*arguments->woken;
    return 7;
}

TEST(SyncTest, AutoResetEventReleasesOneWaiterAndClearsItself) {
    Event event(false, false);
    std::atomic<int> woken{0};
    WaitArguments arguments{&event, &woken};
    NativeThread* first = ThreadCreate(WaitOnce, &arguments, 0x20000, nullptr);
    NativeThread* second = ThreadCreate(WaitOnce, &arguments, 0x20000, nullptr);
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    event.Set();
    // One of the two wakes now; the other only at the next Set.
    for (int i = 0; i < 200 && woken.load() == 0; ++i) SleepMs(5);
    SleepMs(50);
    EXPECT_EQ(woken.load(), 1);
    event.Set();
    uint32_t code = 0;
    EXPECT_EQ(ThreadWait(first, 5000, &code), WaitResult::Signalled);
    EXPECT_EQ(code, 7u);
    EXPECT_EQ(ThreadWait(second, 5000, nullptr), WaitResult::Signalled);
    EXPECT_EQ(woken.load(), 2);
    ThreadClose(first);
    ThreadClose(second);
    EXPECT_EQ(event.Wait(0), WaitResult::TimedOut);
}

TEST(SyncTest, ManualResetEventStaysSetUntilReset) {
    Event event(true, true);
    EXPECT_EQ(event.Wait(0), WaitResult::Signalled);
    EXPECT_EQ(event.Wait(0), WaitResult::Signalled);
    event.Reset();
    EXPECT_EQ(event.Wait(10), WaitResult::TimedOut);
}

TEST(SyncTest, SemaphoreCountsAndRefusesToPassItsMaximum) {
    Semaphore semaphore(0, 2);
    EXPECT_EQ(semaphore.Wait(0), WaitResult::TimedOut);
    EXPECT_TRUE(semaphore.Release(2));
    EXPECT_FALSE(semaphore.Release(1));
    EXPECT_EQ(semaphore.Wait(0), WaitResult::Signalled);
    EXPECT_EQ(semaphore.Wait(0), WaitResult::Signalled);
    EXPECT_EQ(semaphore.Wait(0), WaitResult::TimedOut);
}

TEST(SyncTest, CriticalSectionIsRecursiveForItsOwner) {
    CriticalSection lock;
    ScopedLock outer(lock);
    ScopedLock inner(lock);
    EXPECT_TRUE(lock.TryEnter());
    lock.Leave();
}

TEST(SystemTest, ProcessorsAndClockAreSane) {
    EXPECT_GE(ProcessorCount(), 1u);
    // The clock moves forward across a sleep; its resolution is the system's tick, so only that is asked.
    uint32_t start = ClockMilliseconds();
    SleepMs(100);
    uint32_t elapsed = ClockMilliseconds() - start;
    EXPECT_GT(elapsed, 0u);
    EXPECT_LT(elapsed, 60000u);
    char name[260];
    ASSERT_TRUE(HostExecutableName(name, sizeof(name)));
    EXPECT_NE(std::string(name).find("platform_test"), std::string::npos) << name;
    EXPECT_FALSE(HostExecutableName(name, 3));
}

TEST(DebugTest, CaptureSeesEveryTextUnchanged) {
    static std::string seen;
    seen.clear();
    SetDebugCapture([](void*, const char* text) { seen += text; }, nullptr);
    DebugPrintf("frame:%5d %s", 42, "decode");
    DebugOutput("\n");
    SetDebugCapture(nullptr, nullptr);
    DebugOutput("not captured");
    EXPECT_EQ(seen, "frame:   42 decode\n");
}

class StoreTest : public ::testing::Test {
protected:
    void SetUp() override {
#if !defined(_WIN32)
        char folder[] = "/tmp/krvx-store-XXXXXX";
        ASSERT_NE(mkdtemp(folder), nullptr);
        m_folder = folder;
        SetEnvironmentValue("KRVX_REGISTRY_DIR", folder);
#endif
    }
    void TearDown() override {
        if (!m_folder.empty()) std::system(("rm -rf '" + m_folder + "'").c_str());
    }
    std::string m_folder;
    const char* m_key = "Software\\KRVXTest\\Store";
};

TEST_F(StoreTest, ValuesRoundTripPerHiveAndType) {
    ASSERT_TRUE(StoreWriteString(StoreHive::CurrentUser, m_key, "Path", "C:\\clips\\a b.avi"));
    ASSERT_TRUE(StoreWriteDword(StoreHive::CurrentUser, m_key, "Focused", 1));
    char text[64];
    ASSERT_TRUE(StoreReadString(StoreHive::CurrentUser, m_key, "Path", text, sizeof(text)));
    EXPECT_STREQ(text, "C:\\clips\\a b.avi");
    uint32_t value = 0;
    ASSERT_TRUE(StoreReadDword(StoreHive::CurrentUser, m_key, "Focused", &value));
    EXPECT_EQ(value, 1u);
    // Overwriting replaces the value.
    ASSERT_TRUE(StoreWriteDword(StoreHive::CurrentUser, m_key, "Focused", 0));
    ASSERT_TRUE(StoreReadDword(StoreHive::CurrentUser, m_key, "Focused", &value));
    EXPECT_EQ(value, 0u);
}

TEST_F(StoreTest, MissingWrongTypeAndTooSmallBuffersAreRefused) {
    ASSERT_TRUE(StoreWriteString(StoreHive::CurrentUser, m_key, "Name", "twelve chars"));
    char text[64];
    uint32_t value;
    EXPECT_FALSE(StoreReadString(StoreHive::CurrentUser, m_key, "Absent", text, sizeof(text)));
    EXPECT_FALSE(StoreReadString(StoreHive::CurrentUser, "Software\\KRVXTest\\NoSuchKey", "Name", text, sizeof(text)));
    EXPECT_FALSE(StoreReadDword(StoreHive::CurrentUser, m_key, "Name", &value));
    EXPECT_FALSE(StoreReadString(StoreHive::CurrentUser, m_key, "Name", text, 5));
}

}  // namespace
