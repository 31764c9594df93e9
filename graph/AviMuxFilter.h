// "AVI Mux": the connected video and audio inputs written as one AVI file (OpenDML past 1 GiB), the
// bytes sent downstream as MEDIATYPE_Stream samples whose start time is their byte offset in the file.
#pragma once
#include <memory>

#include "avi/AVIWriter.h"
#include "dshow/OutputPin.h"
#include "graph/MuxFilter.h"

namespace krvx {
namespace graph {

class AviMuxFilter;

// The multiplexer's output: the file's bytes, each positioned write as one or more samples.
class AviMuxOutputPin final : public dshow::CBaseOutputPin, public IAVIByteSink {
public:
    AviMuxOutputPin(AviMuxFilter* filter, platform::CriticalSection* lock);

    dshow::HResult CheckMediaType(const dshow::MediaType* type) override;
    dshow::HResult GetMediaType(int position, dshow::MediaType* type) override;
    dshow::HResult DecideBufferSize(dshow::IMemAllocator* allocator,
                                    dshow::AllocatorProperties* properties) override;
    dshow::HResult CompleteConnect(dshow::IPin* receivePin) override;
    dshow::HResult BreakConnect() override;

    bool WriteAt(uint64_t position, const uint8_t* data, size_t size) override;

private:
    bool WriteThroughBuffers(uint64_t position, const uint8_t* data, size_t size);

    // Connected to the stand-in file writer, which is done with each sample when Receive returns:
    // large writes then travel as samples over the writer's own bytes, with no copy.
    bool m_lendsBytes = false;
};

class AviMuxFilter final : public MuxFilter, public dshow::IConfigInterleaving {
public:
    static dshow::HResult Create(const dshow::Guid& iid, void** object);

    dshow::HResult KRVX_COM_CALL QueryInterface(const dshow::Guid& iid, void** object) override;
    uint32_t KRVX_COM_CALL AddRef() override;
    uint32_t KRVX_COM_CALL Release() override;

    // IConfigInterleaving: kept and reported; samples are written in the order they arrive.
    dshow::HResult KRVX_COM_CALL put_Mode(dshow::InterleavingMode mode) override;
    dshow::HResult KRVX_COM_CALL get_Mode(dshow::InterleavingMode* mode) override;
    dshow::HResult KRVX_COM_CALL put_Interleaving(const dshow::ReferenceTime* interleave,
                                                  const dshow::ReferenceTime* preroll) override;
    dshow::HResult KRVX_COM_CALL get_Interleaving(dshow::ReferenceTime* interleave,
                                                  dshow::ReferenceTime* preroll) override;

private:
    AviMuxFilter();
    ~AviMuxFilter() override;

    dshow::HResult QueryOtherInterface(const dshow::Guid& iid, void** object) override;

    bool HasPins() const override { return MuxFilter::HasPins() && m_output; }
    int OtherPinCount() override { return 1; }
    dshow::CBasePin* OtherPin(int n) override;
    dshow::HResult StartFile(const std::vector<StreamFormat>& streams) override;
    dshow::HResult WriteSample(int stream, const uint8_t* data, uint32_t size, bool keyFrame) override;
    dshow::HResult FinishFile() override;

    std::unique_ptr<AviMuxOutputPin> m_output;
    std::unique_ptr<AVIWriter> m_writer;
    int m_videoStream = -1;
    int m_audioStream = -1;
    dshow::InterleavingMode m_mode = dshow::InterleavingMode::None;
    dshow::ReferenceTime m_interleave = 10000000;
    dshow::ReferenceTime m_preroll = 0;
};

}  // namespace graph
}  // namespace krvx
