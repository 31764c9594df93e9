#include "graph/FilterEnumerator.h"

#include <new>
#include <utility>

namespace krvx {
namespace graph {

using namespace dshow;

FilterEnumerator* FilterEnumerator::Create(std::vector<ComPointer<IBaseFilter>> filters, size_t position) {
    FilterEnumerator* enumerator = new (std::nothrow) FilterEnumerator();
    if (!enumerator) return nullptr;
    enumerator->m_filters = std::move(filters);
    enumerator->m_position = position;
    return enumerator;
}

HResult FilterEnumerator::QueryInterface(const Guid& iid, void** object) {
    if (!object) return kPointer;
    if (iid == kIidUnknown || iid == kIidEnumFilters) {
        *object = static_cast<IEnumFilters*>(this);
        AddRef();
        return kOk;
    }
    *object = nullptr;
    return kNoInterface;
}

uint32_t FilterEnumerator::AddRef() {
    return ++m_references;
}

uint32_t FilterEnumerator::Release() {
    uint32_t left = --m_references;
    if (left == 0) delete this;
    return left;
}

HResult FilterEnumerator::Next(uint32_t count, IBaseFilter** filters, uint32_t* fetched) {
    if (!filters) return kPointer;
    // Several filters at once need somewhere to say how many came.
    if (count > 1 && !fetched) return kPointer;
    uint32_t given = 0;
    while (given < count && m_position < m_filters.size()) {
        filters[given] = m_filters[m_position++].Get();
        filters[given]->AddRef();
        ++given;
    }
    if (fetched) *fetched = given;
    return given == count ? kOk : kFalse;
}

HResult FilterEnumerator::Skip(uint32_t count) {
    size_t left = m_filters.size() - m_position;
    if (count > left) {
        m_position = m_filters.size();
        return kFalse;
    }
    m_position += count;
    return kOk;
}

HResult FilterEnumerator::Reset() {
    m_position = 0;
    return kOk;
}

HResult FilterEnumerator::Clone(IEnumFilters** copy) {
    if (!copy) return kPointer;
    *copy = Create(m_filters, m_position);
    return *copy ? kOk : kOutOfMemory;
}

}  // namespace graph
}  // namespace krvx
