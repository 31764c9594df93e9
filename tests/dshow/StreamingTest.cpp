// Streaming between connected test pins: delivery, blocking for buffers, decommit, sample state, and the
// allocator on its own.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <thread>

#include "TestFilters.h"
#include "dshow/ComPointer.h"
#include "dshow/MemAllocator.h"

namespace krvx {
namespace dshow {
namespace test {
namespace {

// Long enough for a waiting thread to have returned had it not blocked.
constexpr auto kSettle = std::chrono::milliseconds(100);

class DShowStreaming : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(source->Out().Connect(&sink->In(), nullptr), kOk);
        ASSERT_EQ(sink->Pause(), kOk);
        ASSERT_EQ(source->Pause(), kOk);
    }
    void TearDown() override {
        source->Stop();
        sink->Stop();
        source->Out().Disconnect();
        sink->In().Disconnect();
        const int before = g_filtersDestroyed;
        EXPECT_EQ(source->Release(), 0u);
        EXPECT_EQ(sink->Release(), 0u);
        EXPECT_EQ(g_filtersDestroyed - before, 2);
    }

    // A delivery buffer; the caller holds its reference.
    IMediaSample* Buffer() {
        IMediaSample* sample = nullptr;
        EXPECT_EQ(source->Out().GetDeliveryBuffer(&sample, nullptr, nullptr, 0), kOk);
        return sample;
    }

    HResult Send(const char* text, ReferenceTime start, ReferenceTime stop, bool sync) {
        const ComPointer<IMediaSample> sample(Buffer());
        if (!sample) return kFail;
        uint8_t* bytes = nullptr;
        sample->GetPointer(&bytes);
        std::memcpy(bytes, text, std::strlen(text));
        sample->SetActualDataLength(static_cast<int32_t>(std::strlen(text)));
        sample->SetTime(&start, &stop);
        sample->SetSyncPoint(sync ? 1 : 0);
        return source->Out().Deliver(sample.Get());
    }

    TestSource* source = new TestSource();
    TestSink* sink = new TestSink();
};

TEST_F(DShowStreaming, DeliveryCarriesDataTimesAndSyncFlag) {
    ASSERT_EQ(Send("key frame", 0, 400000, true), kOk);
    ASSERT_EQ(Send("delta", 400000, 800000, false), kOk);
    ASSERT_EQ(sink->In().received.size(), 2u);
    const Received& first = sink->In().received[0];
    EXPECT_EQ(first.data, "key frame");
    EXPECT_EQ(first.timeResult, kOk);
    EXPECT_EQ(first.start, 0);
    EXPECT_EQ(first.stop, 400000);
    EXPECT_TRUE(first.syncPoint);
    const Received& second = sink->In().received[1];
    EXPECT_EQ(second.data, "delta");
    EXPECT_EQ(second.start, 400000);
    EXPECT_EQ(second.stop, 800000);
    EXPECT_FALSE(second.syncPoint);

    EXPECT_EQ(source->Out().DeliverEndOfStream(), kOk);
    EXPECT_EQ(sink->In().endOfStreams, 1);

    // A stopped receiver refuses samples, and its stop decommitted the allocator both pins share.
    ComPointer<IMediaSample> late(Buffer());
    ASSERT_TRUE(late);
    ASSERT_EQ(sink->Stop(), kOk);
    EXPECT_EQ(source->Out().Deliver(late.Get()), kWrongState);
    late.Reset();
    EXPECT_EQ(sink->In().received.size(), 2u);
    IMediaSample* none = nullptr;
    EXPECT_EQ(source->Out().GetDeliveryBuffer(&none, nullptr, nullptr, 0), kNotCommitted);
}

TEST_F(DShowStreaming, ReceiveMultipleStopsAtTheFirstRefusal) {
    IMediaSample* samples[2] = {Buffer(), Buffer()};
    const ComPointer<IMediaSample> held[] = {ComPointer<IMediaSample>(samples[0]),
                                             ComPointer<IMediaSample>(samples[1])};
    int32_t processed = -1;
    EXPECT_EQ(sink->In().ReceiveMultiple(samples, 2, &processed), kOk);
    EXPECT_EQ(processed, 2);
    ASSERT_EQ(sink->Stop(), kOk);
    EXPECT_EQ(sink->In().ReceiveMultiple(samples, 2, &processed), kWrongState);
    EXPECT_EQ(processed, 0);
}

TEST_F(DShowStreaming, GetBufferWaitsForABufferReleasedOnAnotherThread) {
    IMediaSample* first = Buffer();
    IMediaSample* second = Buffer();
    ASSERT_NE(first, second);
    std::atomic<bool> returned{false};
    HResult result = kFail;
    IMediaSample* third = nullptr;
    std::thread waiter([&] {
        result = source->Out().GetDeliveryBuffer(&third, nullptr, nullptr, 0);
        returned = true;
    });
    std::this_thread::sleep_for(kSettle);
    EXPECT_FALSE(returned);
    IMediaSample* busy = nullptr;
    EXPECT_EQ(source->Out().GetDeliveryBuffer(&busy, nullptr, nullptr, kGetBufferNoWait), kTimedOut);

    std::thread([first] { first->Release(); }).join();
    waiter.join();
    EXPECT_TRUE(returned);
    ASSERT_EQ(result, kOk);
    EXPECT_EQ(third, first);  // the same buffer, handed out again
    third->Release();
    second->Release();
}

TEST_F(DShowStreaming, StoppingWakesABlockedGetBufferWithNotCommitted) {
    IMediaSample* first = Buffer();
    IMediaSample* second = Buffer();
    std::atomic<bool> returned{false};
    HResult result = kOk;
    IMediaSample* third = first;
    std::thread waiter([&] {
        result = source->Out().GetDeliveryBuffer(&third, nullptr, nullptr, 0);
        returned = true;
    });
    std::this_thread::sleep_for(kSettle);
    EXPECT_FALSE(returned);
    ASSERT_EQ(source->Stop(), kOk);
    waiter.join();
    EXPECT_EQ(result, kNotCommitted);
    EXPECT_EQ(third, nullptr);
    // Samples still out stay usable after the decommit and come back afterwards.
    uint8_t* bytes = nullptr;
    ASSERT_EQ(first->GetPointer(&bytes), kOk);
    std::memset(bytes, 0x5A, kBufferBytes);
    first->Release();
    second->Release();
    // Committing again makes buffers available again.
    ASSERT_EQ(source->Pause(), kOk);
    EXPECT_TRUE(ComPointer<IMediaSample>(Buffer()));
}

TEST_F(DShowStreaming, SampleStateAndItsResetOnReturn) {
    IMediaSample* sample = Buffer();
    ASSERT_NE(sample, nullptr);
    ReferenceTime start = 0, stop = 0;
    EXPECT_EQ(sample->GetTime(&start, &stop), kTimeNotSet);
    EXPECT_EQ(sample->GetMediaTime(&start, &stop), kTimeNotSet);
    EXPECT_EQ(sample->GetSize(), kBufferBytes);
    EXPECT_EQ(sample->SetActualDataLength(kBufferBytes + 1), kInvalidArg);
    EXPECT_EQ(sample->SetActualDataLength(-1), kInvalidArg);
    EXPECT_EQ(sample->SetActualDataLength(10), kOk);

    start = 7;
    stop = 9;
    sample->SetTime(&start, &stop);
    sample->SetMediaTime(&start, &stop);
    sample->SetSyncPoint(1);
    sample->SetPreroll(1);
    sample->SetDiscontinuity(1);
    MediaType type{};
    FillVideoType(type);
    ASSERT_EQ(sample->SetMediaType(&type), kOk);
    reinterpret_cast<VideoInfoHeader*>(type.format)->bitmap.width = 1;  // the sample keeps its own copy
    MediaType* held = nullptr;
    ASSERT_EQ(sample->GetMediaType(&held), kOk);
    EXPECT_EQ(reinterpret_cast<VideoInfoHeader*>(held->format)->bitmap.width, kVideoWidth);
    DeleteMediaType(held);
    FreeMediaType(type);
    EXPECT_EQ(sample->IsSyncPoint(), kOk);
    EXPECT_EQ(sample->IsPreroll(), kOk);
    EXPECT_EQ(sample->IsDiscontinuity(), kOk);
    sample->Release();

    // Whichever buffer comes next carries nothing over.
    const ComPointer<IMediaSample> both[2] = {ComPointer<IMediaSample>(Buffer()),
                                              ComPointer<IMediaSample>(Buffer())};
    for (const ComPointer<IMediaSample>& next : both) {
        ASSERT_TRUE(next);
        EXPECT_EQ(next->GetTime(&start, &stop), kTimeNotSet);
        EXPECT_EQ(next->GetMediaTime(&start, &stop), kTimeNotSet);
        EXPECT_EQ(next->IsSyncPoint(), kFalse);
        EXPECT_EQ(next->IsPreroll(), kFalse);
        EXPECT_EQ(next->IsDiscontinuity(), kFalse);
        EXPECT_EQ(next->GetMediaType(&held), kFalse);
        EXPECT_EQ(next->GetActualDataLength(), kBufferBytes);
    }
}

TEST(DShowAllocator, PropertiesCommitAndLifetime) {
    IMemAllocator* allocator = nullptr;
    ASSERT_EQ(CMemAllocator::Create(&allocator), kOk);
    IMediaSample* sample = nullptr;
    EXPECT_EQ(allocator->GetBuffer(&sample, nullptr, nullptr, 0), kNotCommitted);
    EXPECT_EQ(allocator->Commit(), kSizeNotSet);

    AllocatorProperties request{2, 1001, 3, 8};
    AllocatorProperties actual{};
    EXPECT_EQ(allocator->SetProperties(&request, &actual), kBadAlign);
    request.align = 16;
    ASSERT_EQ(allocator->SetProperties(&request, &actual), kOk);
    // 1001 bytes after an 8-byte prefix, rounded so that every prefix starts on 16 bytes.
    EXPECT_EQ(actual.bufferSize + actual.prefix, 1024);
    EXPECT_EQ(actual.buffers, 2);
    EXPECT_EQ(actual.prefix, 8);

    ASSERT_EQ(allocator->Commit(), kOk);
    EXPECT_EQ(allocator->SetProperties(&request, &actual), kWrongState);
    IMediaSample* samples[2] = {};
    for (IMediaSample*& each : samples) {
        ASSERT_EQ(allocator->GetBuffer(&each, nullptr, nullptr, 0), kOk);
        uint8_t* bytes = nullptr;
        each->GetPointer(&bytes);
        EXPECT_EQ((reinterpret_cast<uintptr_t>(bytes) - 8) % 16, 0u);
        EXPECT_EQ(each->GetSize(), actual.bufferSize);
    }
    // Decommitted with a sample out: no new properties until it is back.
    ASSERT_EQ(allocator->Decommit(), kOk);
    samples[0]->Release();
    EXPECT_EQ(allocator->SetProperties(&request, &actual), kWrongState);
    ASSERT_EQ(allocator->Commit(), kOk);  // buffers still there: committed again at once
    ASSERT_EQ(allocator->GetBuffer(&samples[0], nullptr, nullptr, 0), kOk);

    // Samples out keep their allocator alive after its last outside reference goes.
    EXPECT_EQ(allocator->Release(), 2u);
    samples[0]->Release();
    uint8_t* bytes = nullptr;
    samples[1]->GetPointer(&bytes);
    std::memset(bytes, 0, static_cast<size_t>(actual.bufferSize));
    EXPECT_EQ(samples[1]->Release(), 0u);
}

}  // namespace
}  // namespace test
}  // namespace dshow
}  // namespace krvx
