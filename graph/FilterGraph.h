// The stand-in filter graph used where the system has none: it holds filters under unique names,
// connects their pins directly (no intermediate filters are ever inserted) and moves them through
// stopped, paused and running, downstream filters first when starting and last when stopping.
#pragma once
#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "dshow/ComPointer.h"
#include "dshow/Interfaces.h"
#include "platform/sync.h"

namespace krvx {
namespace graph {

// AddFilter's success code when the name was already taken and a numbered one was given instead.
constexpr dshow::HResult kDuplicateName = 0x0004022D;  // VFW_S_DUPLICATE_NAME

class FilterGraph final : public dshow::IGraphBuilder, public dshow::IMediaControl {
public:
    // Creates a graph and answers `iid` on it (one reference), as a class factory does.
    static dshow::HResult Create(const dshow::Guid& iid, void** object);

    // IUnknown, shared by both interfaces.
    dshow::HResult KRVX_COM_CALL QueryInterface(const dshow::Guid& iid, void** object) override;
    uint32_t KRVX_COM_CALL AddRef() override;
    uint32_t KRVX_COM_CALL Release() override;

    // IFilterGraph
    dshow::HResult KRVX_COM_CALL AddFilter(dshow::IBaseFilter* filter, const dshow::OleChar* name) override;
    dshow::HResult KRVX_COM_CALL RemoveFilter(dshow::IBaseFilter* filter) override;
    dshow::HResult KRVX_COM_CALL EnumFilters(dshow::IEnumFilters** filters) override;
    dshow::HResult KRVX_COM_CALL FindFilterByName(const dshow::OleChar* name,
                                                  dshow::IBaseFilter** filter) override;
    dshow::HResult KRVX_COM_CALL ConnectDirect(dshow::IPin* output, dshow::IPin* input,
                                               const dshow::MediaType* type) override;
    dshow::HResult KRVX_COM_CALL Reconnect(dshow::IPin* pin) override;
    dshow::HResult KRVX_COM_CALL Disconnect(dshow::IPin* pin) override;
    dshow::HResult KRVX_COM_CALL SetDefaultSyncSource() override;

    // IGraphBuilder: Connect is the direct connection; nothing is rendered or loaded from files.
    dshow::HResult KRVX_COM_CALL Connect(dshow::IPin* output, dshow::IPin* input) override;
    dshow::HResult KRVX_COM_CALL Render(dshow::IPin* output) override;
    dshow::HResult KRVX_COM_CALL RenderFile(const dshow::OleChar* file,
                                            const dshow::OleChar* playList) override;
    dshow::HResult KRVX_COM_CALL AddSourceFilter(const dshow::OleChar* file, const dshow::OleChar* name,
                                                 dshow::IBaseFilter** filter) override;
    dshow::HResult KRVX_COM_CALL SetLogFile(uintptr_t file) override;
    dshow::HResult KRVX_COM_CALL Abort() override;
    dshow::HResult KRVX_COM_CALL ShouldOperationContinue() override;

    // IDispatch: not offered.
    dshow::HResult KRVX_COM_CALL GetTypeInfoCount(uint32_t* count) override;
    dshow::HResult KRVX_COM_CALL GetTypeInfo(uint32_t index, uint32_t locale, void** typeInfo) override;
    dshow::HResult KRVX_COM_CALL GetIDsOfNames(const dshow::Guid& iid, dshow::OleChar** names, uint32_t count,
                                               uint32_t locale, int32_t* ids) override;
    dshow::HResult KRVX_COM_CALL Invoke(int32_t id, const dshow::Guid& iid, uint32_t locale, uint16_t flags,
                                        void* parameters, void* result, void* exception,
                                        uint32_t* argumentError) override;

    // IMediaControl
    dshow::HResult KRVX_COM_CALL Run() override;
    dshow::HResult KRVX_COM_CALL Pause() override;
    dshow::HResult KRVX_COM_CALL Stop() override;
    dshow::HResult KRVX_COM_CALL GetState(int32_t timeoutMs, int32_t* state) override;
    dshow::HResult KRVX_COM_CALL RenderFile(dshow::OleChar* file) override;
    dshow::HResult KRVX_COM_CALL AddSourceFilter(dshow::OleChar* file, dshow::IDispatch** filter) override;
    dshow::HResult KRVX_COM_CALL get_FilterCollection(dshow::IDispatch** collection) override;
    dshow::HResult KRVX_COM_CALL get_RegFilterCollection(dshow::IDispatch** collection) override;
    dshow::HResult KRVX_COM_CALL StopWhenReady() override;

private:
    struct Member {
        dshow::ComPointer<dshow::IBaseFilter> filter;
        std::u16string name;
    };

    FilterGraph() = default;
    ~FilterGraph();

    size_t Find(dshow::IBaseFilter* filter) const;
    bool NameTaken(const std::u16string& name) const;
    std::u16string UniqueName(const dshow::OleChar* requested) const;
    bool PinInGraph(dshow::IPin* pin) const;
    // The filters with every filter before the filters it feeds: sinks first.
    std::vector<dshow::IBaseFilter*> DownstreamFirst() const;
    void VisitDownstream(size_t index, std::vector<uint8_t>& visited,
                         std::vector<dshow::IBaseFilter*>& order) const;
    dshow::HResult PauseAll();
    dshow::HResult StopAll();

    std::atomic<uint32_t> m_references{1};
    mutable platform::CriticalSection m_lock;
    std::vector<Member> m_members;
    dshow::FilterState m_state = dshow::FilterState::Stopped;
};

// Disconnects both ends of every connected pin of `filter`.
void DisconnectFilter(dshow::IBaseFilter* filter);

}  // namespace graph
}  // namespace krvx
