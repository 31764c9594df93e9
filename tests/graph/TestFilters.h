// Small filters on the base classes for the graph's tests: push sources that stamp samples as the
// trimmed-copy writer's do (KRVX video with key flags, PCM audio), and a relay that passes nothing on
// but has an input and an output, so that chains of any length can be built. Each logs its state
// changes to a shared list, for checking the order in which the graph moves them.
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "dshow/BaseFilter.h"
#include "dshow/InputPin.h"
#include "dshow/OutputPin.h"
#include "platform/sync.h"

namespace krvx {
namespace graphtest {

constexpr uint32_t kKrvx = 0x5856524B;  // "KRVX"

using EventLog = std::vector<std::string>;

class TestOutputPin;

class TestSource final : public dshow::CBaseFilter {
public:
    // One reference for the caller. Video: a 1128-byte VIDEOINFO block for KRVX at 32 bits;
    // buffers hold `bufferBytes`.
    static TestSource* Video(int32_t width, int32_t height, dshow::ReferenceTime timePerFrame,
                             int32_t bufferBytes, const char* name, EventLog* log);
    static TestSource* Audio(uint32_t rate, uint16_t channels, uint16_t bits, const char* name,
                             EventLog* log);

    int GetPinCount() override { return 1; }
    dshow::CBasePin* GetPin(int n) override;
    dshow::IPin* Output();

    dshow::HResult KRVX_COM_CALL Stop() override;
    dshow::HResult KRVX_COM_CALL Pause() override;
    dshow::HResult KRVX_COM_CALL Run(dshow::ReferenceTime start) override;

    // Delivers one sample stamped from the running time; video advances by one frame, audio by the
    // bytes' duration.
    dshow::HResult Push(const uint8_t* data, uint32_t size, bool keyFrame);
    dshow::HResult EndOfStream();

private:
    TestSource(const char* name, EventLog* log);
    ~TestSource() override;

    platform::CriticalSection m_lock;
    std::unique_ptr<TestOutputPin> m_pin;
    std::string m_logName;
    EventLog* m_log;
    bool m_video = false;
    dshow::ReferenceTime m_timePerFrame = 0;
    uint32_t m_bytesPerSecond = 0;
    dshow::ReferenceTime m_runningTime = 0;
};

class TestInputPin;

// One input taking anything, one output offering MEDIATYPE_Stream; samples stop here.
class TestRelay final : public dshow::CBaseFilter {
public:
    static TestRelay* Create(const char* name, EventLog* log);

    int GetPinCount() override { return 2; }
    dshow::CBasePin* GetPin(int n) override;

    dshow::HResult KRVX_COM_CALL Stop() override;
    dshow::HResult KRVX_COM_CALL Pause() override;
    dshow::HResult KRVX_COM_CALL Run(dshow::ReferenceTime start) override;

private:
    TestRelay(const char* name, EventLog* log);
    ~TestRelay() override;

    platform::CriticalSection m_lock;
    std::unique_ptr<TestInputPin> m_input;
    std::unique_ptr<TestOutputPin> m_output;
    std::string m_logName;
    EventLog* m_log;
};

}  // namespace graphtest
}  // namespace krvx
