// The common part of a filter: reference count, state, graph membership and pin enumeration.
// A derived filter owns its pins and answers GetPinCount/GetPin.
#pragma once
#include <atomic>
#include <cstdint>
#include <string>

#include "dshow/Interfaces.h"
#include "platform/sync.h"

namespace krvx {
namespace dshow {

class CBasePin;

class CBaseFilter : public IBaseFilter {
public:
    // The filter starts with one reference, held by its creator. `lock` guards state changes and is
    // owned by the derived filter; it must outlive this object.
    CBaseFilter(const Guid& classId, platform::CriticalSection* lock);
    CBaseFilter(const CBaseFilter&) = delete;
    CBaseFilter& operator=(const CBaseFilter&) = delete;

    HResult KRVX_COM_CALL QueryInterface(const Guid& iid, void** object) override;
    uint32_t KRVX_COM_CALL AddRef() override;
    uint32_t KRVX_COM_CALL Release() override;

    HResult KRVX_COM_CALL GetClassID(Guid* classId) override;

    HResult KRVX_COM_CALL Stop() override;
    HResult KRVX_COM_CALL Pause() override;
    HResult KRVX_COM_CALL Run(ReferenceTime start) override;
    HResult KRVX_COM_CALL GetState(uint32_t timeoutMs, FilterState* state) override;
    HResult KRVX_COM_CALL SetSyncSource(IReferenceClock* clock) override;
    HResult KRVX_COM_CALL GetSyncSource(IReferenceClock** clock) override;

    HResult KRVX_COM_CALL EnumPins(IEnumPins** pins) override;
    HResult KRVX_COM_CALL FindPin(const OleChar* id, IPin** pin) override;
    HResult KRVX_COM_CALL QueryFilterInfo(FilterInfo* info) override;
    HResult KRVX_COM_CALL JoinFilterGraph(IFilterGraph* graph, const OleChar* name) override;
    HResult KRVX_COM_CALL QueryVendorInfo(OleChar** vendorInfo) override;

    virtual int GetPinCount() = 0;
    // The n-th pin without a reference added, or null past the last.
    virtual CBasePin* GetPin(int n) = 0;

    FilterState State() const { return m_state; }
    // The graph the filter was added to; no reference is held (the graph holds the filter).
    IFilterGraph* Graph() const { return m_graph; }
    const OleChar* Name() const { return m_name.c_str(); }
    platform::CriticalSection* Lock() const { return m_lock; }
    ReferenceTime StartTime() const { return m_start; }

protected:
    virtual ~CBaseFilter();
    // Further interfaces a derived filter offers; the object it stores must carry a new reference.
    virtual HResult QueryOtherInterface(const Guid& iid, void** object);

private:
    std::atomic<uint32_t> m_references{1};
    Guid m_classId;
    platform::CriticalSection* m_lock;
    // Read without the lock by streaming code (Receive, the writer's state checks).
    std::atomic<FilterState> m_state{FilterState::Stopped};
    ReferenceTime m_start = 0;
    IReferenceClock* m_clock = nullptr;
    IFilterGraph* m_graph = nullptr;
    std::u16string m_name;
};

// Copies a zero-terminated name into a fixed field of kMaxFilterName characters, truncating.
void CopyPinOrFilterName(OleChar (&target)[kMaxFilterName], const OleChar* source);

}  // namespace dshow
}  // namespace krvx
