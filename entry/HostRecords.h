// The host's records and function tables as this plug-in reads and writes them. Only the positions the
// plug-in uses are described; the host owns everything else. Function tables are arrays of slots: slot N
// sits at byte offset N * 4 on the 32-bit target and is slot N on every target.
#pragma once
#include <cstddef>
#include <cstdint>

namespace krvx {

// Host result codes returned from xImportEntry.
enum HostResult : int32_t {
    kImNoErr = 0,
    kImBadFile = 2,
    kImUnsupported = 3,
    kImMemErr = 4,
    kImOtherErr = 5,
    kImNoContent = 16,
    kImSetFile = 17,
    kImCantTrim = 20,
    kImIterateFrameSizes = 24,
    kImNoAudio = 99,
    kImSupports7 = 100,
    kImSupports8 = 101,
    kImBadFormatIndex = 301,
};

// Every host function is called with the platform's default C calling convention.
using HostFunction = void (*)();

// Memory-function table.
enum HostMemorySlot : int {
    kMemNewPtr = 0,         // char* (uint32_t size)
    kMemDisposePtr = 3,     // void (char* block)
    kMemNewHandle = 4,      // char** (uint32_t size)
    kMemDisposeHandle = 7,  // void (char** handle)
    kMemNewPtrClear = 8,    // char* (uint32_t size)
    kHostMemorySlotCount = 12,
};
using HostNewPtrFn = char* (*)(uint32_t size);
using HostDisposePtrFn = void (*)(char* block);
using HostNewHandleFn = char** (*)(uint32_t size);
using HostDisposeHandleFn = void (*)(char** handle);

struct HostMemoryFunctions {
    HostFunction slot[kHostMemorySlotCount];
};

// Basic suite: acquire and release other suites by name and version.
enum HostBasicSuiteSlot : int { kBasicAcquireSuite = 0, kBasicReleaseSuite = 1, kHostBasicSuiteSlotCount = 8 };
using HostAcquireSuiteFn = int32_t (*)(const char* name, int32_t version, const void** suite);
using HostReleaseSuiteFn = int32_t (*)(const char* name, int32_t version);

struct HostBasicSuite {
    HostFunction slot[kHostBasicSuiteSlotCount];
};

// Utility-function table: slot 7 returns the basic suite or null.
enum HostUtilitySlot : int { kUtilGetBasicSuite = 7, kHostUtilitySlotCount = 12 };
using HostGetBasicSuiteFn = HostBasicSuite* (*)();

struct HostUtilityFunctions {
    HostFunction slot[kHostUtilitySlotCount];
};

// Time Suite: slot 0 gives the host's ticks per second.
enum HostTimeSuiteSlot : int { kTimeGetTicksPerSecond = 0 };
using HostGetTicksPerSecondFn = int32_t (*)(int64_t* ticksPerSecond);

// Memory Manager Suite: slot 0 reserves host memory for an importer identifier.
enum HostMemoryManagerSlot : int { kMemoryManagerReserve = 0 };
using HostReserveMemoryFn = int32_t (*)(int32_t importerId, uint32_t bytes);

// The suites are tables of slots too.
struct HostSuite {
    HostFunction slot[16];
};

// The suite table reached from imStdParms: slot 1 the memory functions, slot 4 the utility functions.
struct HostSuiteTable {
    int32_t reserved0;
    HostMemoryFunctions* memoryFunctions;
    void* reserved2;
    void* reserved3;
    HostUtilityFunctions* utilityFunctions;
};

struct imStdParms {
    int32_t interfaceVersion;
    int32_t reserved4;
    HostSuiteTable* suites;
};

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
    int32_t value8;
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
    uint8_t value26;
    uint8_t reserved27[4];
    int16_t value31;
    uint8_t reserved33;
    int32_t pixelAspectNumerator;
    int32_t pixelAspectDenominator;
    uint8_t value42;
    uint8_t reserved43[3];
    int32_t importerId;
    int32_t value50;
    int32_t value54;
    int32_t value58;
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
    uint8_t value206;
    uint8_t reserved207[4];
    uint8_t value211;
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

#if UINTPTR_MAX == 0xFFFFFFFFu
static_assert(offsetof(imStdParms, interfaceVersion) == 0, "imStdParms version at 0");
static_assert(offsetof(imStdParms, suites) == 8, "imStdParms suite table at 8");
static_assert(offsetof(HostSuiteTable, memoryFunctions) == 4, "memory functions at 4");
static_assert(offsetof(HostSuiteTable, utilityFunctions) == 16, "utility functions at 16");
static_assert(kMemNewHandle * sizeof(HostFunction) == 16, "new handle at 16");
static_assert(kMemDisposeHandle * sizeof(HostFunction) == 28, "dispose handle at 28");
static_assert(kMemDisposePtr * sizeof(HostFunction) == 12, "dispose pointer at 12");
static_assert(kMemNewPtrClear * sizeof(HostFunction) == 32, "cleared allocation at 32");
static_assert(kUtilGetBasicSuite * sizeof(HostFunction) == 28, "basic suite at 28");
static_assert(offsetof(MetaDataRecord, value8) == 8 && offsetof(MetaDataRecord, value16) == 16,
              "metadata fields at 8, 12, 16");
static_assert(sizeof(ImporterInfoRecord) == 76, "importer information up to offset 72");
static_assert(offsetof(FormatRecord, formatName) == 12 && offsetof(FormatRecord, shortName) == 268 &&
                  offsetof(FormatRecord, platformExtension) == 300,
              "format record strings");
static_assert(sizeof(SubTypeEntry) == 516, "subtype entries of 516 bytes");
static_assert(offsetof(FileOpenRecord, fileType) == 4 && offsetof(FileOpenRecord, path) == 8 &&
                  offsetof(FileOpenRecord, fileReference) == 12 && offsetof(FileOpenRecord, privateData) == 20 &&
                  offsetof(FileOpenRecord, access) == 28,
              "file-open record");
static_assert(offsetof(FileAccessRecord, path) == 8, "file-access record path");
static_assert(offsetof(FileInfoRecord, width) == 2 && offsetof(FileInfoRecord, height) == 6 &&
                  offsetof(FileInfoRecord, bitsPerPixel) == 12 && offsetof(FileInfoRecord, subtype) == 14 &&
                  offsetof(FileInfoRecord, fieldType) == 18 && offsetof(FileInfoRecord, alphaCode) == 22 &&
                  offsetof(FileInfoRecord, value26) == 26 && offsetof(FileInfoRecord, value31) == 31 &&
                  offsetof(FileInfoRecord, pixelAspectNumerator) == 34 &&
                  offsetof(FileInfoRecord, pixelAspectDenominator) == 38 && offsetof(FileInfoRecord, value42) == 42 &&
                  offsetof(FileInfoRecord, importerId) == 46 && offsetof(FileInfoRecord, value50) == 50 &&
                  offsetof(FileInfoRecord, value54) == 54 && offsetof(FileInfoRecord, value58) == 58,
              "file-information record, video part");
static_assert(offsetof(FileInfoRecord, timeBase) == 162 && offsetof(FileInfoRecord, ticksPerFrame) == 166 &&
                  offsetof(FileInfoRecord, durationTicks) == 170 && offsetof(FileInfoRecord, audioChannels) == 174 &&
                  offsetof(FileInfoRecord, audioSampleRate) == 178 &&
                  offsetof(FileInfoRecord, audioSampleType) == 182 &&
                  offsetof(FileInfoRecord, audioDurationFrames) == 186 &&
                  offsetof(FileInfoRecord, accessValue) == 194 && offsetof(FileInfoRecord, privateData) == 198 &&
                  offsetof(FileInfoRecord, value206) == 206 && offsetof(FileInfoRecord, value211) == 211,
              "file-information record, audio and handle part");
static_assert(offsetof(PreferredFrameSizeRecord, pixelFormat) == 8 && offsetof(PreferredFrameSizeRecord, index) == 12 &&
                  offsetof(PreferredFrameSizeRecord, width) == 16 && offsetof(PreferredFrameSizeRecord, height) == 20,
              "preferred-frame-size record");
static_assert(offsetof(AsyncImporterCreationRecord, entry) == 8 &&
                  offsetof(AsyncImporterCreationRecord, asyncPrivateData) == 12,
              "asynchronous-importer creation record");
static_assert(offsetof(PixelFormatRecord, pixelFormat) == 4, "pixel-format record");
#endif

// Reads a host table slot as the function type it holds.
template <typename Function, typename Table>
Function HostSlot(const Table* table, int slot) {
    return table ? reinterpret_cast<Function>(table->slot[slot]) : nullptr;
}

}  // namespace krvx
