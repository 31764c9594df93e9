#include "graph/FilterGraph.h"

#include <cstdio>
#include <new>

#include "graph/FilterEnumerator.h"
#include "graph/HandOut.h"

namespace krvx {
namespace graph {

using namespace dshow;

namespace {

constexpr size_t kNotMember = static_cast<size_t>(-1);

// The filter a pin belongs to, referenced; null when the pin does not say.
ComPointer<IBaseFilter> OwnerOf(IPin* pin) {
    PinInfo info{};
    if (Failed(pin->QueryPinInfo(&info))) return ComPointer<IBaseFilter>();
    return ComPointer<IBaseFilter>(info.filter);
}

// Calls `visit` with every pin of `filter`, each referenced for the call.
template <typename Visit>
void ForEachPin(IBaseFilter* filter, Visit visit) {
    ComPointer<IEnumPins> pins;
    if (Failed(filter->EnumPins(pins.Receive())) || !pins) return;
    for (;;) {
        ComPointer<IPin> pin;
        uint32_t fetched = 0;
        if (pins->Next(1, pin.Receive(), &fetched) != kOk || fetched != 1) break;
        visit(pin.Get());
    }
}

}  // namespace

void DisconnectFilter(IBaseFilter* filter) {
    ForEachPin(filter, [](IPin* pin) {
        ComPointer<IPin> peer;
        if (Succeeded(pin->ConnectedTo(peer.Receive())) && peer) {
            peer->Disconnect();
            pin->Disconnect();
        }
    });
}

HResult FilterGraph::Create(const Guid& iid, void** object) {
    if (!object) return kPointer;
    *object = nullptr;
    FilterGraph* graph = new (std::nothrow) FilterGraph();
    return HandOut(graph, true, iid, object);
}

FilterGraph::~FilterGraph() {
    if (m_state != FilterState::Stopped) StopAll();
    // Connections first, so that no filter is left pointing at a pin of one already gone.
    for (Member& member : m_members) DisconnectFilter(member.filter.Get());
    for (Member& member : m_members) member.filter->JoinFilterGraph(nullptr, nullptr);
}

HResult FilterGraph::QueryInterface(const Guid& iid, void** object) {
    if (!object) return kPointer;
    if (iid == kIidUnknown || iid == kIidFilterGraph || iid == kIidGraphBuilder) {
        *object = static_cast<IGraphBuilder*>(this);
    } else if (iid == kIidMediaControl) {
        *object = static_cast<IMediaControl*>(this);
    } else {
        *object = nullptr;
        return kNoInterface;
    }
    AddRef();
    return kOk;
}

uint32_t FilterGraph::AddRef() {
    return ++m_references;
}

uint32_t FilterGraph::Release() {
    uint32_t left = --m_references;
    if (left == 0) delete this;
    return left;
}

size_t FilterGraph::Find(IBaseFilter* filter) const {
    for (size_t i = 0; i < m_members.size(); ++i) {
        if (m_members[i].filter.Get() == filter) return i;
    }
    return kNotMember;
}

bool FilterGraph::NameTaken(const std::u16string& name) const {
    for (const Member& member : m_members) {
        if (member.name == name) return true;
    }
    return false;
}

std::u16string FilterGraph::UniqueName(const OleChar* requested) const {
    // Room for the terminator and for a " 0001" suffix within the filter-name limit.
    constexpr size_t kSuffix = 5;
    std::u16string base = requested && *requested ? std::u16string(requested) : std::u16string(u"Filter");
    if (base.size() > kMaxFilterName - 1) base.resize(kMaxFilterName - 1);
    if (!NameTaken(base)) return base;
    if (base.size() > kMaxFilterName - 1 - kSuffix) base.resize(kMaxFilterName - 1 - kSuffix);
    for (unsigned number = 1;; ++number) {
        char digits[16];
        std::snprintf(digits, sizeof(digits), " %04u", number);
        std::u16string candidate = base;
        for (const char* c = digits; *c; ++c) candidate.push_back(static_cast<char16_t>(*c));
        if (!NameTaken(candidate)) return candidate;
    }
}

HResult FilterGraph::AddFilter(IBaseFilter* filter, const OleChar* name) {
    if (!filter) return kPointer;
    platform::ScopedLock hold(m_lock);
    if (Find(filter) != kNotMember) return kInvalidArg;
    std::u16string given = UniqueName(name);
    bool renamed = name && *name && given != name;
    ComPointer<IBaseFilter> held = ComPointer<IBaseFilter>::Share(filter);
    HResult joined = filter->JoinFilterGraph(this, given.c_str());
    if (Failed(joined)) return joined;
    m_members.push_back(Member{std::move(held), std::move(given)});
    return renamed ? kDuplicateName : kOk;
}

HResult FilterGraph::RemoveFilter(IBaseFilter* filter) {
    platform::ScopedLock hold(m_lock);
    size_t index = Find(filter);
    if (index == kNotMember) return kNotFound;
    if (m_state != FilterState::Stopped) filter->Stop();
    DisconnectFilter(filter);
    filter->JoinFilterGraph(nullptr, nullptr);
    // The graph's reference goes with the member.
    m_members.erase(m_members.begin() + static_cast<ptrdiff_t>(index));
    return kOk;
}

HResult FilterGraph::EnumFilters(IEnumFilters** filters) {
    if (!filters) return kPointer;
    platform::ScopedLock hold(m_lock);
    std::vector<ComPointer<IBaseFilter>> snapshot;
    for (const Member& member : m_members) snapshot.push_back(member.filter);
    *filters = FilterEnumerator::Create(std::move(snapshot), 0);
    return *filters ? kOk : kOutOfMemory;
}

HResult FilterGraph::FindFilterByName(const OleChar* name, IBaseFilter** filter) {
    if (!name || !filter) return kPointer;
    *filter = nullptr;
    platform::ScopedLock hold(m_lock);
    for (const Member& member : m_members) {
        if (member.name == name) {
            *filter = member.filter.Get();
            (*filter)->AddRef();
            return kOk;
        }
    }
    return kNotFound;
}

bool FilterGraph::PinInGraph(IPin* pin) const {
    ComPointer<IBaseFilter> owner = OwnerOf(pin);
    return owner && Find(owner.Get()) != kNotMember;
}

HResult FilterGraph::ConnectDirect(IPin* output, IPin* input, const MediaType* type) {
    if (!output || !input) return kPointer;
    platform::ScopedLock hold(m_lock);
    if (!PinInGraph(output) || !PinInGraph(input)) return kNotInGraph;
    PinDirection outputDirection = PinDirection::Input;
    PinDirection inputDirection = PinDirection::Output;
    if (Failed(output->QueryDirection(&outputDirection)) || Failed(input->QueryDirection(&inputDirection)) ||
        outputDirection != PinDirection::Output || inputDirection != PinDirection::Input) {
        return kInvalidArg;
    }
    return output->Connect(input, type);
}

HResult FilterGraph::Connect(IPin* output, IPin* input) {
    // No converters exist here: the direct connection, with any type the pins agree on, is all there is.
    return ConnectDirect(output, input, nullptr);
}

HResult FilterGraph::Disconnect(IPin* pin) {
    if (!pin) return kPointer;
    return pin->Disconnect();
}

HResult FilterGraph::Reconnect(IPin*) {
    return kNotImplemented;
}
HResult FilterGraph::SetDefaultSyncSource() {
    return kNotImplemented;
}
HResult FilterGraph::Render(IPin*) {
    return kNotImplemented;
}
HResult FilterGraph::RenderFile(const OleChar*, const OleChar*) {
    return kNotImplemented;
}
HResult FilterGraph::AddSourceFilter(const OleChar*, const OleChar*, IBaseFilter** filter) {
    if (filter) *filter = nullptr;
    return kNotImplemented;
}
HResult FilterGraph::SetLogFile(uintptr_t) {
    return kNotImplemented;
}
HResult FilterGraph::Abort() {
    return kNotImplemented;
}
HResult FilterGraph::ShouldOperationContinue() {
    return kNotImplemented;
}
HResult FilterGraph::GetTypeInfoCount(uint32_t* count) {
    if (count) *count = 0;
    return kNotImplemented;
}
HResult FilterGraph::GetTypeInfo(uint32_t, uint32_t, void** typeInfo) {
    if (typeInfo) *typeInfo = nullptr;
    return kNotImplemented;
}
HResult FilterGraph::GetIDsOfNames(const Guid&, OleChar**, uint32_t, uint32_t, int32_t*) {
    return kNotImplemented;
}
HResult FilterGraph::Invoke(int32_t, const Guid&, uint32_t, uint16_t, void*, void*, void*, uint32_t*) {
    return kNotImplemented;
}
HResult FilterGraph::RenderFile(OleChar*) {
    return kNotImplemented;
}
HResult FilterGraph::AddSourceFilter(OleChar*, IDispatch** filter) {
    if (filter) *filter = nullptr;
    return kNotImplemented;
}
HResult FilterGraph::get_FilterCollection(IDispatch** collection) {
    if (collection) *collection = nullptr;
    return kNotImplemented;
}
HResult FilterGraph::get_RegFilterCollection(IDispatch** collection) {
    if (collection) *collection = nullptr;
    return kNotImplemented;
}
HResult FilterGraph::StopWhenReady() {
    return kNotImplemented;
}

void FilterGraph::VisitDownstream(size_t index, std::vector<uint8_t>& visited,
                                  std::vector<IBaseFilter*>& order) const {
    if (visited[index]) return;
    visited[index] = 1;
    IBaseFilter* filter = m_members[index].filter.Get();
    ForEachPin(filter, [&](IPin* pin) {
        PinDirection direction = PinDirection::Input;
        if (Failed(pin->QueryDirection(&direction)) || direction != PinDirection::Output) return;
        ComPointer<IPin> peer;
        if (Failed(pin->ConnectedTo(peer.Receive())) || !peer) return;
        ComPointer<IBaseFilter> downstream = OwnerOf(peer.Get());
        size_t next = downstream ? Find(downstream.Get()) : kNotMember;
        if (next != kNotMember) VisitDownstream(next, visited, order);
    });
    // Everything this filter feeds is already listed.
    order.push_back(filter);
}

std::vector<IBaseFilter*> FilterGraph::DownstreamFirst() const {
    std::vector<uint8_t> visited(m_members.size(), 0);
    std::vector<IBaseFilter*> order;
    for (size_t i = 0; i < m_members.size(); ++i) VisitDownstream(i, visited, order);
    return order;
}

HResult FilterGraph::PauseAll() {
    for (IBaseFilter* filter : DownstreamFirst()) {
        HResult result = filter->Pause();
        if (Failed(result)) return result;
    }
    m_state = FilterState::Paused;
    return kOk;
}

HResult FilterGraph::StopAll() {
    // Sources first, so that nothing is delivered to a filter that has already stopped.
    std::vector<IBaseFilter*> order = DownstreamFirst();
    HResult first = kOk;
    for (auto it = order.rbegin(); it != order.rend(); ++it) {
        HResult result = (*it)->Stop();
        if (Failed(result) && Succeeded(first)) first = result;
    }
    m_state = FilterState::Stopped;
    return first;
}

HResult FilterGraph::Run() {
    platform::ScopedLock hold(m_lock);
    if (m_state == FilterState::Running) return kOk;
    HResult result = m_state == FilterState::Stopped ? PauseAll() : kOk;
    if (Succeeded(result)) {
        for (IBaseFilter* filter : DownstreamFirst()) {
            result = filter->Run(0);
            if (Failed(result)) break;
        }
    }
    if (Failed(result)) {
        StopAll();
        return result;
    }
    m_state = FilterState::Running;
    return kOk;
}

HResult FilterGraph::Pause() {
    platform::ScopedLock hold(m_lock);
    HResult result = PauseAll();
    if (Failed(result)) StopAll();
    return result;
}

HResult FilterGraph::Stop() {
    platform::ScopedLock hold(m_lock);
    if (m_state == FilterState::Stopped) return kOk;
    return StopAll();
}

HResult FilterGraph::GetState(int32_t, int32_t* state) {
    if (!state) return kPointer;
    platform::ScopedLock hold(m_lock);
    *state = static_cast<int32_t>(m_state);
    return kOk;
}

}  // namespace graph
}  // namespace krvx
