#include "host/CAdobeFileImporter.h"

#include "host/HostTables.h"
#include "host/CAllocator.h"
#include "host/HostMemory.h"

namespace krvx {

const HostSuiteName kImporterSuites[kImporterSuiteCount] = {
    {"Premiere PPix Creator Suite", 1}, {"Premiere PPix Cache Suite", 5},     {"Premiere PPix Suite", 1},
    {"Premiere Time Suite", 1},         {"Premiere Memory Manager Suite", 3},
};

CAdobeFileImporter::~CAdobeFileImporter() { DeleteOwnedAllocator(); }

int32_t CAdobeFileImporter::AcquireSuites(const imStdParms* stdParms) {
    HostSuiteTable* suites = stdParms ? stdParms->suites : nullptr;
    m_memoryFunctions = suites ? suites->memoryFunctions : nullptr;

    auto getBasicSuite = HostSlot<HostGetBasicSuiteFn>(suites ? suites->utilityFunctions : nullptr, kUtilGetBasicSuite);
    m_basicSuite = getBasicSuite ? getBasicSuite() : nullptr;
    if (m_basicSuite) {
        // A suite the host does not give stays null; its users test for that.
        auto acquire = HostSlot<HostAcquireSuiteFn>(m_basicSuite, kBasicAcquireSuite);
        for (int i = 0; i < kImporterSuiteCount && acquire; ++i)
            acquire(kImporterSuites[i].name, kImporterSuites[i].version, &m_suites[i]);
    }

    AdoptAllocator(new CAllocator(stdParms), true);
    OnAllocatorCreated(m_allocator);

    if (stdParms) SetProcessMemoryFunctions(m_memoryFunctions);
    return 0;
}

int32_t CAdobeFileImporter::ReleaseSuites() {
    if (!m_basicSuite) return 0;
    auto release = HostSlot<HostReleaseSuiteFn>(m_basicSuite, kBasicReleaseSuite);
    for (int i = 0; i < kImporterSuiteCount && release; ++i) {
        release(kImporterSuites[i].name, kImporterSuites[i].version);
        m_suites[i] = nullptr;
    }
    return 0;
}

void CAdobeFileImporter::AdoptAllocator(IAllocator* allocator, bool owned) {
    DeleteOwnedAllocator();
    m_allocator = allocator;
    m_ownsAllocator = owned;
}

void CAdobeFileImporter::DeleteOwnedAllocator() {
    if (m_ownsAllocator) delete m_allocator;
    m_allocator = nullptr;
    m_ownsAllocator = false;
}

void CAdobeFileImporter::OnAllocatorCreated(IAllocator*) {}

}  // namespace krvx
