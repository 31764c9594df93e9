#include "dshow/OutputPin.h"

#include "dshow/MemAllocator.h"

namespace krvx {
namespace dshow {

CBaseOutputPin::CBaseOutputPin(CBaseFilter* filter, platform::CriticalSection* lock, const OleChar* name)
    : CBasePin(filter, lock, name, PinDirection::Output) {}

CBaseOutputPin::~CBaseOutputPin() {
    if (m_allocator) m_allocator->Release();
    if (m_inputPin) m_inputPin->Release();
}

HResult CBaseOutputPin::CompleteConnect(IPin* receivePin) {
    IMemInputPin* inputPin = nullptr;
    HResult result = receivePin->QueryInterface(kIidMemInputPin, reinterpret_cast<void**>(&inputPin));
    if (Failed(result)) return result;
    if (!inputPin) return kNoInterface;
    IMemAllocator* allocator = nullptr;
    result = DecideAllocator(inputPin, &allocator);
    if (Failed(result)) {
        inputPin->Release();
        return result;
    }
    m_inputPin = inputPin;
    m_allocator = allocator;
    return kOk;
}

HResult CBaseOutputPin::DecideAllocator(IMemInputPin* inputPin, IMemAllocator** allocator) {
    *allocator = nullptr;
    AllocatorProperties wanted{};
    inputPin->GetAllocatorRequirements(&wanted);
    if (wanted.align == 0) wanted.align = 1;

    IMemAllocator* candidate = nullptr;
    if (Succeeded(inputPin->GetAllocator(&candidate)) && candidate) {
        if (Succeeded(TryAllocator(inputPin, candidate, wanted))) {
            *allocator = candidate;
            return kOk;
        }
        candidate->Release();
    }
    return DecideOwnAllocator(inputPin, wanted, allocator);
}

HResult CBaseOutputPin::DecideOwnAllocator(IMemInputPin* inputPin, const AllocatorProperties& wanted,
                                           IMemAllocator** allocator) {
    *allocator = nullptr;
    IMemAllocator* candidate = nullptr;
    HResult result = CMemAllocator::Create(&candidate);
    if (Failed(result)) return result;
    result = TryAllocator(inputPin, candidate, wanted);
    if (Failed(result)) {
        candidate->Release();
        return result;
    }
    *allocator = candidate;
    return kOk;
}

HResult CBaseOutputPin::TryAllocator(IMemInputPin* inputPin, IMemAllocator* allocator,
                                     const AllocatorProperties& wanted) {
    AllocatorProperties request = wanted;
    const HResult result = DecideBufferSize(allocator, &request);
    if (Failed(result)) return result;
    return inputPin->NotifyAllocator(allocator, 0);
}

HResult CBaseOutputPin::BreakConnect() {
    if (m_allocator) {
        m_allocator->Decommit();
        m_allocator->Release();
        m_allocator = nullptr;
    }
    if (m_inputPin) m_inputPin->Release();
    m_inputPin = nullptr;
    return kOk;
}

HResult CBaseOutputPin::Active() {
    return m_allocator ? m_allocator->Commit() : kNoAllocator;
}

HResult CBaseOutputPin::Inactive() {
    return m_allocator ? m_allocator->Decommit() : kOk;
}

HResult CBaseOutputPin::GetDeliveryBuffer(IMediaSample** sample, ReferenceTime* start, ReferenceTime* stop,
                                          uint32_t flags) {
    if (!sample) return kPointer;
    *sample = nullptr;
    if (!m_allocator) return kNoAllocator;
    return m_allocator->GetBuffer(sample, start, stop, flags);
}

HResult CBaseOutputPin::Deliver(IMediaSample* sample) {
    if (!m_inputPin) return kNotConnected;
    return m_inputPin->Receive(sample);
}

HResult CBaseOutputPin::DeliverEndOfStream() {
    IPin* peer = ConnectedPin();
    if (!peer) return kNotConnected;
    return peer->EndOfStream();
}

}  // namespace dshow
}  // namespace krvx
