#include "dshow/Enumerators.h"

#include <new>

#include "dshow/BaseFilter.h"
#include "dshow/BasePin.h"
#include "dshow/MediaTypes.h"
#include "platform/com.h"

namespace krvx {
namespace dshow {

// Both enumerators follow the COM rule: `fetched` may be null only when one item is asked for, and
// the result is kFalse when fewer than `count` items came.

CEnumPins::CEnumPins(CBaseFilter* filter, int position) : m_filter(filter), m_position(position) {
    m_filter->AddRef();
}

CEnumPins::~CEnumPins() {
    m_filter->Release();
}

HResult CEnumPins::QueryInterface(const Guid& iid, void** object) {
    if (!object) return kPointer;
    *object = nullptr;
    if (iid != kIidUnknown && iid != kIidEnumPins) return kNoInterface;
    *object = static_cast<IEnumPins*>(this);
    AddRef();
    return kOk;
}

uint32_t CEnumPins::AddRef() {
    return ++m_references;
}

uint32_t CEnumPins::Release() {
    const uint32_t left = --m_references;
    if (left == 0) delete this;
    return left;
}

HResult CEnumPins::Next(uint32_t count, IPin** pins, uint32_t* fetched) {
    if (!pins || (!fetched && count != 1)) return kPointer;
    uint32_t got = 0;
    while (got < count && m_position < m_filter->GetPinCount()) {
        CBasePin* pin = m_filter->GetPin(m_position++);
        if (!pin) continue;
        pin->AddRef();
        pins[got++] = pin;
    }
    if (fetched) *fetched = got;
    return got == count ? kOk : kFalse;
}

HResult CEnumPins::Skip(uint32_t count) {
    const int left = m_filter->GetPinCount() - m_position;
    if (left < 0 || static_cast<uint32_t>(left) < count) {
        m_position = m_filter->GetPinCount();
        return kFalse;
    }
    m_position += static_cast<int>(count);
    return kOk;
}

HResult CEnumPins::Reset() {
    m_position = 0;
    return kOk;
}

HResult CEnumPins::Clone(IEnumPins** copy) {
    if (!copy) return kPointer;
    *copy = new (std::nothrow) CEnumPins(m_filter, m_position);
    return *copy ? kOk : kOutOfMemory;
}

CEnumMediaTypes::CEnumMediaTypes(CBasePin* pin, int position) : m_pin(pin), m_position(position) {
    m_pin->AddRef();
}

CEnumMediaTypes::~CEnumMediaTypes() {
    m_pin->Release();
}

HResult CEnumMediaTypes::QueryInterface(const Guid& iid, void** object) {
    if (!object) return kPointer;
    *object = nullptr;
    if (iid != kIidUnknown && iid != kIidEnumMediaTypes) return kNoInterface;
    *object = static_cast<IEnumMediaTypes*>(this);
    AddRef();
    return kOk;
}

uint32_t CEnumMediaTypes::AddRef() {
    return ++m_references;
}

uint32_t CEnumMediaTypes::Release() {
    const uint32_t left = --m_references;
    if (left == 0) delete this;
    return left;
}

HResult CEnumMediaTypes::Next(uint32_t count, MediaType** types, uint32_t* fetched) {
    if (!types || (!fetched && count != 1)) return kPointer;
    uint32_t got = 0;
    while (got < count) {
        auto* record = static_cast<MediaType*>(platform::ComTaskMemAlloc(sizeof(MediaType)));
        if (!record) break;
        *record = MediaType{};
        if (m_pin->GetMediaType(m_position, record) != kOk) {
            DeleteMediaType(record);
            break;
        }
        ++m_position;
        types[got++] = record;
    }
    if (fetched) *fetched = got;
    return got == count ? kOk : kFalse;
}

HResult CEnumMediaTypes::Skip(uint32_t count) {
    // The pin's list has no length of its own: probe each position passed over.
    for (uint32_t i = 0; i < count; ++i) {
        MediaType probe{};
        const HResult listed = m_pin->GetMediaType(m_position, &probe);
        FreeMediaType(probe);
        if (listed != kOk) return kFalse;
        ++m_position;
    }
    return kOk;
}

HResult CEnumMediaTypes::Reset() {
    m_position = 0;
    return kOk;
}

HResult CEnumMediaTypes::Clone(IEnumMediaTypes** copy) {
    if (!copy) return kPointer;
    *copy = new (std::nothrow) CEnumMediaTypes(m_pin, m_position);
    return *copy ? kOk : kOutOfMemory;
}

}  // namespace dshow
}  // namespace krvx
