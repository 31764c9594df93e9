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
#include "importer/KRVXFourCC.h"
#include "tests/support/ModuleTest.h"

using namespace krvx;
using namespace krvx::sim;

namespace {

using DispatchTest = krvx::testing_support::ModuleTest;

// Records are filled with a pattern first, so a write outside the listed words shows.
constexpr int32_t kUntouched = 0x5A5A5A5A;

// A dispatcher line names the selector's number in brackets and ends with its name.
bool NamesSelector(const std::string& line, int32_t selector, const std::string& name) {
    return line.find("[" + std::to_string(selector) + "]") != std::string::npos &&
           line.size() >= name.size() && line.compare(line.size() - name.size(), name.size(), name) == 0;
}

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
        const std::string name = SelectorName(answer.selector);
        EXPECT_EQ(Call(answer.selector), answer.result) << name;
        std::vector<std::string> lines = Lines();
        ASSERT_FALSE(lines.empty()) << name;
        // The first line is the dispatcher's, naming the selector by its number and its own name.
        EXPECT_TRUE(NamesSelector(lines[0], answer.selector, name)) << lines[0];
    }
}

TEST_F(DispatchTest, NumbersOutsideTheTableAreUnsupportedAndReadNoName) {
    for (int32_t selector : {56, 1000, -1, INT32_MIN}) {
        EXPECT_EQ(Call(selector), 3);
        std::vector<std::string> lines = Lines();
        ASSERT_EQ(lines.size(), 1u);
        // A name read past the end of the table would show here (and under AddressSanitizer, stop the test).
        EXPECT_TRUE(NamesSelector(lines[0], selector, "unknown name")) << lines[0];
    }
}

TEST_F(DispatchTest, NullRecordsGetEachHandlersOwnFailureAndTouchNoHostMemory) {
    struct Expected {
        int32_t selector;
        int32_t result;
    };
    // The answers differ by handler, so a selector routed to the wrong one shows too.
    const Expected answers[] = {
        {imInit, 0},
        {imGetMetaData, 16},
        {imGetIndFormat, 0},
        {imOpenFile8, 2},
        {imGetInfo8, 4},
        {imGetPreferredFrameSize, 0},
        {imGetIndPixelFormat, 5},
        {imGetSourceVideo, 5},
        {imImportImage, 5},
        {imImportAudio7, 5},
        {imGetTimeInfo8, 3},
        {imAnalysis, 3},
        {imDataRateAnalysis, 3},
        {imCheckTrim8, 20},
        {imTrimFile8, 3},
        {imGetPrefs8, 5},
    };
    HostSim& host = s_session->Host();
    const size_t blocks = host.LiveBlocks(), handles = host.LiveHandles();
    for (const Expected& answer : answers) {
        // The other parameter is a harmless value (index 0, or a null record of its own).
        EXPECT_EQ(Call(answer.selector), answer.result) << SelectorName(answer.selector);
        EXPECT_EQ(host.LiveBlocks(), blocks) << SelectorName(answer.selector);
        EXPECT_EQ(host.LiveHandles(), handles) << SelectorName(answer.selector);
    }
    Lines();
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

// imInit's record after a call with the host's words set to `fill`, for a host interface version.
std::vector<int32_t> InitRecord(Session& session, int32_t version, int32_t fill) {
    std::vector<int32_t> record(32, fill);
    session.Host().StdParms()->interfaceVersion = version;
    EXPECT_EQ(session.Call(imInit, reinterpret_cast<intptr_t>(record.data()), 0), 0);
    session.Host().StdParms()->interfaceVersion = 8;
    return record;
}

// The byte offsets imInit writes, found by calling it over two different fills: a word it leaves keeps
// each fill, a word it writes holds the same answer over both.
std::vector<int> WrittenOffsets(Session& session, int32_t version) {
    const int32_t fills[2] = {kUntouched, ~kUntouched};
    std::vector<int32_t> first = InitRecord(session, version, fills[0]);
    std::vector<int32_t> second = InitRecord(session, version, fills[1]);
    std::vector<int> written;
    for (size_t word = 0; word < first.size(); ++word) {
        if (first[word] == fills[0] && second[word] == fills[1]) continue;
        EXPECT_EQ(first[word], second[word])
            << "offset " << word * 4 << " depends on what the host left there";
        written.push_back(static_cast<int>(word * 4));
    }
    return written;
}

TEST_F(DispatchTest, InitWritesOnlyItsOwnWordsAndOffset72OnlyFromVersion6) {
    HostSim& host = s_session->Host();
    const size_t blocks = host.LiveBlocks(), handles = host.LiveHandles();
    std::vector<int> version5 = WrittenOffsets(*s_session, 5);
    ASSERT_FALSE(version5.empty());
    // The record ends with the word at 72; the host's first two words are its own.
    EXPECT_GE(version5.front(), 8);
    EXPECT_LT(version5.back(), 72);
    for (int32_t version : {6, 7, 8}) {
        std::vector<int> newer = WrittenOffsets(*s_session, version);
        std::vector<int> expected = version5;
        expected.push_back(72);
        EXPECT_EQ(newer, expected) << "version " << version;
        EXPECT_EQ(InitRecord(*s_session, version, kUntouched)[72 / 4], 1) << "version " << version;
    }

    // The words the host keeps inside the record stay as it filled them.
    ImporterInfoRecord record;
    std::memset(&record, 0x5A, sizeof(record));
    EXPECT_EQ(Call(imInit, reinterpret_cast<intptr_t>(&record), 0), 0);
    for (int32_t kept : {record.reserved0, record.reserved4, record.reserved16, record.reserved20,
                         record.reserved56, record.reserved60})
        EXPECT_EQ(kept, kUntouched);
    // imInit answers questions only: it keeps no object of its own in the host's memory.
    EXPECT_EQ(host.LiveBlocks(), blocks);
    EXPECT_EQ(host.LiveHandles(), handles);
    Lines();
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
    // Five letter cases of the codec's code, each one the open accepts, then the entry that ends the list.
    std::vector<int32_t> codes;
    for (int i = 0; i < 5; ++i) {
        EXPECT_TRUE(IsKrvxFourCC(static_cast<uint32_t>(entries[i].subtype))) << i;
        EXPECT_EQ(std::u16string(entries[i].name), u"Korvane Intermediate") << i;
        codes.push_back(entries[i].subtype);
    }
    std::sort(codes.begin(), codes.end());
    EXPECT_EQ(std::adjacent_find(codes.begin(), codes.end()), codes.end()) << "a letter case listed twice";
    EXPECT_EQ(entries[5].subtype, 0);
    EXPECT_EQ(entries[5].name[0], u'\0');
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
