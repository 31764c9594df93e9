#include "trim/CSourceOutputPin.h"

#include "dshow/Interfaces.h"

namespace krvx {

using namespace dshow;

namespace {
constexpr int32_t kPinBuffers = 2;
}  // namespace

HResult CSourceOutputPin::DecideBufferSize(IMemAllocator* allocator, AllocatorProperties* request) {
    if (!allocator || !request) return kPointer;
    request->buffers = kPinBuffers;
    request->bufferSize = BufferBytes();
    if (request->align < 1) request->align = 1;
    AllocatorProperties actual{};
    HResult result = allocator->SetProperties(request, &actual);
    if (Failed(result)) return result;
    if (actual.buffers < request->buffers || actual.bufferSize < request->bufferSize) return kFail;
    return kOk;
}

HResult CSourceOutputPin::DecideAllocator(IMemInputPin* inputPin, IMemAllocator** allocator) {
    AllocatorProperties wanted{};
    inputPin->GetAllocatorRequirements(&wanted);
    return DecideOwnAllocator(inputPin, wanted, allocator);
}

}  // namespace krvx
