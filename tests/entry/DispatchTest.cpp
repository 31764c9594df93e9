// The module as the host sees it: loaded from its file, driven through xImportEntry alone, its debug
// lines read the way a debug viewer reads them.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "entry/SelectorNames.h"
#include "tools/krvx-host/Session.h"

using namespace krvx;
using namespace krvx::host;

namespace {

class DispatchTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        s_session = new Session(SessionOptions{});
        ASSERT_TRUE(s_session->Start()) << s_session->Error();
    }
    static void TearDownTestSuite() {
        delete s_session;
        s_session = nullptr;
    }
    void SetUp() override { s_session->TakeDebugLines(); }

    static int32_t Call(int32_t selector, intptr_t param1 = 0, intptr_t param2 = 0) {
        return s_session->Call(selector, param1, param2);
    }
    static std::vector<std::string> Lines() { return s_session->TakeDebugLines(); }

    static Session* s_session;
};
Session* DispatchTest::s_session = nullptr;

// Records are filled with a pattern first, so a write outside the listed words shows.
constexpr int32_t kUntouched = 0x5A5A5A5A;

TEST_F(DispatchTest, EverySelectorAnswersWithItsResultAndNamesItselfInTheDebugLine) {
    struct Expected {
        int32_t selector;
        int32_t result;
    };
    // Selectors whose handlers need a clip are called with empty records elsewhere; here, those that
    // answer without one.
    const Expected answers[] = {
        {imShutdown, 0},     {imQuietFile, 0},       {imCloseFile, 0},     {imGetSupports7, 100},
        {imGetSupports8, 101}, {imSetMetaData, 3},  {imSaveFile8, 3},     {imDeleteFile8, 3},
        {imCalcSize8, 3},    {imSetTimeInfo8, 3},    {imGetFileAttributes, 3}, {imGetPrefs, 3},
        {imSetPrefs, 3},     {imGetInfo, 3},         {imImportAudio, 3},   {imOpenFile, 3},
        {imGetTimeInfo, 3},  {imSetTimeInfo, 3},     {imGetFrameInfo, 3},  {imDisposeFrameInfo, 3},
        {imGetCompressedFrame, 3}, {imDisposeCompressedFrame, 3}, {imSaveFile, 3}, {imDeleteFile, 3},
        {imAsyncImportImage, 3}, {imAsyncImportImageExpire, 3}, {imGetInfo7, 3}, {imResetSequentialAudio, 3},
        {imGetSequentialAudio, 3}, {imCalcSize, 3}, {imGetRollCrawlInfo, 3}, {imRollCrawlRenderPage, 3},
        {imCheckTrim, 3},    {imTrimFile, 3},        {imDeferredProcessing, 3}, {imGetPeakAudio, 3},
        {imRetargetAccelerator, 3}, {imCopyFile, 3},
    };
    for (const Expected& answer : answers) {
        EXPECT_EQ(Call(answer.selector), answer.result) << SelectorName(answer.selector);
        std::vector<std::string> lines = Lines();
        ASSERT_FALSE(lines.empty()) << SelectorName(answer.selector);
        EXPECT_EQ(lines[0], "-- Sync Selector[" + std::to_string(answer.selector) + "]: " +
                                SelectorName(answer.selector));
    }
}

TEST_F(DispatchTest, NumbersOutsideTheTableAreUnsupportedWithTheUnknownNameLine) {
    for (int32_t selector : {56, 1000, -1, INT32_MIN}) {
        EXPECT_EQ(Call(selector), 3);
        std::vector<std::string> lines = Lines();
        ASSERT_EQ(lines.size(), 1u);
        EXPECT_EQ(lines[0], "-- Sync Selector[" + std::to_string(selector) + "]: unknown name");
    }
}

TEST_F(DispatchTest, GetMetaDataClearsItsThreeFieldsAndAnswersNoContent) {
    std::vector<int32_t> record(8, kUntouched);
    EXPECT_EQ(Call(imGetMetaData, 0, reinterpret_cast<intptr_t>(record.data())), 16);
    EXPECT_EQ(record[0], kUntouched);
    EXPECT_EQ(record[1], kUntouched);
    EXPECT_EQ(record[2], 0);
    EXPECT_EQ(record[3], 0);
    EXPECT_EQ(record[4], 0);
    EXPECT_EQ(record[5], kUntouched);
}

// imInit's answer for a host interface version; everything else in the record stays as the host left it.
std::vector<int32_t> InitRecord(Session& session, int32_t version) {
    std::vector<int32_t> record(32, kUntouched);
    session.Host().StdParms()->interfaceVersion = version;
    EXPECT_EQ(session.Call(imInit, reinterpret_cast<intptr_t>(record.data()), 0), 0);
    session.Host().StdParms()->interfaceVersion = 8;
    return record;
}

TEST_F(DispatchTest, InitFillsExactlyItsFieldsAndTheVersion6FieldOnlyFromVersion6) {
    const int written[] = {8, 12, 24, 28, 32, 36, 40, 44, 48, 52, 64, 68};
    const int32_t values[] = {0, 0, 0, 0, 0, 1, 1, 0, 0, 15300, 0, 1};
    for (int32_t version : {5, 6}) {
        std::vector<int32_t> record = InitRecord(*s_session, version);
        for (int offset = 0; offset < 128; offset += 4) {
            const int* at = std::find(std::begin(written), std::end(written), offset);
            int32_t expected = kUntouched;
            if (at != std::end(written)) expected = values[at - std::begin(written)];
            if (offset == 72 && version >= 6) expected = 1;
            EXPECT_EQ(record[offset / 4], expected) << "offset " << offset << ", version " << version;
        }
    }
    std::vector<std::string> lines = Lines();
    // Per call: the selector line and five object sizes.
    ASSERT_EQ(lines.size(), 12u);
    const char* objects[] = {"CAVIFileImporter", "CAsyncAVIFileImporter", "CAsyncAVIFrameReader", "CAllocator",
                             "AVIFileReader"};
    for (int i = 0; i < 5; ++i) EXPECT_EQ(lines[1 + i].rfind(std::string(objects[i]) + ": ", 0), 0u) << lines[1 + i];
    EXPECT_NE(lines[1].find(" bytes"), std::string::npos);
}

TEST_F(DispatchTest, CloseFileDisposesTheHandleAndIgnoresNull) {
    HostSim& host = s_session->Host();
    EXPECT_EQ(Call(imCloseFile, 0, 0), 0);
    auto newHandle = HostSlot<HostNewHandleFn>(host.MemoryFunctions(), kMemNewHandle);
    char** handle = newHandle(64);
    ASSERT_NE(handle, nullptr);
    // A handle whose master pointer holds no importer is still given back.
    std::free(*handle);
    *handle = nullptr;
    size_t before = host.LiveHandles();
    EXPECT_EQ(Call(imCloseFile, 0, reinterpret_cast<intptr_t>(handle)), 0);
    EXPECT_EQ(host.LiveHandles(), before - 1);
}

TEST_F(DispatchTest, SupportsAnswersIgnoreTheirParameters) {
    int32_t junk[4] = {1, 2, 3, 4};
    EXPECT_EQ(Call(imGetSupports7, -5, reinterpret_cast<intptr_t>(junk)), 100);
    EXPECT_EQ(Call(imGetSupports8, 12345, -1), 101);
    EXPECT_EQ(junk[0], 1);
}

}  // namespace
