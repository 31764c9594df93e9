// The output pin both source filters share: two delivery buffers of its own, of a size the filter
// decides, so at most two samples per stream are in flight.
#pragma once
#include <cstdint>

#include "dshow/OutputPin.h"

namespace krvx {

class CSourceOutputPin : public dshow::CBaseOutputPin {
public:
    using dshow::CBaseOutputPin::CBaseOutputPin;

    // Two buffers of BufferBytes(); fewer or smaller ones granted fail the connection.
    dshow::HResult DecideBufferSize(dshow::IMemAllocator* allocator, dshow::AllocatorProperties* request) final;

protected:
    virtual int32_t BufferBytes() const = 0;
    // Always an allocator of our own: the receiver's would decide how many samples are in flight, and
    // some multiplexers cannot hand theirs out again after a reconnection.
    dshow::HResult DecideAllocator(dshow::IMemInputPin* inputPin, dshow::IMemAllocator** allocator) override;
};

}  // namespace krvx
