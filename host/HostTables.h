// The host's function tables as this plug-in calls them: the memory functions, the basic suite, the
// utility functions, the suites, and imStdParms that reaches them. Tables are arrays of slots: slot N
// sits at byte offset N * 4 on the 32-bit target and is slot N on every target.
#pragma once
#include <cstddef>
#include <cstdint>

namespace krvx {

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
enum HostBasicSuiteSlot : int {
    kBasicAcquireSuite = 0,
    kBasicReleaseSuite = 1,
    kHostBasicSuiteSlotCount = 8
};
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

// Host frames ("PPix") are opaque handles the host creates and disposes of.
struct HostFrame;
using PPixHand = HostFrame**;

// A host rectangle: left, top, right, bottom.
struct HostRect {
    int32_t left;
    int32_t top;
    int32_t right;
    int32_t bottom;
};

// PPix Creator Suite: slot 0 creates a frame of a pixel format and bounds; 0 on success.
enum HostPPixCreatorSlot : int { kPPixCreatorCreate = 0 };
using HostCreatePPixFn = int32_t (*)(PPixHand* frame, int32_t access, uint32_t pixelFormat,
                                     const HostRect* bounds);

// PPix Suite: slot 0 disposes of a frame, slot 1 gives the address of its first row in memory, slot 3
// its row bytes. The unpacked formats keep their rows bottom-up (the first row in memory is the bottom
// of the picture); packed 4:2:2 keeps them top-down.
enum HostPPixSlot : int { kPPixDispose = 0, kPPixGetPixels = 1, kPPixGetBounds = 2, kPPixGetRowBytes = 3 };
using HostDisposePPixFn = int32_t (*)(PPixHand frame);
using HostGetPixelsFn = int32_t (*)(PPixHand frame, int32_t access, char** pixels);
using HostGetBoundsFn = int32_t (*)(PPixHand frame, HostRect* bounds);
using HostGetRowBytesFn = int32_t (*)(PPixHand frame, int32_t* rowBytes);

// Importer File Manager Suite, version 2: slot 1 asks the host to refresh a file, given a UTF-16 path.
enum HostFileManagerSlot : int { kFileManagerRefreshFile = 1 };
using HostRefreshFileFn = int32_t (*)(const char16_t* path);

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
#endif

// Reads a host table slot as the function type it holds.
template <typename Function, typename Table>
Function HostSlot(const Table* table, int slot) {
    return table ? reinterpret_cast<Function>(table->slot[slot]) : nullptr;
}

}  // namespace krvx
