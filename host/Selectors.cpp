#include "host/Selectors.h"

namespace krvx {

namespace {
const char* const kSelectorNames[kSelectorCount] = {
    "imInit",  // 0
    "imShutdown",  // 1
    "imGetPrefs",  // 2
    "imSetPrefs",  // 3
    "imGetInfo",  // 4
    "imImportImage",  // 5
    "imImportAudio",  // 6
    "imOpenFile",  // 7
    "imQuietFile",  // 8
    "imCloseFile",  // 9
    "imGetTimeInfo",  // 10
    "imSetTimeInfo",  // 11
    "imAnalysis",  // 12
    "imDataRateAnalysis",  // 13
    "imGetIndFormat",  // 14
    "imGetFrameInfo",  // 15
    "imDisposeFrameInfo",  // 16
    "imGetCompressedFrame",  // 17
    "imDisposeCompressedFrame",  // 18
    "imSaveFile",  // 19
    "imDeleteFile",  // 20
    "imAsyncImportImage",  // 21
    "imAsyncImportImageExpire",  // 22
    "imGetMetaData",  // 23
    "imSetMetaData",  // 24
    "imImportAudio7",  // 25
    "imGetInfo7",  // 26
    "imGetIndPixelFormat",  // 27
    "imGetSupports7",  // 28
    "imResetSequentialAudio",  // 29
    "imGetSequentialAudio",  // 30
    "imCalcSize",  // 31
    "imGetRollCrawlInfo",  // 32
    "imRollCrawlRenderPage",  // 33
    "imCheckTrim",  // 34
    "imTrimFile",  // 35
    "imGetSupports8",  // 36
    "imGetInfo8",  // 37
    "imGetPrefs8",  // 38
    "imOpenFile8",  // 39
    "imSaveFile8",  // 40
    "imDeleteFile8",  // 41
    "imCalcSize8",  // 42
    "imCheckTrim8",  // 43
    "imTrimFile8",  // 44
    "imGetPreferredFrameSize",  // 45
    "imCreateAsyncImporter",  // 46
    "imGetSourceVideo",  // 47
    "imDeferredProcessing",  // 48
    "imGetPeakAudio",  // 49
    "imRetargetAccelerator",  // 50
    "imCopyFile",  // 51
    "imGetTimeInfo8",  // 52
    "imSetTimeInfo8",  // 53
    "imGetSubTypeNames",  // 54
    "imGetFileAttributes",  // 55
};
}  // namespace

const char* SelectorName(int32_t selector) {
    if (selector < 0 || selector >= kSelectorCount) return nullptr;
    return kSelectorNames[selector];
}

}  // namespace krvx
