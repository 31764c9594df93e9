// The host's parameter records as this plug-in reads and writes them. Only the positions the plug-in
// uses are described; the host owns everything else.
#pragma once
#include <cstddef>
#include <cstdint>

#include "host/HostTables.h"

namespace krvx {

// The importer-information record filled by imInit: 32-bit fields at 8 .. 72. Its real size is the
// host's; the plug-in touches only the words listed in its answer.
struct ImporterInfoRecord {
    int32_t word[19];
};

// imGetMetaData's record: three 32-bit fields cleared at 8, 12 and 16.
struct MetaDataRecord {
    int32_t reserved0;
    int32_t reserved4;
    int32_t value8;
    int32_t value12;
    int32_t value16;
};

// The private-data handle: a pointer to the master pointer that points at the importer's bytes.
using PrivateDataHandle = char**;

// The host's file type for AVI files: "AVIV", first character most significant.
constexpr int32_t kFileTypeAVIV = 0x41564956;

// imGetIndFormat's record.
struct FormatRecord {
    int32_t fileType;
    int32_t flags;
    int32_t canWriteTimecode;
    char formatName[256];
    char shortName[32];
    char platformExtension[256];
};

// One entry of the subtype array handed out by imGetSubTypeNames; a zero code and empty name end it.
struct SubTypeEntry {
    int32_t subtype;
    char16_t name[256];
};

// imOpenFile8's record.
struct FileOpenRecord {
    int32_t reserved0;
    int32_t fileType;
    const char16_t* path;
    int32_t fileReference;
    int32_t reserved16;
    PrivateDataHandle privateData;
    int32_t reserved24;
    int32_t access;
};

// imGetInfo8's file-access record (param1).
struct FileAccessRecord {
    int32_t reserved0;
    int32_t reserved4;
    const char16_t* path;
};

// imGetPrefs8's preferences record (param2). The host's preferences block that follows is never read or
// written by the plug-in.
struct PrefsRecord {
    int32_t reserved0;
    int32_t prefsLength;  // 0 asks for the size of the block the plug-in wants
    uint8_t firstTime;    // 1 when the host creates a new clip's settings
};

#pragma pack(push, 1)
// imGetInfo8's file-information record, packed as the host lays it out.
struct FileInfoRecord {
    uint8_t hasVideo;
    uint8_t hasAudio;
    int32_t width;
    int32_t height;
    uint8_t reserved10[2];
    int16_t bitsPerPixel;
    int32_t subtype;
    uint8_t fieldType;
    uint8_t reserved19[3];
    uint8_t alphaCode;
    uint8_t reserved23[3];
    uint8_t alphaInverted;  // 0: alpha is not inverted
    uint8_t reserved27[4];
    int16_t stillAndNoDuration;  // 0: a moving clip with a duration (two flag bytes)
    uint8_t reserved33;
    int32_t pixelAspectNumerator;
    int32_t pixelAspectDenominator;
    uint8_t rollCrawl;  // 0: not a roll or crawl title
    uint8_t reserved43[3];
    int32_t importerId;
    int32_t supportsAsyncIO;         // 0: the older asynchronous reads are not offered
    int32_t supportsGetSourceVideo;  // 1: frames come through imGetSourceVideo
    int32_t hasPulldown;             // 0: no pulldown to remove
    uint8_t reserved62[100];
    int32_t timeBase;
    int32_t ticksPerFrame;
    int32_t durationTicks;
    int32_t audioChannels;
    float audioSampleRate;
    int32_t audioSampleType;
    int64_t audioDurationFrames;
    int32_t accessValue;
    PrivateDataHandle privateData;
    uint8_t reserved202[4];
    uint8_t hasDataRate;  // 1: imDataRateAnalysis answers for this clip
    uint8_t reserved207[4];
    uint8_t streamsAsComposition;  // 0: the streams form one clip
};
#pragma pack(pop)

// imGetPreferredFrameSize's record (param1).
struct PreferredFrameSizeRecord {
    PrivateDataHandle privateData;
    int32_t reserved4;
    int32_t pixelFormat;
    int32_t index;
    int32_t width;
    int32_t height;
};

// imCreateAsyncImporter's record (param1).
struct AsyncImporterCreationRecord {
    PrivateDataHandle privateData;
    int32_t reserved4;
    void* entry;
    void* asyncPrivateData;
};

// imGetIndPixelFormat's record (param2).
struct PixelFormatRecord {
    PrivateDataHandle privateData;
    int32_t pixelFormat;
};

// One entry of the frame formats a frame request accepts; the first is the one asked for.
struct FrameFormatEntry {
    int32_t width;
    int32_t height;
    uint32_t pixelFormat;
};

// imGetSourceVideo's record (param2): the frame at a time, in the first format, returned at outFrame.
struct SourceVideoRecord {
    PrivateDataHandle privateData;
    int32_t reserved4;
    int64_t frameTime;
    FrameFormatEntry* formats;
    int32_t formatCount;
    int32_t reserved24;
    PPixHand* outFrame;
};

// imImportImage's record (param2): the older request that converts straight into the host's buffer.
// The frame number is time / timeScale.
struct ImageImportRecord {
    int32_t reserved0;
    int32_t width;
    int32_t height;
    uint8_t reserved12[32];
    int32_t rowBytes;
    char* pixels;
    uint8_t reserved52[4];
    uint32_t pixelFormat;
    uint8_t reserved60[12];
    int32_t timeScale;
    uint8_t reserved76[8];
    int32_t time;
    PrivateDataHandle privateData;
};

// imImportAudio7's record (param2): the request's position in sample frames (0 rewinds, -1 continues
// where the last request ended), the frames wanted, the left and right channel buffers, and the handle.
struct AudioImportRecord {
    int64_t position;
    uint32_t size;
    float** buffers;
    PrivateDataHandle privateData;
};

// imGetTimeInfo8's record (param2), packed: its 32-bit fields follow the texts at even offsets.
#pragma pack(push, 1)
struct TimeInfoRecord {
    PrivateDataHandle privateData;
    int32_t reserved4;
    char timecode[18];
    int32_t timeBase;
    int32_t ticksPerFrame;
    char alternateTimecode[18];
    int32_t alternateTimeBase;
    int32_t alternateTicksPerFrame;
    char reelName[40];
    char alternateReelName[40];
    char logComment[256];
    int32_t value396;  // set to 1; its meaning is the host's
};
#pragma pack(pop)

// imAnalysis's record (param2): the text buffer and its size.
struct AnalysisRecord {
    PrivateDataHandle privateData;
    int32_t reserved4;
    int32_t bufferSize;
    char* buffer;
};

// imDataRateAnalysis's record (param2): one DataRateEntry per video frame.
struct DataRateRecord {
    PrivateDataHandle privateData;
    int32_t reserved4;
    int32_t bufferSize;
    void* buffer;
};

struct DataRateEntry {
    uint32_t ticksPerFrame;
    uint32_t bytes;
};

// imCheckTrim8's record (param2); times in ticks.
struct TrimCheckRecord {
    PrivateDataHandle privateData;
    int32_t reserved4;
    int32_t requestedStart;
    int32_t requestedDuration;
    int32_t keepAudio;
    int32_t keepVideo;
    int32_t answeredStart;
    int32_t answeredDuration;
    int32_t reserved32;
    int32_t ticksPerFrame;
};

// The host's progress callback during a trimmed copy: (frames done, frames in all, context); 0 stops.
using TrimProgressFn = int32_t (*)(int32_t done, int32_t total, void* context);

// imTrimFile8's record (param2). Times in the record's own units, ticksPerFrame of them to a frame, at
// the places the trim-check record keeps them.
struct TrimFileRecord {
    PrivateDataHandle privateData;
    int32_t reserved4;
    int32_t trimIn;
    int32_t duration;
    int32_t keepAudio;
    int32_t keepVideo;
    const char16_t* destinationPath;
    TrimProgressFn progress;
    void* progressContext;
    int32_t ticksPerFrame;
};

#if UINTPTR_MAX == 0xFFFFFFFFu
static_assert(offsetof(MetaDataRecord, value8) == 8 && offsetof(MetaDataRecord, value16) == 16,
              "metadata fields at 8, 12, 16");
static_assert(sizeof(ImporterInfoRecord) == 76, "importer information up to offset 72");
static_assert(offsetof(FormatRecord, canWriteTimecode) == 8 && offsetof(FormatRecord, formatName) == 12 &&
                  offsetof(FormatRecord, shortName) == 268 &&
                  offsetof(FormatRecord, platformExtension) == 300,
              "format record strings");
static_assert(sizeof(SubTypeEntry) == 516, "subtype entries of 516 bytes");
static_assert(offsetof(FileOpenRecord, fileType) == 4 && offsetof(FileOpenRecord, path) == 8 &&
                  offsetof(FileOpenRecord, fileReference) == 12 &&
                  offsetof(FileOpenRecord, privateData) == 20 && offsetof(FileOpenRecord, access) == 28,
              "file-open record");
static_assert(offsetof(FileAccessRecord, path) == 8, "file-access record path");
static_assert(offsetof(PrefsRecord, prefsLength) == 4 && offsetof(PrefsRecord, firstTime) == 8,
              "preferences record");
static_assert(offsetof(FileInfoRecord, width) == 2 && offsetof(FileInfoRecord, height) == 6 &&
                  offsetof(FileInfoRecord, bitsPerPixel) == 12 && offsetof(FileInfoRecord, subtype) == 14 &&
                  offsetof(FileInfoRecord, fieldType) == 18 && offsetof(FileInfoRecord, alphaCode) == 22 &&
                  offsetof(FileInfoRecord, alphaInverted) == 26 &&
                  offsetof(FileInfoRecord, stillAndNoDuration) == 31 &&
                  offsetof(FileInfoRecord, pixelAspectNumerator) == 34 &&
                  offsetof(FileInfoRecord, pixelAspectDenominator) == 38 &&
                  offsetof(FileInfoRecord, rollCrawl) == 42 && offsetof(FileInfoRecord, importerId) == 46 &&
                  offsetof(FileInfoRecord, supportsAsyncIO) == 50 &&
                  offsetof(FileInfoRecord, supportsGetSourceVideo) == 54 &&
                  offsetof(FileInfoRecord, hasPulldown) == 58,
              "file-information record, video part");
static_assert(offsetof(FileInfoRecord, timeBase) == 162 && offsetof(FileInfoRecord, ticksPerFrame) == 166 &&
                  offsetof(FileInfoRecord, durationTicks) == 170 &&
                  offsetof(FileInfoRecord, audioChannels) == 174 &&
                  offsetof(FileInfoRecord, audioSampleRate) == 178 &&
                  offsetof(FileInfoRecord, audioSampleType) == 182 &&
                  offsetof(FileInfoRecord, audioDurationFrames) == 186 &&
                  offsetof(FileInfoRecord, accessValue) == 194 &&
                  offsetof(FileInfoRecord, privateData) == 198 &&
                  offsetof(FileInfoRecord, hasDataRate) == 206 &&
                  offsetof(FileInfoRecord, streamsAsComposition) == 211,
              "file-information record, audio and handle part");
static_assert(offsetof(PreferredFrameSizeRecord, pixelFormat) == 8 &&
                  offsetof(PreferredFrameSizeRecord, index) == 12 &&
                  offsetof(PreferredFrameSizeRecord, width) == 16 &&
                  offsetof(PreferredFrameSizeRecord, height) == 20,
              "preferred-frame-size record");
static_assert(offsetof(AsyncImporterCreationRecord, entry) == 8 &&
                  offsetof(AsyncImporterCreationRecord, asyncPrivateData) == 12,
              "asynchronous-importer creation record");
static_assert(offsetof(PixelFormatRecord, pixelFormat) == 4, "pixel-format record");
static_assert(offsetof(SourceVideoRecord, frameTime) == 8 && offsetof(SourceVideoRecord, formats) == 16 &&
                  offsetof(SourceVideoRecord, formatCount) == 20 &&
                  offsetof(SourceVideoRecord, outFrame) == 28,
              "source-video record");
static_assert(offsetof(FrameFormatEntry, pixelFormat) == 8 && sizeof(FrameFormatEntry) == 12,
              "frame format entry");
static_assert(offsetof(ImageImportRecord, width) == 4 && offsetof(ImageImportRecord, height) == 8 &&
                  offsetof(ImageImportRecord, rowBytes) == 0x2C &&
                  offsetof(ImageImportRecord, pixels) == 0x30 &&
                  offsetof(ImageImportRecord, pixelFormat) == 0x38 &&
                  offsetof(ImageImportRecord, timeScale) == 0x48 &&
                  offsetof(ImageImportRecord, time) == 0x54 && offsetof(ImageImportRecord, privateData) == 88,
              "image-import record");
static_assert(offsetof(AudioImportRecord, size) == 8 && offsetof(AudioImportRecord, buffers) == 12 &&
                  offsetof(AudioImportRecord, privateData) == 16,
              "audio-import record");
static_assert(offsetof(TimeInfoRecord, timecode) == 8 && offsetof(TimeInfoRecord, timeBase) == 26 &&
                  offsetof(TimeInfoRecord, ticksPerFrame) == 30 && offsetof(TimeInfoRecord, alternateTimecode) == 34 &&
                  offsetof(TimeInfoRecord, alternateTimeBase) == 52 &&
                  offsetof(TimeInfoRecord, alternateTicksPerFrame) == 56 && offsetof(TimeInfoRecord, reelName) == 60 &&
                  offsetof(TimeInfoRecord, alternateReelName) == 100 && offsetof(TimeInfoRecord, logComment) == 140 &&
                  offsetof(TimeInfoRecord, value396) == 396,
              "time-information record");
static_assert(offsetof(AnalysisRecord, bufferSize) == 8 && offsetof(AnalysisRecord, buffer) == 12, "analysis record");
static_assert(offsetof(DataRateRecord, bufferSize) == 8 && offsetof(DataRateRecord, buffer) == 12, "data-rate record");
static_assert(offsetof(TrimCheckRecord, requestedStart) == 8 && offsetof(TrimCheckRecord, requestedDuration) == 12 &&
                  offsetof(TrimCheckRecord, keepAudio) == 16 && offsetof(TrimCheckRecord, keepVideo) == 20 &&
                  offsetof(TrimCheckRecord, answeredStart) == 24 && offsetof(TrimCheckRecord, answeredDuration) == 28 &&
                  offsetof(TrimCheckRecord, ticksPerFrame) == 36,
              "trim-check record");
static_assert(offsetof(TrimFileRecord, trimIn) == 8 && offsetof(TrimFileRecord, duration) == 12 &&
                  offsetof(TrimFileRecord, keepAudio) == 16 && offsetof(TrimFileRecord, keepVideo) == 20 &&
                  offsetof(TrimFileRecord, destinationPath) == 24 && offsetof(TrimFileRecord, progress) == 28 &&
                  offsetof(TrimFileRecord, progressContext) == 32 && offsetof(TrimFileRecord, ticksPerFrame) == 36,
              "trim-file record");
#endif

}  // namespace krvx
