#include "graph/MuxFilter.h"

#include <cstdio>
#include <new>

namespace krvx {
namespace graph {

using namespace dshow;

namespace {

std::u16string InputName(int number) {
    char text[16];
    std::snprintf(text, sizeof(text), "Input %02d", number);
    return std::u16string(text, text + std::char_traits<char>::length(text));
}

}  // namespace

MuxInputPin::MuxInputPin(MuxFilter* filter, platform::CriticalSection* lock, int number)
    : CBaseInputPin(filter, lock, InputName(number).c_str()), m_mux(filter) {}

HResult MuxInputPin::CheckMediaType(const MediaType* type) {
    StreamFormat format;
    return type && ReadStreamFormat(*type, &format) ? kOk : kTypeNotAccepted;
}

HResult MuxInputPin::CompleteConnect(IPin* receivePin) {
    HResult result = CBaseInputPin::CompleteConnect(receivePin);
    if (Succeeded(result)) m_mux->InputConnected();
    return result;
}

HResult MuxInputPin::Receive(IMediaSample* sample) {
    HResult result = CBaseInputPin::Receive(sample);
    if (result != kOk) return result;
    return m_mux->ReceiveOn(this, sample);
}

HResult MuxInputPin::EndOfStream() {
    if (Filter()->State() == FilterState::Stopped) return kWrongState;
    return m_mux->EndOfStreamOn(this);
}

MuxFilter::MuxFilter(const Guid& classId) : CBaseFilter(classId, &m_filterLock) {
    InputConnected();
}

MuxFilter::~MuxFilter() = default;

int MuxFilter::GetPinCount() {
    return static_cast<int>(m_inputs.size()) + OtherPinCount();
}

CBasePin* MuxFilter::GetPin(int n) {
    if (n < 0) return nullptr;
    if (n < static_cast<int>(m_inputs.size())) return m_inputs[static_cast<size_t>(n)].get();
    return OtherPin(n - static_cast<int>(m_inputs.size()));
}

void MuxFilter::InputConnected() {
    platform::ScopedLock hold(m_filterLock);
    // One unconnected input is always on offer.
    for (const auto& input : m_inputs) {
        if (!input->IsConnected()) return;
    }
    std::unique_ptr<MuxInputPin> pin(
        new (std::nothrow) MuxInputPin(this, &m_filterLock, static_cast<int>(m_inputs.size()) + 1));
    if (pin) m_inputs.push_back(std::move(pin));
}

HResult MuxFilter::Pause() {
    {
        platform::ScopedLock hold(m_filterLock);
        if (State() == FilterState::Stopped) {
            platform::ScopedLock writing(m_writerLock);
            m_started = false;
            m_finished = false;
            m_failure = kOk;
            int stream = 0;
            for (const auto& input : m_inputs) {
                input->ended = false;
                input->stream = input->IsConnected() ? stream++ : -1;
            }
        }
    }
    return CBaseFilter::Pause();
}

HResult MuxFilter::Stop() {
    {
        platform::ScopedLock hold(m_filterLock);
        // A copy stopped before its end is finished all the same, while the pins can still deliver.
        if (State() != FilterState::Stopped) {
            platform::ScopedLock writing(m_writerLock);
            FinishOnce();
        }
    }
    return CBaseFilter::Stop();
}

HResult MuxFilter::StartOnce() {
    if (m_started) return m_failure;
    m_started = true;
    std::vector<StreamFormat> streams;
    for (const auto& input : m_inputs) {
        if (input->stream < 0) continue;
        StreamFormat format;
        if (!ReadStreamFormat(input->ConnectionType(), &format)) return m_failure = kTypeNotAccepted;
        streams.push_back(format);
    }
    if (streams.empty()) return m_failure = kNotConnected;
    return m_failure = StartFile(streams);
}

HResult MuxFilter::FinishOnce() {
    if (m_finished) return m_failure;
    m_finished = true;
    HResult started = StartOnce();
    if (Failed(started)) return started;
    return m_failure = FinishFile();
}

HResult MuxFilter::ReceiveOn(MuxInputPin* pin, IMediaSample* sample) {
    platform::ScopedLock writing(m_writerLock);
    if (pin->stream < 0 || pin->ended || m_finished) return kWrongState;
    HResult result = StartOnce();
    if (Failed(result)) return result;
    uint8_t* data = nullptr;
    if (Failed(sample->GetPointer(&data))) return kPointer;
    int32_t size = sample->GetActualDataLength();
    if (size < 0) return kInvalidArg;
    result = WriteSample(pin->stream, data, static_cast<uint32_t>(size), sample->IsSyncPoint() == kOk);
    if (Failed(result)) m_failure = result;
    return result;
}

HResult MuxFilter::EndOfStreamOn(MuxInputPin* pin) {
    platform::ScopedLock writing(m_writerLock);
    pin->ended = true;
    for (const auto& input : m_inputs) {
        if (input->stream >= 0 && !input->ended) return kOk;
    }
    return FinishOnce();
}

}  // namespace graph
}  // namespace krvx
