#include "host/CAllocator.h"

#include <atomic>
#include <cstdlib>
#include <cstring>

#include "host/HostTables.h"
#include "host/HostAddress.h"
#include "platform/debug.h"

namespace krvx {

namespace {
// Diagnostics only: updated under whichever instance's lock does the work.
std::atomic<uint32_t> g_currentBytes{0};
std::atomic<uint32_t> g_peakBytes{0};
}  // namespace

CAllocator::CAllocator(const imStdParms* stdParms)
    : m_memoryFunctions(stdParms && stdParms->suites ? stdParms->suites->memoryFunctions : nullptr) {}

CAllocator::~CAllocator() {
    for (const auto& entry : m_blocks)
        platform::DebugPrintf("CAllocator::~CAllocator leaked block: " KRVX_ADDRESS_FORMAT ", size: %d\n",
                              AddressOf(entry.first), static_cast<int>(entry.second));
    platform::DebugPrintf("Peak memory usage: %d\n", static_cast<int>(g_peakBytes.load()));
}

void* CAllocator::Alloc(uint32_t size) {
    platform::ScopedLock lock(m_lock);
    void* block;
    if (m_memoryFunctions) {
        auto newPtr = HostSlot<HostNewPtrFn>(m_memoryFunctions, kMemNewPtr);
        block = newPtr ? newPtr(size) : nullptr;
        if (!block) platform::DebugPrintf("CAllocator::Alloc (memFuncs) failed size: %d\n", static_cast<int>(size));
    } else {
        block = std::malloc(size);
        if (!block) platform::DebugPrintf("CAllocator::Alloc (malloc) failed size: %d\n", static_cast<int>(size));
    }
    if (!block) return nullptr;

    if (!m_blocks.emplace(block, size).second)
        platform::DebugPrintf("CAllocator::Alloc duplicate block: " KRVX_ADDRESS_FORMAT "\n", AddressOf(block));
    uint32_t current = g_currentBytes.load() + size;
    g_currentBytes = current;
    if (current > g_peakBytes.load()) g_peakBytes = current;
    return block;
}

void CAllocator::Free(void* block) {
    platform::ScopedLock lock(m_lock);
    if (!block) return;
    // The block goes back first; the map is only bookkeeping.
    if (m_memoryFunctions) {
        auto disposePtr = HostSlot<HostDisposePtrFn>(m_memoryFunctions, kMemDisposePtr);
        if (disposePtr) disposePtr(static_cast<char*>(block));
    } else {
        std::free(block);
    }
    auto found = m_blocks.find(block);
    if (found == m_blocks.end()) {
        platform::DebugPrintf("CAllocator::Free missing block: " KRVX_ADDRESS_FORMAT "\n", AddressOf(block));
        return;
    }
    g_currentBytes = g_currentBytes.load() - found->second;
    m_blocks.erase(found);
}

void* CAllocator::AllocAligned(uint32_t size, uint32_t alignment) {
    uint64_t total = static_cast<uint64_t>(size) + alignment + kAlignedHeaderSize - 1;
    if (alignment == 0 || total > UINT32_MAX) return nullptr;
    void* block = Alloc(static_cast<uint32_t>(total));
    if (!block) return nullptr;
    uintptr_t base = AddressOf(block);
    uintptr_t aligned = (base + alignment + kAlignedHeaderSize - 1) / alignment * alignment;
    if (aligned - base < kAlignedHeaderSize) {
        Free(block);
        return nullptr;
    }
    char* header = reinterpret_cast<char*>(aligned - kAlignedHeaderSize);
    std::memcpy(header, &kAlignedBlockMarker, 4);
    std::memcpy(header + 4, &block, sizeof(block));
    std::memcpy(header + 4 + sizeof(block), &kAlignedBlockMarker, 4);
    return reinterpret_cast<void*>(aligned);
}

void CAllocator::FreeAligned(void* block) {
    if (!block) return;
    const char* header = static_cast<const char*>(block) - kAlignedHeaderSize;
    uint32_t leading, trailing;
    void* underlying;
    std::memcpy(&leading, header, 4);
    std::memcpy(&underlying, header + 4, sizeof(underlying));
    std::memcpy(&trailing, header + 4 + sizeof(underlying), 4);
    if (leading == kAlignedBlockMarker && trailing == kAlignedBlockMarker) Free(underlying);
}

size_t CAllocator::LiveBlockCount() {
    platform::ScopedLock lock(m_lock);
    return m_blocks.size();
}

uint32_t CAllocator::CurrentBytes() { return g_currentBytes.load(); }
uint32_t CAllocator::PeakBytes() { return g_peakBytes.load(); }

}  // namespace krvx
