// The host's parameter records as this plug-in reads and writes them. Only the positions the plug-in
// uses are described; the host owns everything else.
#pragma once
#include <cstddef>
#include <cstdint>

#include "host/HostTables.h"

namespace krvx {

// imInit's importer-information record. The plug-in writes fixed values at offsets 8 to 72 whose
// meaning is the host's, so those fields are named by their offsets; the gaps between them are the
// host's and are left as it filled them. The record's real size is the host's too.
struct ImporterInfoRecord {
    int32_t reserved0;
    int32_t reserved4;
    int32_t offset8;
    int32_t offset12;
    int32_t reserved16;
    int32_t reserved20;
    int32_t offset24;
    int32_t offset28;
    int32_t offset32;
    int32_t offset36;
    int32_t offset40;
    int32_t offset44;
    int32_t offset48;
    int32_t offset52;
    int32_t reserved56;
    int32_t reserved60;
    int32_t offset64;
    int32_t offset68;
    int32_t offset72;  // written only for host interface version 6 and above
};

// imGetMetaData's record: three 32-bit fields it clears, whose meaning is the host's.
struct MetaDataRecord {
    int32_t reserved0;
    int32_t reserved4;
    int32_t offset8;
    int32_t offset12;
    int32_t offset16;
};

// The private-data handle: a pointer to the master pointer that points at the importer's bytes.
using PrivateDataHandle = char**;

// The host's file type for AVI files: "AVIV", first character most significant.
constexpr int32_t kFileTypeAVIV = 0x41564956;

// imGetIndFormat's record.
struct FormatRecord {
    int32_t fileType;
    int32_t flags;
    int32_t offset8;  // set to 1; its meaning is the host's
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
    uint8_t firstTime;    // the first-time flag: at 1 the plug-in answers at once
};

// The field type the file-information record gives the host.
enum FieldType : uint8_t {
    kFieldTypeProgressive = 0,
    kFieldTypeFieldOrder1 = 1,  // the two field orders, from the sample's field values 2 and 3
    kFieldTypeFieldOrder2 = 2,
    kFieldTypeUnknownOrder = 3,
};

// The alpha code the file-information record gives the host: whether the clip carries alpha.
enum AlphaCode : uint8_t {
    kAlphaCodeAlpha = 1,
    kAlphaCodeNoAlpha = 5,
};

// The audio sample type code; its meaning is the host's. The plug-in answers this one for every clip
// with audio.
enum AudioSampleType : int32_t {
    kAudioSampleType8 = 8,
};

// The access value at 194, written from host interface version 6 on (0 before); its meaning is the host's.
constexpr int32_t kAccessValueFromVersion6 = 4;

#pragma pack(push, 1)
// imGetInfo8's file-information record, packed as the host lays it out. The fields named by their offsets
// hold fixed values whose meaning is the host's.
struct FileInfoRecord {
    uint8_t hasVideo;
    uint8_t hasAudio;
    int32_t width;
    int32_t height;
    uint8_t reserved10[2];
    int16_t bitsPerPixel;
    int32_t subtype;
    uint8_t fieldType;  // a FieldType
    uint8_t reserved19[3];
    uint8_t alphaCode;  // an AlphaCode
    uint8_t reserved23[3];
    uint8_t offset26;
    uint8_t reserved27[4];
    int16_t offset31;
    uint8_t reserved33;
    int32_t pixelAspectNumerator;
    int32_t pixelAspectDenominator;
    uint8_t offset42;
    uint8_t reserved43[3];
    int32_t importerId;
    int32_t offset50;
    int32_t offset54;
    int32_t offset58;
    uint8_t reserved62[100];
    int32_t timeBase;
    int32_t ticksPerFrame;
    int32_t durationTicks;
    int32_t audioChannels;
    float audioSampleRate;
    int32_t audioSampleType;  // an AudioSampleType
    int64_t audioDurationFrames;
    int32_t accessValue;
    PrivateDataHandle privateData;
    uint8_t reserved202[4];
    uint8_t offset206;
    uint8_t reserved207[4];
    uint8_t offset211;
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
    int32_t offset396;  // set to 1; its meaning is the host's
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
static_assert(offsetof(MetaDataRecord, offset8) == 8 && offsetof(MetaDataRecord, offset12) == 12 &&
                  offsetof(MetaDataRecord, offset16) == 16,
              "metadata fields at 8, 12, 16");
static_assert(
    offsetof(ImporterInfoRecord, offset8) == 8 && offsetof(ImporterInfoRecord, offset12) == 12 &&
        offsetof(ImporterInfoRecord, offset24) == 24 && offsetof(ImporterInfoRecord, offset28) == 28 &&
        offsetof(ImporterInfoRecord, offset32) == 32 && offsetof(ImporterInfoRecord, offset36) == 36 &&
        offsetof(ImporterInfoRecord, offset40) == 40 && offsetof(ImporterInfoRecord, offset44) == 44 &&
        offsetof(ImporterInfoRecord, offset48) == 48 && offsetof(ImporterInfoRecord, offset52) == 52 &&
        offsetof(ImporterInfoRecord, offset64) == 64 && offsetof(ImporterInfoRecord, offset68) == 68 &&
        offsetof(ImporterInfoRecord, offset72) == 72,
    "importer information fields at their offsets");
static_assert(sizeof(ImporterInfoRecord) == 76, "importer information up to offset 72");
static_assert(offsetof(FormatRecord, flags) == 4 && offsetof(FormatRecord, offset8) == 8 &&
                  offsetof(FormatRecord, formatName) == 12 && offsetof(FormatRecord, shortName) == 268 &&
                  offsetof(FormatRecord, platformExtension) == 300,
              "format record");
static_assert(sizeof(SubTypeEntry) == 516, "subtype entries of 516 bytes");
static_assert(offsetof(FileOpenRecord, fileType) == 4 && offsetof(FileOpenRecord, path) == 8 &&
                  offsetof(FileOpenRecord, fileReference) == 12 &&
                  offsetof(FileOpenRecord, privateData) == 20 && offsetof(FileOpenRecord, access) == 28,
              "file-open record");
static_assert(offsetof(FileAccessRecord, path) == 8, "file-access record path");
static_assert(offsetof(PrefsRecord, prefsLength) == 4 && offsetof(PrefsRecord, firstTime) == 8,
              "preferences record");
static_assert(offsetof(FileInfoRecord, hasAudio) == 1 && offsetof(FileInfoRecord, width) == 2 &&
                  offsetof(FileInfoRecord, height) == 6 && offsetof(FileInfoRecord, bitsPerPixel) == 12 &&
                  offsetof(FileInfoRecord, subtype) == 14 && offsetof(FileInfoRecord, fieldType) == 18 &&
                  offsetof(FileInfoRecord, alphaCode) == 22 && offsetof(FileInfoRecord, offset26) == 26 &&
                  offsetof(FileInfoRecord, offset31) == 31 &&
                  offsetof(FileInfoRecord, pixelAspectNumerator) == 34 &&
                  offsetof(FileInfoRecord, pixelAspectDenominator) == 38 &&
                  offsetof(FileInfoRecord, offset42) == 42 && offsetof(FileInfoRecord, importerId) == 46 &&
                  offsetof(FileInfoRecord, offset50) == 50 && offsetof(FileInfoRecord, offset54) == 54 &&
                  offsetof(FileInfoRecord, offset58) == 58,
              "file-information record, video part");
static_assert(offsetof(FileInfoRecord, timeBase) == 162 && offsetof(FileInfoRecord, ticksPerFrame) == 166 &&
                  offsetof(FileInfoRecord, durationTicks) == 170 &&
                  offsetof(FileInfoRecord, audioChannels) == 174 &&
                  offsetof(FileInfoRecord, audioSampleRate) == 178 &&
                  offsetof(FileInfoRecord, audioSampleType) == 182 &&
                  offsetof(FileInfoRecord, audioDurationFrames) == 186 &&
                  offsetof(FileInfoRecord, accessValue) == 194 &&
                  offsetof(FileInfoRecord, privateData) == 198 &&
                  offsetof(FileInfoRecord, offset206) == 206 && offsetof(FileInfoRecord, offset211) == 211,
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
                  offsetof(TimeInfoRecord, ticksPerFrame) == 30 &&
                  offsetof(TimeInfoRecord, alternateTimecode) == 34 &&
                  offsetof(TimeInfoRecord, alternateTimeBase) == 52 &&
                  offsetof(TimeInfoRecord, alternateTicksPerFrame) == 56 &&
                  offsetof(TimeInfoRecord, reelName) == 60 &&
                  offsetof(TimeInfoRecord, alternateReelName) == 100 &&
                  offsetof(TimeInfoRecord, logComment) == 140 && offsetof(TimeInfoRecord, offset396) == 396,
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
