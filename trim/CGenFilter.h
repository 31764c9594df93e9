// "App-Direct Video": a push source with one output pin that hands compressed KRVX frames to the
// multiplexer unchanged, stamped one frame duration apart.
#pragma once
#include <cstdint>

#include "dshow/BaseFilter.h"
#include "platform/sync.h"
#include "trim/CSourceOutputPin.h"

namespace krvx {

class CGenFilter;

class CGenOutput : public CSourceOutputPin {
public:
    CGenOutput(CGenFilter* filter, platform::CriticalSection* lock);

    // Video of any subtype with a VIDEOINFOHEADER or VIDEOINFOHEADER2 format block.
    dshow::HResult CheckMediaType(const dshow::MediaType* type) override;
    // Position 0 only: "KRVX" in a 1128-byte VIDEOINFO block of the filter's size and rate.
    dshow::HResult GetMediaType(int position, dshow::MediaType* type) override;

protected:
    int32_t BufferBytes() const override;

private:
    CGenFilter* m_owner;
};

class CGenFilter : public dshow::CBaseFilter {
public:
    CGenFilter();

    int GetPinCount() override { return 1; }
    // Pin 0 is made on first request; any other number has none.
    dshow::CBasePin* GetPin(int n) override;

    // Frame size in pixels, the duration of one frame in the writer's time units and the frame rate.
    // Resets the running time.
    void SetFormat(int32_t width, int32_t height, int32_t frameDuration, float frameRate);

    // Copies one compressed frame into a delivery buffer and delivers it, stamped [running time,
    // running time + frame duration) with the key-frame flag as its sync point. E_INVALIDARG unless
    // paused or running; E_FAIL without a buffer or when the frame is larger than one.
    dshow::HResult DeliverFrame(const uint8_t* data, uint32_t size, bool keyFrame);
    dshow::HResult DeliverEndOfStream();

    int32_t Width() const { return m_width; }
    int32_t Height() const { return m_height; }
    float FrameRate() const { return m_frameRate; }
    int64_t RunningTime() const { return m_runningTime; }
    // The bitmap size of one 32-bit picture: the buffer size and the largest frame accepted.
    uint32_t ImageSize() const;

private:
    ~CGenFilter() override;

    platform::CriticalSection m_filterLock;
    int64_t m_runningTime = 0;
    int32_t m_frameDuration = 0;
    CGenOutput* m_output = nullptr;
    int32_t m_width = -1;
    int32_t m_height = -1;
    float m_frameRate = 0.0f;
    platform::CriticalSection m_pinLock;
};

}  // namespace krvx
