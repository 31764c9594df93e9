// "App-Direct Audio": a push source with one output pin that hands 16-bit PCM blocks to the
// multiplexer, stamped by their length in bytes.
#pragma once
#include <cstdint>

#include "dshow/BaseFilter.h"
#include "platform/sync.h"
#include "trim/CSourceOutputPin.h"

namespace krvx {

class CGAudFilter;

class CGAudOutput : public CSourceOutputPin {
public:
    CGAudOutput(CGAudFilter* filter, platform::CriticalSection* lock);

    // Audio, PCM, with a WAVEFORMATEX format block.
    dshow::HResult CheckMediaType(const dshow::MediaType* type) override;
    // Position 0 only: PCM of the filter's rate, channels and bits.
    dshow::HResult GetMediaType(int position, dshow::MediaType* type) override;

protected:
    int32_t BufferBytes() const override;

private:
    CGAudFilter* m_owner;
};

class CGAudFilter : public dshow::CBaseFilter {
public:
    CGAudFilter();

    int GetPinCount() override { return 1; }
    dshow::CBasePin* GetPin(int n) override;

    // Whether the pin's media type and its buffers can describe PCM of this rate, channels and bits:
    // each at least 1, the block alignment within its 16-bit field, and one second of audio (the
    // average bytes per second and the pin's buffer) within a signed 32-bit size. Sizes are worked out
    // in 64 bits, so absurd claims from a file are refused rather than wrapped.
    static bool FormatFits(int64_t sampleRate, int64_t channels, int64_t bitsPerSample);

    // Sets rate, channels and bits, the bytes per second and the time per byte, and resets the running
    // time. False, with nothing changed, for a format that does not fit (FormatFits).
    bool SetFormat(int32_t sampleRate, int32_t channels, int32_t bitsPerSample);

    // Copies one block of PCM into a delivery buffer and delivers it as a sync point, stamped
    // [running time, running time + time per byte * bytes). The filter lock is held from the buffer
    // request to the delivery. E_INVALIDARG unless paused or running; E_FAIL without a buffer or when
    // the block is larger than one second of audio.
    dshow::HResult DeliverAudio(uint32_t byteCount, const uint8_t* data);
    // End of stream, under the filter lock.
    dshow::HResult DeliverEndOfStream();

    int32_t SampleRate() const { return m_sampleRate; }
    int32_t Channels() const { return m_channels; }
    int32_t BitsPerSample() const { return m_bitsPerSample; }
    int32_t BytesPerSecond() const { return m_bytesPerSecond; }
    int32_t TimePerByte() const { return m_timePerByte; }
    int64_t RunningTime() const { return m_runningTime; }

private:
    ~CGAudFilter() override;

    platform::CriticalSection m_filterLock;
    int32_t m_sampleRate = 0;
    int32_t m_channels = 0;
    int32_t m_bitsPerSample = 0;
    int32_t m_bytesPerSecond = 0;
    int64_t m_runningTime = 0;
    int32_t m_timePerByte = 0;
    CGAudOutput* m_output = nullptr;
    platform::CriticalSection m_pinLock;
};

}  // namespace krvx
