#include "dshow/MemAllocator.h"

#include <cstddef>
#include <cstdint>
#include <new>

#include "dshow/MediaSample.h"

namespace krvx {
namespace dshow {

namespace {
constexpr int32_t kMostWaiters = 0x7FFFFFFF;

bool IsPowerOfTwo(int32_t value) {
    return value > 0 && (value & (value - 1)) == 0;
}
}  // namespace

HResult CMemAllocator::Create(IMemAllocator** out) {
    if (!out) return kPointer;
    *out = new (std::nothrow) CMemAllocator();
    return *out ? kOk : kOutOfMemory;
}

CMemAllocator::CMemAllocator() : m_wake(0, kMostWaiters) {}

CMemAllocator::~CMemAllocator() {
    FreeBuffers();
}

HResult CMemAllocator::QueryInterface(const Guid& iid, void** object) {
    if (!object) return kPointer;
    *object = nullptr;
    if (iid != kIidUnknown && iid != kIidMemAllocator) return kNoInterface;
    *object = static_cast<IMemAllocator*>(this);
    AddRef();
    return kOk;
}

uint32_t CMemAllocator::AddRef() {
    return ++m_references;
}

uint32_t CMemAllocator::Release() {
    const uint32_t left = --m_references;
    if (left == 0) delete this;
    return left;
}

HResult CMemAllocator::SetProperties(AllocatorProperties* request, AllocatorProperties* actual) {
    if (!request || !actual) return kPointer;
    platform::ScopedLock hold(m_lock);
    if (m_committed || m_outstanding > 0) return kWrongState;
    if (!IsPowerOfTwo(request->align)) return kBadAlign;
    if (request->buffers < 1 || request->bufferSize < 0 || request->prefix < 0) return kInvalidArg;
    // Each buffer with its prefix starts on an aligned address: the stride is rounded up to the alignment.
    const int64_t align = request->align;
    const int64_t stride = (int64_t{request->bufferSize} + request->prefix + align - 1) / align * align;
    if (stride > INT32_MAX) return kInvalidArg;
    m_properties.buffers = request->buffers;
    m_properties.bufferSize = static_cast<int32_t>(stride - request->prefix);
    m_properties.align = request->align;
    m_properties.prefix = request->prefix;
    m_propertiesSet = true;
    *actual = m_properties;
    return kOk;
}

HResult CMemAllocator::GetProperties(AllocatorProperties* properties) {
    if (!properties) return kPointer;
    platform::ScopedLock hold(m_lock);
    *properties = m_properties;
    return kOk;
}

HResult CMemAllocator::Commit() {
    platform::ScopedLock hold(m_lock);
    if (m_committed) return kOk;
    if (!m_propertiesSet) return kSizeNotSet;
    m_committed = true;
    if (m_freePending) {
        // Decommitted with samples still out: the buffers are still there.
        m_freePending = false;
        return kOk;
    }
    const size_t count = static_cast<size_t>(m_properties.buffers);
    const size_t stride =
        static_cast<size_t>(m_properties.bufferSize) + static_cast<size_t>(m_properties.prefix);
    const size_t align = static_cast<size_t>(m_properties.align);
    if (stride != 0 && count > (SIZE_MAX - align) / stride) {
        m_committed = false;
        return kOutOfMemory;
    }
    try {
        m_block.reset(new uint8_t[count * stride + align]);
        const uintptr_t start = reinterpret_cast<uintptr_t>(m_block.get());
        uint8_t* base = m_block.get() + ((align - start % align) % align);
        m_samples.reserve(count);
        m_free.reserve(count);
        for (size_t i = 0; i < count; ++i) {
            m_samples.emplace_back(
                new CMediaSample(this, base + i * stride + m_properties.prefix, m_properties.bufferSize));
            m_free.push_back(m_samples.back().get());
        }
    } catch (const std::bad_alloc&) {
        FreeBuffers();
        m_committed = false;
        return kOutOfMemory;
    }
    return kOk;
}

HResult CMemAllocator::Decommit() {
    platform::ScopedLock hold(m_lock);
    if (!m_committed) return kOk;
    m_committed = false;
    if (m_waiting > 0) {
        m_wake.Release(m_waiting);
        m_waiting = 0;
    }
    if (m_outstanding == 0) {
        FreeBuffers();
    } else {
        m_freePending = true;
    }
    return kOk;
}

void CMemAllocator::FreeBuffers() {
    m_free.clear();
    m_samples.clear();
    m_block.reset();
    m_freePending = false;
}

HResult CMemAllocator::GetBuffer(IMediaSample** sample, ReferenceTime*, ReferenceTime*, uint32_t flags) {
    if (!sample) return kPointer;
    *sample = nullptr;
    for (;;) {
        {
            platform::ScopedLock hold(m_lock);
            if (!m_committed) return kNotCommitted;
            if (!m_free.empty()) {
                CMediaSample* free = m_free.back();
                m_free.pop_back();
                ++m_outstanding;
                free->AddRef();
                // Every sample out holds the allocator; ReleaseBuffer gives the reference back.
                AddRef();
                *sample = free;
                return kOk;
            }
            if (flags & kGetBufferNoWait) return kTimedOut;
            ++m_waiting;
        }
        m_wake.Wait();
    }
}

HResult CMemAllocator::ReleaseBuffer(IMediaSample* sample) {
    if (!sample) return kPointer;
    {
        platform::ScopedLock hold(m_lock);
        // Only samples of this allocator come back here: they call it when their count reaches zero.
        auto* returned = static_cast<CMediaSample*>(sample);
        returned->Reset();
        m_free.push_back(returned);
        --m_outstanding;
        if (m_waiting > 0) {
            --m_waiting;
            m_wake.Release(1);
        }
        if (m_freePending && m_outstanding == 0) FreeBuffers();
    }
    Release();
    return kOk;
}

}  // namespace dshow
}  // namespace krvx
