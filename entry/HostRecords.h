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
#endif

// Reads a host table slot as the function type it holds.
template <typename Function, typename Table>
Function HostSlot(const Table* table, int slot) {
    return table ? reinterpret_cast<Function>(table->slot[slot]) : nullptr;
}

}  // namespace krvx
