// The host side of the plug-in interface: memory functions with real handles, the suite table, the
// utility functions with the basic suite, and suites by name and version. One instance per process,
// since the host's tables hold plain functions.
#pragma once
#include <cstddef>
#include <cstdint>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "host/HostTables.h"
#include "host/HostTime.h"

namespace krvx {
namespace host {

class HostSim {
public:
    explicit HostSim(int32_t interfaceVersion = 8);
    ~HostSim();
    HostSim(const HostSim&) = delete;
    HostSim& operator=(const HostSim&) = delete;

    imStdParms* StdParms() { return &m_stdParms; }
    HostMemoryFunctions* MemoryFunctions() { return &m_memory; }

    // Without a basic suite the utility function returns null, as a host that offers none does.
    void SetBasicSuiteAvailable(bool available) { m_basicSuiteAvailable = available; }

    // Without it, asking for the "Importer File Manager Suite" fails, as on a host that offers none.
    void SetFileManagerSuiteAvailable(bool available) { m_fileManagerAvailable = available; }
    // The paths the plug-in asked the host to refresh through the file manager suite, in call order.
    std::vector<std::u16string> RefreshedFiles() const;

    // Fails the n-th host allocation from now on (1 = the next one), 0 for never.
    void FailAllocationNumber(uint64_t n);
    uint64_t AllocationCount() const { return m_allocations; }

    // Blocks and handles the plug-in holds now.
    size_t LiveBlocks() const;
    size_t LiveHandles() const;

    // Host memory reservations asked for through the Memory Manager Suite: (importer id, bytes).
    std::vector<std::pair<int32_t, uint32_t>> Reservations() const;

    // Acquire and release calls per suite name, and the names in call order.
    int Acquired(const std::string& name) const;
    int Released(const std::string& name) const;
    const std::vector<std::string>& AcquireOrder() const { return m_acquireOrder; }
    const std::vector<std::string>& ReleaseOrder() const { return m_releaseOrder; }

private:
    friend struct HostCallbacks;
    static HostSim* s_current;

    bool TakeAllocation();

    imStdParms m_stdParms{};
    HostSuiteTable m_suites{};
    HostMemoryFunctions m_memory{};
    HostUtilityFunctions m_utility{};
    HostBasicSuite m_basic{};
    bool m_basicSuiteAvailable = true;
    bool m_fileManagerAvailable = true;

    mutable std::mutex m_lock;
    uint64_t m_allocations = 0;
    uint64_t m_failAt = 0;
    std::set<void*> m_blocks;
    std::set<char**> m_handles;
    std::vector<std::pair<int32_t, uint32_t>> m_reservations;
    std::map<std::string, int> m_acquired;
    std::map<std::string, int> m_released;
    std::vector<std::string> m_acquireOrder;
    std::vector<std::string> m_releaseOrder;
    std::vector<std::u16string> m_refreshed;
};

}  // namespace host
}  // namespace krvx
