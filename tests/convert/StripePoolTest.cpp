// The worker pools: hand-out of items, thread counts and concurrent jobs from several threads.
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <vector>

#include "ConvertTestSupport.h"
#include "convert/FrameScaler.h"
#include "convert/OutputConversions.h"
#include "convert/RowKernels.h"
#include "convert/ScalingPool.h"
#include "convert/StripePool.h"
#include "convert/WorkerPool.h"
#include "platform/thread.h"

namespace krvx {
namespace {

TEST(WorkerPool, ThreadCountsAreCapped) {
    EXPECT_EQ(32u, CapThreadCount(64));
    EXPECT_EQ(1u, CapThreadCount(0));
    EXPECT_EQ(2u, CFrameScaler::PrivateThreadCount(2));
    EXPECT_EQ(3u, CFrameScaler::PrivateThreadCount(4));
    EXPECT_EQ(32u, CFrameScaler::PrivateThreadCount(64));
    EXPECT_GE(StripePool().ThreadCount(), 1u);
    EXPECT_LE(StripePool().ThreadCount(), 32u);
}

struct CountingJob {
    std::atomic<int32_t> runs[200];
    std::atomic<uint32_t> highestWorker{0};
};

void CountItem(void* context, int32_t item, uint32_t worker) {
    CountingJob& job = *static_cast<CountingJob*>(context);
    ++job.runs[item];
    uint32_t seen = job.highestWorker.load();
    while (worker > seen && !job.highestWorker.compare_exchange_weak(seen, worker)) {
    }
}

TEST(WorkerPool, EveryItemRunsOnceAndEmptyJobsReturn) {
    CWorkerPool pool(3);
    for (int32_t items : {0, 1, 2, 5, 17, 200}) {
        CountingJob job;
        for (auto& r : job.runs) r = 0;
        pool.Run(items, &CountItem, &job);
        for (int32_t i = 0; i < 200; ++i) EXPECT_EQ(i < items ? 1 : 0, job.runs[i].load()) << items;
        EXPECT_LT(job.highestWorker.load(), 3u);
    }
}

// Stripe band of 17 rows: 2 items; every row converted, turned over, nothing written past the frame.
TEST(StripePool, BandJobsCoverEveryRow) {
    const int32_t width = 3, height = 17, pitch = width * 8;
    std::vector<uint16_t> src(width * 4 * height);
    for (size_t i = 0; i < src.size(); ++i) src[i] = static_cast<uint16_t>(i * 2 + 2);
    std::vector<uint16_t> dst(width * 4 * (height + 1), 0xEEEE);
    ConvertRgba16ToBgra16(reinterpret_cast<uint8_t*>(src.data()), pitch,
                          reinterpret_cast<uint8_t*>(dst.data()), pitch, width, height);
    for (int32_t y = 0; y < height; ++y) {
        const uint16_t* in = &src[(height - 1 - y) * width * 4];
        const uint16_t* out = &dst[y * width * 4];
        for (int32_t x = 0; x < width; ++x)
            for (int32_t c = 0; c < 4; ++c) ASSERT_EQ(in[4 * x + 3 - c] >> 1, out[4 * x + c]) << y;
    }
    for (int32_t i = 0; i < width * 4; ++i) EXPECT_EQ(0xEEEE, dst[height * width * 4 + i]);
}

// Several threads convert and scale at once; every result equals the one made alone.
struct ConcurrentWork {
    std::vector<uint8_t> yuyv;
    std::vector<uint8_t> bgra;
    std::vector<uint8_t> expectedVuya, expectedScaledVuya, expectedScaledBgra;
    std::atomic<int32_t> failures{0};
};

constexpr int32_t kW = 96, kH = 40;

void RunAll(ConcurrentWork& work, std::vector<uint8_t>& vuya, std::vector<uint8_t>& scaledVuya,
            std::vector<uint8_t>& scaledBgra) {
    test::MallocAllocator allocator;
    ConvertYuyvToVuya8(work.yuyv.data(), kW * 2, vuya.data(), kW * 4, kW, kH, true);
    ScaleYuyvToVuya8({work.yuyv.data(), kW, kH, kW * 2, scaledVuya.data(), 50, 21, 200}, &allocator, true);
    ScaleBgra8({work.bgra.data(), kW, kH, kW * 4, scaledBgra.data(), 50, 21, 200}, &allocator);
}

uint32_t ConcurrentThread(void* context) {
    ConcurrentWork& work = *static_cast<ConcurrentWork*>(context);
    std::vector<uint8_t> vuya(work.expectedVuya.size()), scaledVuya(work.expectedScaledVuya.size()),
        scaledBgra(work.expectedScaledBgra.size());
    for (int i = 0; i < 4; ++i) {
        RunAll(work, vuya, scaledVuya, scaledBgra);
        if (vuya != work.expectedVuya || scaledVuya != work.expectedScaledVuya ||
            scaledBgra != work.expectedScaledBgra)
            ++work.failures;
    }
    return 0;
}

TEST(StripePool, ConcurrentJobsFromSeveralThreadsRunInTurn) {
    ConcurrentWork work;
    work.yuyv = test::RandomBytes(kW * 2 * kH, 1);
    work.bgra = test::RandomBytes(kW * 4 * kH, 2);
    work.expectedVuya.resize(kW * 4 * kH);
    work.expectedScaledVuya.resize(200 * 21);
    work.expectedScaledBgra.resize(200 * 21);
    RunAll(work, work.expectedVuya, work.expectedScaledVuya, work.expectedScaledBgra);

    platform::NativeThread* threads[3];
    for (auto& thread : threads) {
        thread = platform::ThreadCreate(&ConcurrentThread, &work, 0x20000, nullptr);
        ASSERT_NE(nullptr, thread);
    }
    for (auto* thread : threads) {
        EXPECT_EQ(platform::WaitResult::Signalled, platform::ThreadWait(thread, platform::kWaitInfinite));
        platform::ThreadClose(thread);
    }
    EXPECT_EQ(0, work.failures.load());
}

}  // namespace
}  // namespace krvx
