// An output pin that delivers samples to an input pin through IMemInputPin, with buffers from an
// allocator agreed at connection time.
#pragma once
#include <cstdint>

#include "dshow/BasePin.h"

namespace krvx {
namespace dshow {

class CBaseOutputPin : public CBasePin {
public:
    CBaseOutputPin(CBaseFilter* filter, platform::CriticalSection* lock, const OleChar* name);
    ~CBaseOutputPin() override;

    // Sets the allocator's properties from `request` (the receiver's requirements, align at least 1)
    // and checks what it granted.
    virtual HResult DecideBufferSize(IMemAllocator* allocator, AllocatorProperties* request) = 0;

    HResult CompleteConnect(IPin* receivePin) override;
    HResult BreakConnect() override;
    HResult Active() override;
    HResult Inactive() override;

    // A free buffer from the agreed allocator; blocks while all are out.
    HResult GetDeliveryBuffer(IMediaSample** sample, ReferenceTime* start, ReferenceTime* stop,
                              uint32_t flags);
    HResult Deliver(IMediaSample* sample);
    HResult DeliverEndOfStream();

    IMemAllocator* Allocator() const { return m_allocator; }

protected:
    // Picks the receiver's allocator, or ours when it has none or refuses the sizes, and notifies it.
    virtual HResult DecideAllocator(IMemInputPin* inputPin, IMemAllocator** allocator);
    // A new allocator of our own, sized by DecideBufferSize and notified to the receiver.
    HResult DecideOwnAllocator(IMemInputPin* inputPin, const AllocatorProperties& wanted, IMemAllocator** allocator);

private:
    HResult TryAllocator(IMemInputPin* inputPin, IMemAllocator* allocator, const AllocatorProperties& wanted);

    IMemAllocator* m_allocator = nullptr;
    IMemInputPin* m_inputPin = nullptr;
};

}  // namespace dshow
}  // namespace krvx
