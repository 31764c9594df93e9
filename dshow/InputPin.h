// An input pin that receives samples through IMemInputPin. Both interfaces count references on the filter.
#pragma once
#include <cstdint>

#include "dshow/BasePin.h"

namespace krvx {
namespace dshow {

class CBaseInputPin : public CBasePin, public IMemInputPin {
public:
    CBaseInputPin(CBaseFilter* filter, platform::CriticalSection* lock, const OleChar* name);
    ~CBaseInputPin() override;

    HResult KRVX_COM_CALL QueryInterface(const Guid& iid, void** object) override;
    uint32_t KRVX_COM_CALL AddRef() override;
    uint32_t KRVX_COM_CALL Release() override;

    HResult KRVX_COM_CALL GetAllocator(IMemAllocator** allocator) override;
    HResult KRVX_COM_CALL NotifyAllocator(IMemAllocator* allocator, int32_t readOnly) override;
    HResult KRVX_COM_CALL GetAllocatorRequirements(AllocatorProperties* properties) override;
    // The base refuses samples while the filter is stopped (kWrongState); derived pins call it first.
    HResult KRVX_COM_CALL Receive(IMediaSample* sample) override;
    HResult KRVX_COM_CALL ReceiveMultiple(IMediaSample** samples, int32_t count, int32_t* processed) override;
    HResult KRVX_COM_CALL ReceiveCanBlock() override;

    HResult BreakConnect() override;
    HResult Inactive() override;

    IMemAllocator* Allocator() const { return m_allocator; }
    bool ReadOnly() const { return m_readOnly; }

private:
    IMemAllocator* m_allocator = nullptr;
    bool m_readOnly = false;
};

}  // namespace dshow
}  // namespace krvx
