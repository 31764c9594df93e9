// The tracking allocator: what it hands out, what it reports, and its counters, alone and under threads.
#include <gtest/gtest.h>

#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <thread>
#include <vector>

#include "host/HostTables.h"
#include "host/CAllocator.h"
#include "host/CImporterAllocator.h"
#include "host/CMemAlloc.h"
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

// A host whose allocation hands out whatever address the test sets, to provoke duplicates.
char* g_nextBlock = nullptr;
std::vector<uint32_t> g_requestedSizes;
char* FixedNewPtr(uint32_t size) {
    g_requestedSizes.push_back(size);
    return g_nextBlock;
}
void IgnoreDispose(char*) {}

struct FixedHost {
    HostMemoryFunctions memory{};
    HostSuiteTable suites{};
    imStdParms std{};
    FixedHost() {
        memory.slot[kMemNewPtr] = reinterpret_cast<HostFunction>(&FixedNewPtr);
        memory.slot[kMemDisposePtr] = reinterpret_cast<HostFunction>(&IgnoreDispose);
        suites.memoryFunctions = &memory;
        std.suites = &suites;
        g_requestedSizes.clear();
    }
};

TEST(AllocatorTest, AlignedBlockCarriesItsHeaderAndGoesBackAsOneEntry) {
    for (uint32_t alignment : {16u, 64u, 4096u}) {
        CAllocator allocator(nullptr);
        char* block = static_cast<char*>(allocator.AllocAligned(1000, alignment));
        ASSERT_NE(block, nullptr);
        EXPECT_EQ(reinterpret_cast<uintptr_t>(block) % alignment, 0u);
        uint32_t leading, trailing;
        void* underlying;
        std::memcpy(&leading, block - kAlignedHeaderSize, 4);
        std::memcpy(&underlying, block - kAlignedHeaderSize + 4, sizeof(void*));
        std::memcpy(&trailing, block - 4, 4);
        EXPECT_EQ(leading, 0x1234ABCDu);
        EXPECT_EQ(trailing, 0x1234ABCDu);
        // The block and its header lie inside the underlying allocation.
        EXPECT_LE(static_cast<char*>(underlying), block - kAlignedHeaderSize);
        EXPECT_LE(block + 1000, static_cast<char*>(underlying) + 1000 + alignment + kAlignedHeaderSize - 1);
        std::memset(block, 0xEE, 1000);
        EXPECT_EQ(allocator.LiveBlockCount(), 1u);
        allocator.FreeAligned(block);
        EXPECT_EQ(allocator.LiveBlockCount(), 0u);
    }
}

TEST(AllocatorTest, AlignedRequestAddsAlignmentAndHeaderToTheSize) {
    FixedHost host;
    std::vector<char> arena(2048);
    g_nextBlock = arena.data();
    CAllocator allocator(&host.std);
    void* block = allocator.AllocAligned(1000, 16);
    ASSERT_NE(block, nullptr);
    ASSERT_EQ(g_requestedSizes.size(), 1u);
    // 1027 on the 32-bit target, where the header is 12 bytes.
    EXPECT_EQ(g_requestedSizes[0], 1000u + 16u + kAlignedHeaderSize - 1);
    allocator.FreeAligned(block);
}

TEST(AllocatorTest, FreeAlignedWithoutHeaderDoesNothing) {
    CAllocator allocator(nullptr);
    std::vector<char> plain(64, 0);
    DebugCaptureScope capture;
    allocator.FreeAligned(plain.data() + 32);
    allocator.FreeAligned(nullptr);
    EXPECT_TRUE(capture.Take().empty());
}

TEST(AllocatorTest, DuplicateAddressIsReportedAndKeepsTheFirstSize) {
    FixedHost host;
    std::vector<char> arena(256);
    g_nextBlock = arena.data();
    {
        CAllocator allocator(&host.std);
        DebugCaptureScope capture;
        uint32_t before = CAllocator::CurrentBytes();
        ASSERT_EQ(allocator.Alloc(100), arena.data());
        ASSERT_EQ(allocator.Alloc(30), arena.data());
        std::vector<std::string> lines = capture.Take();
        ASSERT_EQ(lines.size(), 1u);
        EXPECT_EQ(lines[0], "CAllocator::Alloc duplicate block: " + Address(arena.data()) + "\n");
        EXPECT_EQ(allocator.LiveBlockCount(), 1u);
        allocator.Free(arena.data());
        // The map held 100 bytes for the block; the second 30 stay counted, as the host really gave them.
        EXPECT_EQ(CAllocator::CurrentBytes(), before + 30);
        allocator.Free(arena.data());
        lines = capture.Take();
        ASSERT_EQ(lines.size(), 1u);
        EXPECT_EQ(lines[0], "CAllocator::Free missing block: " + Address(arena.data()) + "\n");
    }
}

TEST(AllocatorTest, FailedAllocationsNameTheirSource) {
    FixedHost host;
    g_nextBlock = nullptr;
    CAllocator withHost(&host.std);
    DebugCaptureScope capture;
    EXPECT_EQ(withHost.Alloc(77), nullptr);
    EXPECT_EQ(withHost.AllocAligned(77, 16), nullptr);
    std::vector<std::string> lines = capture.Take();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], "CAllocator::Alloc (memFuncs) failed size: 77\n");
    EXPECT_EQ(lines[1], "CAllocator::Alloc (memFuncs) failed size: " +
                            std::to_string(77 + 16 + kAlignedHeaderSize - 1) + "\n");
    EXPECT_EQ(withHost.LiveBlockCount(), 0u);
}

TEST(AllocatorTest, FreeNullIsSilent) {
    CAllocator allocator(nullptr);
    DebugCaptureScope capture;
    allocator.Free(nullptr);
    EXPECT_TRUE(capture.Take().empty());
}

TEST(AllocatorTest, DestructionReportsLeaksInAddressOrderThenThePeak) {
    DebugCaptureScope capture;
    std::vector<void*> blocks;
    {
        CAllocator allocator(nullptr);
        void* a = allocator.Alloc(40);
        void* b = allocator.Alloc(24);
        void* c = allocator.Alloc(8);
        allocator.Free(c);
        blocks = {a, b};
        capture.Take();
    }
    std::sort(blocks.begin(), blocks.end());
    std::vector<std::string> lines = capture.Take();
    ASSERT_EQ(lines.size(), 3u);
    for (size_t i = 0; i < 2; ++i) {
        EXPECT_EQ(lines[i].rfind("CAllocator::~CAllocator leaked block: " + Address(blocks[i]) + ", size: ", 0), 0u)
            << lines[i];
    }
    EXPECT_EQ(lines[2], "Peak memory usage: " + std::to_string(CAllocator::PeakBytes()) + "\n");
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
