// An importer's host suites: acquired in order at construction, released in order at destruction,
// and left null when the host gives no basic suite.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/CAllocator.h"
#include "host/CImporterAllocator.h"
#include "host/HostMemory.h"
#include "importer/CAVIFileImporter.h"
#include "tests/host/DebugCapture.h"
#include "tools/krvx-host/HostSim.h"

using namespace krvx;
using krvx::testing_support::DebugCaptureScope;

namespace {

const std::vector<std::string> kSuiteOrder = {"Premiere PPix Creator Suite", "Premiere PPix Cache Suite",
                                              "Premiere PPix Suite", "Premiere Time Suite",
                                              "Premiere Memory Manager Suite"};

TEST(SuitesTest, AcquiredInOrderAtConstructionAndReleasedInOrderAtDestruction) {
    sim::HostSim host;
    {
        CAVIFileImporter importer(host.StdParms());
        EXPECT_EQ(host.AcquireOrder(), kSuiteOrder);
        EXPECT_TRUE(host.ReleaseOrder().empty());
        EXPECT_NE(importer.PPixCreatorSuite(), nullptr);
        EXPECT_NE(importer.PPixCacheSuite(), nullptr);
        EXPECT_NE(importer.PPixSuite(), nullptr);
        EXPECT_NE(importer.TimeSuite(), nullptr);
        EXPECT_NE(importer.MemoryManagerSuite(), nullptr);
        EXPECT_EQ(importer.MemoryFunctions(), host.MemoryFunctions());
        EXPECT_EQ(ProcessMemoryFunctions(), host.MemoryFunctions());
        ASSERT_NE(importer.Allocator(), nullptr);
    }
    EXPECT_EQ(host.ReleaseOrder(), kSuiteOrder);
    for (const std::string& name : kSuiteOrder) EXPECT_EQ(host.Acquired(name), host.Released(name)) << name;
}

TEST(SuitesTest, WithoutABasicSuiteEverySuiteStaysNullAndNothingIsReleased) {
    sim::HostSim host;
    host.SetBasicSuiteAvailable(false);
    {
        CAVIFileImporter importer(host.StdParms());
        EXPECT_EQ(importer.BasicSuite(), nullptr);
        EXPECT_EQ(importer.PPixCreatorSuite(), nullptr);
        EXPECT_EQ(importer.MemoryManagerSuite(), nullptr);
        // The allocator does not depend on the suites.
        EXPECT_NE(importer.Allocator(), nullptr);
    }
    EXPECT_TRUE(host.AcquireOrder().empty());
    EXPECT_TRUE(host.ReleaseOrder().empty());
}

TEST(SuitesTest, ImporterAllocatesThroughTheHostAndReportsNoLeakWhenClean) {
    sim::HostSim host;
    DebugCaptureScope capture;
    {
        CAVIFileImporter importer(host.StdParms());
        void* block = importer.Allocator()->AllocAligned(4000, 16);
        ASSERT_NE(block, nullptr);
        EXPECT_EQ(host.LiveBlocks(), 1u);
        importer.Allocator()->FreeAligned(block);
        EXPECT_EQ(host.LiveBlocks(), 0u);
    }
    std::vector<std::string> lines = capture.Take();
    for (const std::string& line : lines) EXPECT_EQ(line.find("leaked block"), std::string::npos) << line;
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines.front().rfind("\n###################################### AVIFileImporter Instantiated:0X", 0), 0u);
    EXPECT_EQ(lines[1].rfind("\n###################################### AVIFileImporter Destroyed:0X", 0), 0u);
    EXPECT_EQ(lines.back().rfind("Peak memory usage: ", 0), 0u);
}

TEST(SuitesTest, ImporterAllocatorFollowsTheImportersMemoryFunctions) {
    sim::HostSim host;
    CAVIFileImporter withHost(host.StdParms());
    CImporterAllocator allocator(&withHost);
    void* block = allocator.AllocClear(32);
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(host.LiveBlocks(), 1u);
    EXPECT_EQ(allocator.Free(block), 0);
    EXPECT_EQ(host.LiveBlocks(), 0u);

    // Without host parameters the C runtime serves plain allocations and cleared ones are refused.
    CAVIFileImporter withoutHost(static_cast<const imStdParms*>(nullptr));
    CImporterAllocator runtime(&withoutHost);
    void* plain = runtime.Alloc(16);
    EXPECT_NE(plain, nullptr);
    EXPECT_EQ(runtime.Free(plain), 0);
    EXPECT_EQ(runtime.AllocClear(16), nullptr);
}

}  // namespace
