// Enumerators over a filter's pins and over a pin's preferred media types.
#pragma once
#include <atomic>
#include <cstdint>

#include "dshow/Interfaces.h"

namespace krvx {
namespace dshow {

class CBaseFilter;
class CBasePin;

// Hands out the filter's pins with a reference each. Holds a reference on the filter.
class CEnumPins final : public IEnumPins {
public:
    // Starts with one reference, held by the creator.
    explicit CEnumPins(CBaseFilter* filter, int position = 0);

    HResult KRVX_COM_CALL QueryInterface(const Guid& iid, void** object) override;
    uint32_t KRVX_COM_CALL AddRef() override;
    uint32_t KRVX_COM_CALL Release() override;

    HResult KRVX_COM_CALL Next(uint32_t count, IPin** pins, uint32_t* fetched) override;
    HResult KRVX_COM_CALL Skip(uint32_t count) override;
    HResult KRVX_COM_CALL Reset() override;
    HResult KRVX_COM_CALL Clone(IEnumPins** copy) override;

private:
    ~CEnumPins();

    std::atomic<uint32_t> m_references{1};
    CBaseFilter* m_filter;
    int m_position;
};

// Hands out task-allocated copies of the pin's GetMediaType list; the caller frees each with
// DeleteMediaType. Holds a reference on the pin (that is, on its filter).
class CEnumMediaTypes final : public IEnumMediaTypes {
public:
    explicit CEnumMediaTypes(CBasePin* pin, int position = 0);

    HResult KRVX_COM_CALL QueryInterface(const Guid& iid, void** object) override;
    uint32_t KRVX_COM_CALL AddRef() override;
    uint32_t KRVX_COM_CALL Release() override;

    HResult KRVX_COM_CALL Next(uint32_t count, MediaType** types, uint32_t* fetched) override;
    HResult KRVX_COM_CALL Skip(uint32_t count) override;
    HResult KRVX_COM_CALL Reset() override;
    HResult KRVX_COM_CALL Clone(IEnumMediaTypes** copy) override;

private:
    ~CEnumMediaTypes();

    std::atomic<uint32_t> m_references{1};
    CBasePin* m_pin;
    int m_position;
};

}  // namespace dshow
}  // namespace krvx
