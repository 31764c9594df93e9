// The tracking allocator: what it hands out, what it reports, and its counters, alone and under threads.
#include <gtest/gtest.h>

#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <thread>
#include <vector>

#include "host/CAllocator.h"
#include "host/CImporterAllocator.h"
#include "host/CMemAlloc.h"
#include "host/HostTables.h"
#include "tests/host/DebugCapture.h"
#include "tools/krvx-host/HostSim.h"

using namespace krvx;
using krvx::testing_support::DebugCaptureScope;

namespace {

std::string Address(const void* p) {
    char text[32];
    std::snprintf(text, sizeof(text), "0x%08" PRIXPTR, reinterpret_cast<uintptr_t>(p));
    return text;
}

// The lines that name a block, by its address as the diagnostics print addresses.
size_t LinesNaming(const std::vector<std::string>& lines, const void* block) {
    return static_cast<size_t>(std::count_if(lines.begin(), lines.end(), [block](const std::string& line) {
        return line.find(Address(block)) != std::string::npos;
    }));
}

// A host whose allocation hands out whatever address the test sets, to provoke duplicates, and whose
// release only counts, so a block released twice does no harm.
char* g_nextBlock = nullptr;
std::vector<uint32_t> g_requestedSizes;
std::vector<char*> g_disposed;
char* FixedNewPtr(uint32_t size) {
    g_requestedSizes.push_back(size);
    return g_nextBlock;
}
void CountDispose(char* block) {
    g_disposed.push_back(block);
}

struct FixedHost {
    HostMemoryFunctions memory{};
    HostSuiteTable suites{};
    imStdParms std{};
    FixedHost() {
        memory.slot[kMemNewPtr] = reinterpret_cast<HostFunction>(&FixedNewPtr);
        memory.slot[kMemDisposePtr] = reinterpret_cast<HostFunction>(&CountDispose);
        suites.memoryFunctions = &memory;
        std.suites = &suites;
        g_requestedSizes.clear();
        g_disposed.clear();
    }
};

TEST(AllocatorTest, AlignedBlocksAreAlignedWholeAndGoBackAsOneEntry) {
    for (uint32_t alignment : {4u, 16u, 64u, 4096u}) {
        CAllocator allocator(nullptr);
        uint32_t start = CAllocator::CurrentBytes();
        char* block = static_cast<char*>(allocator.AllocAligned(1000, alignment));
        ASSERT_NE(block, nullptr);
        EXPECT_EQ(reinterpret_cast<uintptr_t>(block) % alignment, 0u);
        // Every byte is the caller's: AddressSanitizer stops a block that ends past its allocation.
        std::memset(block, 0xEE, 1000);
        EXPECT_EQ(allocator.LiveBlockCount(), 1u);
        allocator.FreeAligned(block);
        EXPECT_EQ(allocator.LiveBlockCount(), 0u);
        EXPECT_EQ(CAllocator::CurrentBytes(), start);
    }
}

TEST(AllocatorTest, AlignedBlockLiesInsideWhatTheHostGave) {
    FixedHost host;
    std::vector<char> arena(2048);
    for (size_t misalignment : {0u, 1u, 7u, 15u}) {
        g_nextBlock = arena.data() + misalignment;
        g_requestedSizes.clear();
        CAllocator allocator(&host.std);
        char* block = static_cast<char*>(allocator.AllocAligned(1000, 16));
        ASSERT_NE(block, nullptr);
        ASSERT_EQ(g_requestedSizes.size(), 1u);
        EXPECT_GE(block, g_nextBlock);
        EXPECT_LE(block + 1000, g_nextBlock + g_requestedSizes[0]) << "misaligned by " << misalignment;
        allocator.FreeAligned(block);
        // The host gets back the address it gave, not the aligned one.
        ASSERT_EQ(g_disposed.size(), 1u);
        EXPECT_EQ(g_disposed[0], g_nextBlock);
        g_disposed.clear();
    }
}

TEST(AllocatorTest, FreeAlignedRefusesForeignPointersAndDamagedBlocks) {
    FixedHost host;
    std::vector<char> arena(2048);
    g_nextBlock = arena.data();
    DebugCaptureScope capture;
    {
        CAllocator allocator(&host.std);
        // A pointer the aligned allocation never gave out is not released.
        std::vector<char> plain(64, 0);
        allocator.FreeAligned(plain.data() + 32);
        allocator.FreeAligned(nullptr);
        EXPECT_TRUE(g_disposed.empty());

        // A write just below an aligned block (an overrun of whatever lies before it) makes the block
        // unknown to FreeAligned: it stays live and is reported as a leak, never released wrongly.
        char* block = static_cast<char*>(allocator.AllocAligned(100, 16));
        ASSERT_NE(block, nullptr);
        block[-1] ^= 0x55;
        allocator.FreeAligned(block);
        EXPECT_TRUE(g_disposed.empty());
        EXPECT_EQ(allocator.LiveBlockCount(), 1u);
        capture.Take();
    }
    EXPECT_EQ(LinesNaming(capture.Take(), arena.data()), 1u);
}

TEST(AllocatorTest, DuplicateAddressIsReportedAndKeepsTheFirstSize) {
    FixedHost host;
    std::vector<char> arena(256);
    g_nextBlock = arena.data();
    CAllocator allocator(&host.std);
    DebugCaptureScope capture;
    uint32_t before = CAllocator::CurrentBytes();
    ASSERT_EQ(allocator.Alloc(100), arena.data());
    EXPECT_TRUE(capture.Take().empty());
    ASSERT_EQ(allocator.Alloc(30), arena.data());
    EXPECT_EQ(LinesNaming(capture.Take(), arena.data()), 1u);
    EXPECT_EQ(allocator.LiveBlockCount(), 1u);
    allocator.Free(arena.data());
    // The map held 100 bytes for the block; the second 30 stay counted, as the host really gave them.
    EXPECT_EQ(CAllocator::CurrentBytes(), before + 30);
    EXPECT_EQ(allocator.LiveBlockCount(), 0u);
}

TEST(AllocatorTest, DoubleAndForeignFreesAreReportedAndLeaveTheCountsAlone) {
    FixedHost host;
    std::vector<char> arena(256);
    g_nextBlock = arena.data();
    CAllocator allocator(&host.std);
    DebugCaptureScope capture;
    uint32_t before = CAllocator::CurrentBytes();
    ASSERT_EQ(allocator.Alloc(64), arena.data());
    allocator.Free(arena.data());
    EXPECT_TRUE(capture.Take().empty());
    EXPECT_EQ(CAllocator::CurrentBytes(), before);

    // The second free finds no block: it is reported, and nothing is taken off the counts twice.
    allocator.Free(arena.data());
    EXPECT_EQ(LinesNaming(capture.Take(), arena.data()), 1u);
    EXPECT_EQ(CAllocator::CurrentBytes(), before);
    EXPECT_EQ(allocator.LiveBlockCount(), 0u);

    char foreign[8];
    allocator.Free(foreign);
    EXPECT_EQ(LinesNaming(capture.Take(), foreign), 1u);
    EXPECT_EQ(CAllocator::CurrentBytes(), before);
}

TEST(AllocatorTest, FailedAllocationsAnswerNullAndAreReported) {
    FixedHost host;
    g_nextBlock = nullptr;
    CAllocator withHost(&host.std);
    DebugCaptureScope capture;
    uint32_t before = CAllocator::CurrentBytes();
    EXPECT_EQ(withHost.Alloc(77), nullptr);
    EXPECT_EQ(withHost.AllocAligned(77, 16), nullptr);
    EXPECT_EQ(capture.Take().size(), 2u);
    EXPECT_EQ(withHost.LiveBlockCount(), 0u);
    EXPECT_EQ(CAllocator::CurrentBytes(), before);
    // A request whose size and alignment do not fit 32 bits is refused before the host is asked.
    g_requestedSizes.clear();
    EXPECT_EQ(withHost.AllocAligned(UINT32_MAX - 8, 16), nullptr);
    EXPECT_TRUE(g_requestedSizes.empty());
}

TEST(AllocatorTest, FreeNullIsSilent) {
    CAllocator allocator(nullptr);
    DebugCaptureScope capture;
    allocator.Free(nullptr);
    EXPECT_TRUE(capture.Take().empty());
}

TEST(AllocatorTest, DestructionReportsEachLeakInAddressOrder) {
    DebugCaptureScope capture;
    std::vector<void*> blocks;
    void* freed = nullptr;
    {
        CAllocator allocator(nullptr);
        void* a = allocator.Alloc(40);
        void* b = allocator.Alloc(24);
        freed = allocator.Alloc(8);
        allocator.Free(freed);
        blocks = {a, b};
        capture.Take();
    }
    std::sort(blocks.begin(), blocks.end());
    std::vector<std::string> lines = capture.Take();
    EXPECT_EQ(LinesNaming(lines, freed), 0u);
    std::vector<size_t> where;
    for (void* block : blocks) {
        ASSERT_EQ(LinesNaming(lines, block), 1u);
        for (size_t i = 0; i < lines.size(); ++i)
            if (lines[i].find(Address(block)) != std::string::npos) where.push_back(i);
    }
    EXPECT_LT(where[0], where[1]);
    for (void* block : blocks) std::free(block);
}

TEST(AllocatorTest, CountersFollowLiveBytesAndPeakNeverFalls) {
    CAllocator allocator(nullptr);
    uint32_t start = CAllocator::CurrentBytes();
    void* a = allocator.Alloc(1 << 20);
    void* b = allocator.Alloc(1 << 19);
    EXPECT_EQ(CAllocator::CurrentBytes(), start + (1u << 20) + (1u << 19));
    uint32_t peak = CAllocator::PeakBytes();
    EXPECT_GE(peak, CAllocator::CurrentBytes());
    allocator.Free(a);
    allocator.Free(b);
    EXPECT_EQ(CAllocator::CurrentBytes(), start);
    EXPECT_EQ(CAllocator::PeakBytes(), peak);
}

TEST(AllocatorTest, ManyThreadsShareOneAllocatorWithoutLosingABlock) {
    CAllocator allocator(nullptr);
    uint32_t start = CAllocator::CurrentBytes();
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&allocator, t] {
            struct Held {
                void* block;
                bool aligned;
            };
            auto release = [&allocator](const Held& held) {
                if (held.aligned)
                    allocator.FreeAligned(held.block);
                else
                    allocator.Free(held.block);
            };
            std::vector<Held> held;
            for (int i = 0; i < 500; ++i) {
                bool aligned = i % 3 == 0;
                void* block = aligned ? allocator.AllocAligned(32 + t, 16) : allocator.Alloc(16 + i % 7);
                ASSERT_NE(block, nullptr);
                held.push_back({block, aligned});
                if (held.size() > 8) {
                    release(held.front());
                    held.erase(held.begin());
                }
            }
            for (const Held& h : held) release(h);
        });
    }
    for (std::thread& thread : threads) thread.join();
    EXPECT_EQ(allocator.LiveBlockCount(), 0u);
    EXPECT_EQ(CAllocator::CurrentBytes(), start);
}

TEST(MemAllocTest, ForwardsToTheHostOrAnswersItsFailureValue) {
    CMemAlloc none;
    EXPECT_EQ(none.Alloc(10), nullptr);
    EXPECT_EQ(none.AllocClear(10), nullptr);
    EXPECT_EQ(none.Free(nullptr), INT32_MIN);

    sim::HostSim host;
    CMemAlloc withHost(host.MemoryFunctions());
    char* cleared = static_cast<char*>(withHost.AllocClear(64));
    ASSERT_NE(cleared, nullptr);
    for (int i = 0; i < 64; ++i) ASSERT_EQ(cleared[i], 0);
    void* plain = withHost.Alloc(8);
    EXPECT_EQ(host.LiveBlocks(), 2u);
    EXPECT_EQ(withHost.Free(cleared), 0);
    EXPECT_EQ(withHost.Free(plain), 0);
    EXPECT_EQ(host.LiveBlocks(), 0u);
}

}  // namespace
