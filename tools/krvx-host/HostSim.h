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
namespace sim {

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
    void SetFileManagerSuiteAvailable(bool available);
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

    // A suite withheld is answered as unknown when the plug-in asks for it.
    void WithholdSuite(const std::string& name, bool withheld);

    // Host frames the plug-in created and not yet given back, and a look at one of them.
    struct FrameView {
        uint32_t pixelFormat = 0;
        int32_t width = 0;
        int32_t height = 0;
        int32_t rowBytes = 0;
        const uint8_t* pixels = nullptr;  // first row in memory
    };
    size_t LiveFrames() const;
    size_t FramesCreated() const;
    bool Frame(PPixHand frame, FrameView* view) const;
    // Gives back a frame the plug-in handed over, as the host does when it is done with it.
    void DisposeFrame(PPixHand frame);

    // Acquire and release calls per suite name, and the names in call order.
    int Acquired(const std::string& name) const;
    int Released(const std::string& name) const;
    const std::vector<std::string>& AcquireOrder() const { return m_acquireOrder; }
    const std::vector<std::string>& ReleaseOrder() const { return m_releaseOrder; }

private:
    friend struct HostCallbacks;
    static HostSim* s_current;

    bool TakeAllocation();
    bool IsWithheld(const char* name) const;

    imStdParms m_stdParms{};
    HostSuiteTable m_suites{};
    HostMemoryFunctions m_memory{};
    HostUtilityFunctions m_utility{};
    HostBasicSuite m_basic{};
    bool m_basicSuiteAvailable = true;

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
    std::set<std::string> m_withheld;
    struct SimFrame;
    std::set<SimFrame*> m_frames;
    SimFrame* m_spare = nullptr;  // the last frame given back, kept for the next of its size
    size_t m_framesCreated = 0;
    std::vector<std::u16string> m_refreshed;
};

// Bytes per pixel of a host pixel format the simulator makes frames of; 0 for any other.
int32_t HostBytesPerPixel(uint32_t pixelFormat);

}  // namespace sim
}  // namespace krvx
