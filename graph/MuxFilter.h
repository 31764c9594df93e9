// What the two stand-in multiplexers share: input pins that multiply as they are connected
// ("Input 01", "Input 02", ...), each taking video (FORMAT_VideoInfo or VideoInfo2) or PCM audio; samples
// passed to the file format under one lock, in arrival order; the file started at the first sample and
// finished once every connected input has ended, or at Stop, so that a copy cut short is still complete.
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "dshow/BaseFilter.h"
#include "dshow/InputPin.h"
#include "graph/StreamFormat.h"
#include "platform/sync.h"

namespace krvx {
namespace graph {

class MuxFilter;

class MuxInputPin final : public dshow::CBaseInputPin {
public:
    MuxInputPin(MuxFilter* filter, platform::CriticalSection* lock, int number);

    dshow::HResult CheckMediaType(const dshow::MediaType* type) override;
    dshow::HResult CompleteConnect(dshow::IPin* receivePin) override;
    dshow::HResult KRVX_COM_CALL Receive(dshow::IMediaSample* sample) override;
    dshow::HResult KRVX_COM_CALL EndOfStream() override;

    bool ended = false;  // end of stream seen since the filter last left the stopped state
    int stream = -1;     // the stream it feeds in the file, -1 when unconnected at the start

private:
    MuxFilter* m_mux;
};

class MuxFilter : public dshow::CBaseFilter {
public:
    // False when a pin could not be allocated at construction.
    virtual bool HasPins() const { return !m_inputs.empty(); }

    int GetPinCount() override;
    dshow::CBasePin* GetPin(int n) override;

    dshow::HResult KRVX_COM_CALL Stop() override;
    dshow::HResult KRVX_COM_CALL Pause() override;

    // Called by the input pins.
    void InputConnected();
    dshow::HResult ReceiveOn(MuxInputPin* pin, dshow::IMediaSample* sample);
    dshow::HResult EndOfStreamOn(MuxInputPin* pin);

protected:
    MuxFilter(const dshow::Guid& classId);
    ~MuxFilter() override;

    // Pins after the inputs (the AVI multiplexer's output).
    virtual int OtherPinCount() { return 0; }
    virtual dshow::CBasePin* OtherPin(int) { return nullptr; }

    // The file's streams, one per connected input in pin order.
    virtual dshow::HResult StartFile(const std::vector<StreamFormat>& streams) = 0;
    virtual dshow::HResult WriteSample(int stream, const uint8_t* data, uint32_t size, bool keyFrame) = 0;
    // Completes the file; runs once per start, with the writer lock held.
    virtual dshow::HResult FinishFile() = 0;

    platform::CriticalSection m_filterLock;

private:
    dshow::HResult StartOnce();
    dshow::HResult FinishOnce();

    std::vector<std::unique_ptr<MuxInputPin>> m_inputs;
    // Serialises the file writing: inputs may be fed from different threads.
    platform::CriticalSection m_writerLock;
    bool m_started = false;
    bool m_finished = false;
    dshow::HResult m_failure = dshow::kOk;
};

}  // namespace graph
}  // namespace krvx
