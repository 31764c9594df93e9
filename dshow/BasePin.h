// The common part of a pin: connection and media-type negotiation, pin information, stream notices.
// Pins belong to their filter: their references are the filter's.
#pragma once
#include <cstdint>
#include <string>

#include "dshow/Interfaces.h"
#include "platform/sync.h"

namespace krvx {
namespace dshow {

class CBaseFilter;

constexpr HResult kInvalidDirection = static_cast<HResult>(0x80040208u);  // VFW_E_INVALID_DIRECTION

class CBasePin : public IPin {
public:
    // `lock` guards the connection and must outlive the pin.
    CBasePin(CBaseFilter* filter, platform::CriticalSection* lock, const OleChar* name,
             PinDirection direction);
    virtual ~CBasePin();
    CBasePin(const CBasePin&) = delete;
    CBasePin& operator=(const CBasePin&) = delete;

    HResult KRVX_COM_CALL QueryInterface(const Guid& iid, void** object) override;
    uint32_t KRVX_COM_CALL AddRef() override;
    uint32_t KRVX_COM_CALL Release() override;

    HResult KRVX_COM_CALL Connect(IPin* receivePin, const MediaType* type) override;
    HResult KRVX_COM_CALL ReceiveConnection(IPin* connector, const MediaType* type) override;
    HResult KRVX_COM_CALL Disconnect() override;
    HResult KRVX_COM_CALL ConnectedTo(IPin** pin) override;
    HResult KRVX_COM_CALL ConnectionMediaType(MediaType* type) override;
    HResult KRVX_COM_CALL QueryPinInfo(PinInfo* info) override;
    HResult KRVX_COM_CALL QueryDirection(PinDirection* direction) override;
    HResult KRVX_COM_CALL QueryId(OleChar** id) override;
    HResult KRVX_COM_CALL QueryAccept(const MediaType* type) override;
    HResult KRVX_COM_CALL EnumMediaTypes(IEnumMediaTypes** types) override;
    HResult KRVX_COM_CALL QueryInternalConnections(IPin** pins, uint32_t* count) override;
    HResult KRVX_COM_CALL EndOfStream() override;
    HResult KRVX_COM_CALL BeginFlush() override;
    HResult KRVX_COM_CALL EndFlush() override;
    HResult KRVX_COM_CALL NewSegment(ReferenceTime start, ReferenceTime stop, double rate) override;

    // kOk when the pin accepts `type`; anything else refuses it.
    virtual HResult CheckMediaType(const MediaType* type) = 0;
    // Fills `type` (zeroed by the caller) with the preferred type at `position`: kOk, kInvalidArg for a
    // negative position, kNoMoreItems past the list.
    virtual HResult GetMediaType(int position, MediaType* type);
    // Called once both sides hold the type; a failure undoes the connection.
    virtual HResult CompleteConnect(IPin* receivePin);
    // Called while a connection is being undone; releases what CompleteConnect took.
    virtual HResult BreakConnect();
    // The filter leaves the stopped state / returns to it.
    virtual HResult Active();
    virtual HResult Inactive();

    bool IsConnected() const { return m_connected != nullptr; }
    IPin* ConnectedPin() const { return m_connected; }
    const MediaType& ConnectionType() const { return m_type; }
    CBaseFilter* Filter() const { return m_filter; }
    const OleChar* Name() const { return m_name.c_str(); }
    PinDirection Direction() const { return m_direction; }

protected:
    platform::CriticalSection* PinLock() const { return m_lock; }
    ReferenceTime SegmentStart() const { return m_segmentStart; }
    ReferenceTime SegmentStop() const { return m_segmentStop; }
    double SegmentRate() const { return m_segmentRate; }

private:
    HResult TryConnection(IPin* receivePin, const MediaType* type);
    HResult TryTypesFrom(IEnumMediaTypes* types, IPin* receivePin, const MediaType* wanted, HResult& failure);
    void ClearConnection();
    bool IsOtherDirection(IPin* pin);

    CBaseFilter* m_filter;
    platform::CriticalSection* m_lock;
    std::u16string m_name;
    PinDirection m_direction;
    IPin* m_connected = nullptr;
    MediaType m_type{};
    ReferenceTime m_segmentStart = 0;
    ReferenceTime m_segmentStop = 0;
    double m_segmentRate = 1.0;
};

}  // namespace dshow
}  // namespace krvx
