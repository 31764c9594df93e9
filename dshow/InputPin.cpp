#include "dshow/InputPin.h"

#include "dshow/BaseFilter.h"
#include "dshow/MemAllocator.h"

namespace krvx {
namespace dshow {

CBaseInputPin::CBaseInputPin(CBaseFilter* filter, platform::CriticalSection* lock, const OleChar* name)
    : CBasePin(filter, lock, name, PinDirection::Input) {}

CBaseInputPin::~CBaseInputPin() {
    if (m_allocator) m_allocator->Release();
}

HResult CBaseInputPin::QueryInterface(const Guid& iid, void** object) {
    if (!object) return kPointer;
    if (iid == kIidMemInputPin) {
        *object = static_cast<IMemInputPin*>(this);
        AddRef();
        return kOk;
    }
    return CBasePin::QueryInterface(iid, object);
}

uint32_t CBaseInputPin::AddRef() {
    return CBasePin::AddRef();
}

uint32_t CBaseInputPin::Release() {
    return CBasePin::Release();
}

HResult CBaseInputPin::GetAllocator(IMemAllocator** allocator) {
    if (!allocator) return kPointer;
    *allocator = nullptr;
    platform::ScopedLock hold(*PinLock());
    if (!m_allocator) {
        const HResult result = CMemAllocator::Create(&m_allocator);
        if (Failed(result)) return result;
    }
    m_allocator->AddRef();
    *allocator = m_allocator;
    return kOk;
}

HResult CBaseInputPin::NotifyAllocator(IMemAllocator* allocator, int32_t readOnly) {
    if (!allocator) return kPointer;
    platform::ScopedLock hold(*PinLock());
    allocator->AddRef();
    if (m_allocator) m_allocator->Release();
    m_allocator = allocator;
    m_readOnly = readOnly != 0;
    return kOk;
}

HResult CBaseInputPin::GetAllocatorRequirements(AllocatorProperties*) {
    return kNotImplemented;
}

HResult CBaseInputPin::Receive(IMediaSample* sample) {
    if (!sample) return kPointer;
    if (Filter()->State() == FilterState::Stopped) return kWrongState;
    return kOk;
}

HResult CBaseInputPin::ReceiveMultiple(IMediaSample** samples, int32_t count, int32_t* processed) {
    if (!samples || !processed) return kPointer;
    *processed = 0;
    HResult result = kOk;
    while (*processed < count) {
        result = Receive(samples[*processed]);
        if (result != kOk) break;
        ++*processed;
    }
    return result;
}

HResult CBaseInputPin::ReceiveCanBlock() {
    return kOk;
}

HResult CBaseInputPin::BreakConnect() {
    if (m_allocator) {
        m_allocator->Decommit();
        m_allocator->Release();
        m_allocator = nullptr;
    }
    return kOk;
}

HResult CBaseInputPin::Inactive() {
    return m_allocator ? m_allocator->Decommit() : kOk;
}

}  // namespace dshow
}  // namespace krvx
