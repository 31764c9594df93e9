#include "dshow/BasePin.h"

#include <cstring>
#include <new>

#include "dshow/BaseFilter.h"
#include "dshow/Enumerators.h"
#include "dshow/MediaTypes.h"
#include "platform/com.h"

namespace krvx {
namespace dshow {

namespace {
constexpr Guid kNullGuid{};

// A partly given type (any null identifier) is a pattern that candidates must match where it is set.
bool IsComplete(const MediaType* type) {
    return type && type->majorType != kNullGuid && type->subtype != kNullGuid &&
           type->formatType != kNullGuid;
}

bool Matches(const MediaType* pattern, const MediaType& candidate) {
    if (!pattern) return true;
    if (pattern->majorType != kNullGuid && pattern->majorType != candidate.majorType) return false;
    if (pattern->subtype != kNullGuid && pattern->subtype != candidate.subtype) return false;
    return pattern->formatType == kNullGuid || pattern->formatType == candidate.formatType;
}
}  // namespace

CBasePin::CBasePin(CBaseFilter* filter, platform::CriticalSection* lock, const OleChar* name,
                   PinDirection direction)
    : m_filter(filter), m_lock(lock), m_name(name ? name : u""), m_direction(direction) {}

CBasePin::~CBasePin() {
    // A pin dropped while still connected gives back the reference it holds on its peer.
    if (m_connected) m_connected->Release();
    FreeMediaType(m_type);
}

HResult CBasePin::QueryInterface(const Guid& iid, void** object) {
    if (!object) return kPointer;
    *object = nullptr;
    if (iid == kIidUnknown || iid == kIidPin) {
        *object = static_cast<IPin*>(this);
        AddRef();
        return kOk;
    }
    return kNoInterface;
}

uint32_t CBasePin::AddRef() {
    return m_filter->AddRef();
}

uint32_t CBasePin::Release() {
    return m_filter->Release();
}

HResult CBasePin::Connect(IPin* receivePin, const MediaType* type) {
    if (!receivePin) return kPointer;
    platform::ScopedLock hold(*m_lock);
    if (m_connected) return kAlreadyConnected;
    if (m_filter->State() != FilterState::Stopped) return kNotStopped;
    if (!IsOtherDirection(receivePin)) return kInvalidDirection;
    if (IsComplete(type)) return TryConnection(receivePin, type);

    // Our own preferences first, then the receiver's. A candidate both sides accepted but that failed
    // later (no IMemInputPin, no allocator) says more than "no acceptable types": that failure is kept.
    HResult failure = kNoAcceptableTypes;
    for (int position = 0;; ++position) {
        MediaType candidate{};
        const HResult listed = GetMediaType(position, &candidate);
        if (listed != kOk) {
            FreeMediaType(candidate);
            break;
        }
        const HResult result =
            Matches(type, candidate) ? TryConnection(receivePin, &candidate) : kTypeNotAccepted;
        FreeMediaType(candidate);
        if (Succeeded(result)) return result;
        if (result != kTypeNotAccepted) failure = result;
    }
    IEnumMediaTypes* theirs = nullptr;
    if (Succeeded(receivePin->EnumMediaTypes(&theirs)) && theirs) {
        const HResult result = TryTypesFrom(theirs, receivePin, type, failure);
        theirs->Release();
        if (Succeeded(result)) return result;
    }
    return failure;
}

HResult CBasePin::TryTypesFrom(IEnumMediaTypes* types, IPin* receivePin, const MediaType* wanted,
                               HResult& failure) {
    for (;;) {
        MediaType* candidate = nullptr;
        uint32_t fetched = 0;
        if (types->Next(1, &candidate, &fetched) != kOk || fetched != 1 || !candidate) return failure;
        const HResult result =
            Matches(wanted, *candidate) ? TryConnection(receivePin, candidate) : kTypeNotAccepted;
        DeleteMediaType(candidate);
        if (Succeeded(result)) return result;
        if (result != kTypeNotAccepted) failure = result;
    }
}

bool CBasePin::IsOtherDirection(IPin* pin) {
    PinDirection theirs = m_direction;
    return Succeeded(pin->QueryDirection(&theirs)) && theirs != m_direction;
}

HResult CBasePin::TryConnection(IPin* receivePin, const MediaType* type) {
    if (CheckMediaType(type) != kOk) return kTypeNotAccepted;
    HResult result = CopyMediaType(&m_type, type);
    if (Failed(result)) {
        m_type = MediaType{};
        return result;
    }
    m_connected = receivePin;
    m_connected->AddRef();
    result = receivePin->ReceiveConnection(this, type);
    if (Succeeded(result)) {
        result = CompleteConnect(receivePin);
        if (Failed(result)) receivePin->Disconnect();
    }
    if (Failed(result)) {
        BreakConnect();
        ClearConnection();
    }
    return result;
}

void CBasePin::ClearConnection() {
    if (m_connected) m_connected->Release();
    m_connected = nullptr;
    FreeMediaType(m_type);
    m_type = MediaType{};
}

HResult CBasePin::ReceiveConnection(IPin* connector, const MediaType* type) {
    if (!connector || !type) return kPointer;
    platform::ScopedLock hold(*m_lock);
    if (m_connected) return kAlreadyConnected;
    if (m_filter->State() != FilterState::Stopped) return kNotStopped;
    if (!IsOtherDirection(connector)) return kInvalidDirection;
    if (CheckMediaType(type) != kOk) return kTypeNotAccepted;
    HResult result = CopyMediaType(&m_type, type);
    if (Failed(result)) {
        m_type = MediaType{};
        return result;
    }
    m_connected = connector;
    m_connected->AddRef();
    result = CompleteConnect(connector);
    if (Failed(result)) {
        BreakConnect();
        ClearConnection();
    }
    return result;
}

HResult CBasePin::Disconnect() {
    platform::ScopedLock hold(*m_lock);
    if (m_filter->State() != FilterState::Stopped) return kNotStopped;
    if (!m_connected) return kFalse;
    BreakConnect();
    ClearConnection();
    return kOk;
}

HResult CBasePin::ConnectedTo(IPin** pin) {
    if (!pin) return kPointer;
    platform::ScopedLock hold(*m_lock);
    *pin = m_connected;
    if (!m_connected) return kNotConnected;
    m_connected->AddRef();
    return kOk;
}

HResult CBasePin::ConnectionMediaType(MediaType* type) {
    if (!type) return kPointer;
    platform::ScopedLock hold(*m_lock);
    if (!m_connected) {
        *type = MediaType{};
        return kNotConnected;
    }
    return CopyMediaType(type, &m_type);
}

HResult CBasePin::QueryPinInfo(PinInfo* info) {
    if (!info) return kPointer;
    info->filter = m_filter;
    m_filter->AddRef();
    info->direction = m_direction;
    CopyPinOrFilterName(info->name, m_name.c_str());
    return kOk;
}

HResult CBasePin::QueryDirection(PinDirection* direction) {
    if (!direction) return kPointer;
    *direction = m_direction;
    return kOk;
}

HResult CBasePin::QueryId(OleChar** id) {
    if (!id) return kPointer;
    const size_t bytes = (m_name.size() + 1) * sizeof(OleChar);
    *id = static_cast<OleChar*>(platform::ComTaskMemAlloc(bytes));
    if (!*id) return kOutOfMemory;
    std::memcpy(*id, m_name.c_str(), bytes);
    return kOk;
}

HResult CBasePin::QueryAccept(const MediaType* type) {
    if (!type) return kPointer;
    return CheckMediaType(type) == kOk ? kOk : kFalse;
}

HResult CBasePin::EnumMediaTypes(IEnumMediaTypes** types) {
    if (!types) return kPointer;
    *types = new (std::nothrow) CEnumMediaTypes(this);
    return *types ? kOk : kOutOfMemory;
}

HResult CBasePin::QueryInternalConnections(IPin**, uint32_t*) {
    return kNotImplemented;
}

HResult CBasePin::EndOfStream() {
    return kOk;
}

HResult CBasePin::BeginFlush() {
    return kOk;
}

HResult CBasePin::EndFlush() {
    return kOk;
}

HResult CBasePin::NewSegment(ReferenceTime start, ReferenceTime stop, double rate) {
    platform::ScopedLock hold(*m_lock);
    m_segmentStart = start;
    m_segmentStop = stop;
    m_segmentRate = rate;
    return kOk;
}

HResult CBasePin::GetMediaType(int position, MediaType*) {
    return position < 0 ? kInvalidArg : kNoMoreItems;
}

HResult CBasePin::CompleteConnect(IPin*) {
    return kOk;
}

HResult CBasePin::BreakConnect() {
    return kOk;
}

HResult CBasePin::Active() {
    return kOk;
}

HResult CBasePin::Inactive() {
    return kOk;
}

}  // namespace dshow
}  // namespace krvx
