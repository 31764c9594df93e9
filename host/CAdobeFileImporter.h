// The host interfaces a per-file importer holds: the memory functions, the basic suite and five suites,
// and the tracking allocator its buffers and its decoder allocate through.
#pragma once
#include <cstdint>

namespace krvx {

class IAllocator;
struct HostBasicSuite;
struct HostMemoryFunctions;
struct imStdParms;

struct HostSuiteName {
    const char* name;
    int32_t version;
};

// The suites every importer acquires, in acquisition and release order.
constexpr int kImporterSuiteCount = 5;
extern const HostSuiteName kImporterSuites[kImporterSuiteCount];

class CAdobeFileImporter {
public:
    CAdobeFileImporter() = default;
    virtual ~CAdobeFileImporter();
    CAdobeFileImporter(const CAdobeFileImporter&) = delete;
    CAdobeFileImporter& operator=(const CAdobeFileImporter&) = delete;

    int32_t AcquireSuites(const imStdParms* stdParms);
    int32_t ReleaseSuites();

    const HostMemoryFunctions* MemoryFunctions() const { return m_memoryFunctions; }
    HostBasicSuite* BasicSuite() const { return m_basicSuite; }
    IAllocator* Allocator() const { return m_allocator; }

    const void* PPixCreatorSuite() const { return m_suites[0]; }
    const void* PPixCacheSuite() const { return m_suites[1]; }
    const void* PPixSuite() const { return m_suites[2]; }
    const void* TimeSuite() const { return m_suites[3]; }
    const void* MemoryManagerSuite() const { return m_suites[4]; }

protected:
    // Deletes the allocator when this importer owns it; called last in a derived destructor, after
    // everything that allocated through it is gone, so its leak report is the true one.
    void DeleteOwnedAllocator();

    // Uses `allocator` from now on; an owned one is deleted with the importer.
    void AdoptAllocator(IAllocator* allocator, bool owned);

    // Lets a derived importer hand the new allocator to buffers that have none yet.
    virtual void OnAllocatorCreated(IAllocator* allocator);

private:
    HostMemoryFunctions* m_memoryFunctions = nullptr;
    HostBasicSuite* m_basicSuite = nullptr;
    const void* m_suites[kImporterSuiteCount] = {};
    IAllocator* m_allocator = nullptr;
    bool m_ownsAllocator = false;
};

}  // namespace krvx
