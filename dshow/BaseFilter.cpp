#include "dshow/BaseFilter.h"

#include <new>

#include "dshow/BasePin.h"
#include "dshow/Enumerators.h"

namespace krvx {
namespace dshow {

namespace {
bool SameName(const OleChar* a, const OleChar* b) {
    while (*a && *a == *b) {
        ++a;
        ++b;
    }
    return *a == *b;
}
}  // namespace

void CopyPinOrFilterName(OleChar (&target)[kMaxFilterName], const OleChar* source) {
    size_t i = 0;
    for (; source && source[i] && i + 1 < kMaxFilterName; ++i) target[i] = source[i];
    target[i] = 0;
}

CBaseFilter::CBaseFilter(const Guid& classId, platform::CriticalSection* lock)
    : m_classId(classId), m_lock(lock) {}

CBaseFilter::~CBaseFilter() {
    if (m_clock) m_clock->Release();
}

HResult CBaseFilter::QueryInterface(const Guid& iid, void** object) {
    if (!object) return kPointer;
    *object = nullptr;
    if (iid == kIidUnknown || iid == kIidPersist || iid == kIidMediaFilter || iid == kIidBaseFilter) {
        *object = static_cast<IBaseFilter*>(this);
        AddRef();
        return kOk;
    }
    return QueryOtherInterface(iid, object);
}

HResult CBaseFilter::QueryOtherInterface(const Guid&, void** object) {
    *object = nullptr;
    return kNoInterface;
}

uint32_t CBaseFilter::AddRef() {
    return ++m_references;
}

uint32_t CBaseFilter::Release() {
    const uint32_t left = --m_references;
    if (left == 0) delete this;
    return left;
}

HResult CBaseFilter::GetClassID(Guid* classId) {
    if (!classId) return kPointer;
    *classId = m_classId;
    return kOk;
}

HResult CBaseFilter::Stop() {
    platform::ScopedLock hold(*m_lock);
    HResult result = kOk;
    if (m_state != FilterState::Stopped) {
        for (int i = 0; i < GetPinCount(); ++i) {
            CBasePin* pin = GetPin(i);
            if (!pin || !pin->IsConnected()) continue;
            const HResult pinResult = pin->Inactive();
            if (Failed(pinResult) && Succeeded(result)) result = pinResult;
        }
    }
    m_state = FilterState::Stopped;
    return result;
}

HResult CBaseFilter::Pause() {
    platform::ScopedLock hold(*m_lock);
    if (m_state == FilterState::Stopped) {
        for (int i = 0; i < GetPinCount(); ++i) {
            CBasePin* pin = GetPin(i);
            if (!pin || !pin->IsConnected()) continue;
            const HResult result = pin->Active();
            if (Failed(result)) return result;
        }
    }
    m_state = FilterState::Paused;
    return kOk;
}

HResult CBaseFilter::Run(ReferenceTime start) {
    platform::ScopedLock hold(*m_lock);
    if (m_state == FilterState::Stopped) {
        const HResult result = Pause();
        if (Failed(result)) return result;
    }
    m_start = start;
    m_state = FilterState::Running;
    return kOk;
}

HResult CBaseFilter::GetState(uint32_t, FilterState* state) {
    if (!state) return kPointer;
    *state = m_state;
    return kOk;
}

HResult CBaseFilter::SetSyncSource(IReferenceClock* clock) {
    platform::ScopedLock hold(*m_lock);
    if (clock) clock->AddRef();
    if (m_clock) m_clock->Release();
    m_clock = clock;
    return kOk;
}

HResult CBaseFilter::GetSyncSource(IReferenceClock** clock) {
    if (!clock) return kPointer;
    platform::ScopedLock hold(*m_lock);
    *clock = m_clock;
    if (m_clock) m_clock->AddRef();
    return kOk;
}

HResult CBaseFilter::EnumPins(IEnumPins** pins) {
    if (!pins) return kPointer;
    *pins = new (std::nothrow) CEnumPins(this);
    return *pins ? kOk : kOutOfMemory;
}

HResult CBaseFilter::FindPin(const OleChar* id, IPin** pin) {
    if (!id || !pin) return kPointer;
    *pin = nullptr;
    platform::ScopedLock hold(*m_lock);
    for (int i = 0; i < GetPinCount(); ++i) {
        CBasePin* candidate = GetPin(i);
        if (candidate && SameName(candidate->Name(), id)) {
            candidate->AddRef();
            *pin = candidate;
            return kOk;
        }
    }
    return kNotFound;
}

HResult CBaseFilter::QueryFilterInfo(FilterInfo* info) {
    if (!info) return kPointer;
    platform::ScopedLock hold(*m_lock);
    CopyPinOrFilterName(info->name, m_name.c_str());
    info->graph = m_graph;
    if (m_graph) m_graph->AddRef();
    return kOk;
}

HResult CBaseFilter::JoinFilterGraph(IFilterGraph* graph, const OleChar* name) {
    platform::ScopedLock hold(*m_lock);
    m_graph = graph;
    if (name) {
        m_name = name;
    } else {
        m_name.clear();
    }
    return kOk;
}

HResult CBaseFilter::QueryVendorInfo(OleChar** vendorInfo) {
    if (vendorInfo) *vendorInfo = nullptr;
    return kNotImplemented;
}

}  // namespace dshow
}  // namespace krvx
