// The module as the host sees it: loaded from its file, driven through xImportEntry alone, its debug
// lines read the way a debug viewer reads them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "host/HostRecords.h"
#include "host/HostResults.h"
#include "host/HostTables.h"
#include "host/Selectors.h"
#include "tests/support/ModuleTest.h"

using namespace krvx;
using namespace krvx::sim;

namespace {

using DispatchTest = krvx::testing_support::ModuleTest;

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

TEST_F(DispatchTest, TheOneFormatIsAviWithItsNamesAndTheSecondIndexIsPastTheEnd) {
    FormatRecord record;
    std::memset(&record, 0x5A, sizeof(record));
    EXPECT_EQ(Call(imGetIndFormat, 0, reinterpret_cast<intptr_t>(&record)), 0);
    EXPECT_EQ(record.fileType, 0x41564956);
    EXPECT_EQ(record.flags, 0xE008);
    EXPECT_EQ(record.offset8, 1);
    EXPECT_STREQ(record.formatName, "AVI File");
    EXPECT_STREQ(record.shortName, "KRVX File");
    EXPECT_STREQ(record.platformExtension, "avi");
    FormatRecord untouched;
    std::memset(&untouched, 0x5A, sizeof(untouched));
    EXPECT_EQ(Call(imGetIndFormat, 1, reinterpret_cast<intptr_t>(&untouched)), 301);
    EXPECT_EQ(untouched.fileType, kUntouched);
}

TEST_F(DispatchTest, SubtypeNamesListTheCodecsLetterCasesForAviOnly) {
    void* array = reinterpret_cast<void*>(0x1234);
    EXPECT_EQ(Call(imGetSubTypeNames, 0x4D4F4F56, reinterpret_cast<intptr_t>(&array)), 0);
    EXPECT_EQ(array, reinterpret_cast<void*>(0x1234));

    size_t blocksBefore = s_session->Host().LiveBlocks();
    EXPECT_EQ(Call(imGetSubTypeNames, 0x41564956, reinterpret_cast<intptr_t>(&array)), 0);
    ASSERT_EQ(s_session->Host().LiveBlocks(), blocksBefore + 1);
    const auto* entries = static_cast<const SubTypeEntry*>(array);
    const int32_t codes[] = {0x4B525658, 0x4B525678, 0x4B527658, 0x4B725658, 0x6B727678, 0};
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(entries[i].subtype, codes[i]) << i;
        std::u16string name(entries[i].name);
        EXPECT_EQ(name, i < 5 ? u"Korvane Intermediate" : u"") << i;
    }
    // The host owns the block and frees it.
    HostSlot<HostDisposePtrFn>(s_session->Host().MemoryFunctions(), kMemDisposePtr)(static_cast<char*>(array));
    EXPECT_EQ(s_session->Host().LiveBlocks(), blocksBefore);
}

TEST_F(DispatchTest, PerFileSelectorsWithoutAnImporterAnswerWithoutTouchingMemory) {
    // A pixel-format request whose handle holds no importer is a bad request.
    PixelFormatRecord pixel{};
    EXPECT_EQ(Call(imGetIndPixelFormat, 0, reinterpret_cast<intptr_t>(&pixel)), 5);
    // Preferred sizes never fail: with no clip they are zero.
    PreferredFrameSizeRecord sizes{};
    sizes.width = 7;
    EXPECT_EQ(Call(imGetPreferredFrameSize, reinterpret_cast<intptr_t>(&sizes), 0), 24);
    EXPECT_EQ(sizes.width, 0);
    sizes.index = 4;
    EXPECT_EQ(Call(imGetPreferredFrameSize, reinterpret_cast<intptr_t>(&sizes), 0), 0);
}

TEST_F(DispatchTest, SupportsAnswersIgnoreTheirParameters) {
    int32_t junk[4] = {1, 2, 3, 4};
    EXPECT_EQ(Call(imGetSupports7, -5, reinterpret_cast<intptr_t>(junk)), 100);
    EXPECT_EQ(Call(imGetSupports8, 12345, -1), 101);
    EXPECT_EQ(junk[0], 1);
}

}  // namespace
