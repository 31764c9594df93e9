// IEnumFilters over a snapshot of the graph's filters: each filter is referenced for the enumerator's life.
#pragma once
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "dshow/ComPointer.h"
#include "dshow/Interfaces.h"

namespace krvx {
namespace graph {

class FilterEnumerator final : public dshow::IEnumFilters {
public:
    // Returns the enumerator with one reference, or null when it cannot be allocated.
    static FilterEnumerator* Create(std::vector<dshow::ComPointer<dshow::IBaseFilter>> filters,
                                    size_t position);

    dshow::HResult KRVX_COM_CALL QueryInterface(const dshow::Guid& iid, void** object) override;
    uint32_t KRVX_COM_CALL AddRef() override;
    uint32_t KRVX_COM_CALL Release() override;

    dshow::HResult KRVX_COM_CALL Next(uint32_t count, dshow::IBaseFilter** filters,
                                      uint32_t* fetched) override;
    dshow::HResult KRVX_COM_CALL Skip(uint32_t count) override;
    dshow::HResult KRVX_COM_CALL Reset() override;
    dshow::HResult KRVX_COM_CALL Clone(dshow::IEnumFilters** copy) override;

private:
    FilterEnumerator() = default;
    ~FilterEnumerator() = default;

    std::atomic<uint32_t> m_references{1};
    std::vector<dshow::ComPointer<dshow::IBaseFilter>> m_filters;
    size_t m_position = 0;
};

}  // namespace graph
}  // namespace krvx
