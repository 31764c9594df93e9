// "QT Mux": the connected video and audio inputs written as a QuickTime movie with a timecode track,
// to the file named through IFileSinkFilter2; the start timecode and its rate come through
// IQtMuxTimecode. The movie is finished at the end of every input's stream, or at Stop.
#pragma once
#include <memory>
#include <string>

#include "graph/MuxFilter.h"
#include "graph/QuickTimeWriter.h"

namespace krvx {
namespace graph {

class QtMuxFilter final : public MuxFilter, public dshow::IFileSinkFilter2, public dshow::IQtMuxTimecode {
public:
    static dshow::HResult Create(const dshow::Guid& iid, void** object);

    // Refuses to leave the stopped state without a file name.
    dshow::HResult KRVX_COM_CALL Pause() override;

    dshow::HResult KRVX_COM_CALL QueryInterface(const dshow::Guid& iid, void** object) override;
    uint32_t KRVX_COM_CALL AddRef() override;
    uint32_t KRVX_COM_CALL Release() override;

    // IFileSinkFilter2
    dshow::HResult KRVX_COM_CALL SetFileName(const dshow::OleChar* file,
                                             const dshow::MediaType* type) override;
    dshow::HResult KRVX_COM_CALL GetCurFile(dshow::OleChar** file, dshow::MediaType* type) override;
    dshow::HResult KRVX_COM_CALL SetMode(uint32_t flags) override;
    dshow::HResult KRVX_COM_CALL GetMode(uint32_t* flags) override;

    // IQtMuxTimecode: hours << 24 | minutes << 16 | seconds << 8 | frames; the rate in thousandths.
    dshow::HResult KRVX_COM_CALL SetStartTimecode(uint32_t packed, uint32_t reserved) override;
    dshow::HResult KRVX_COM_CALL SetTimecodeRate(uint32_t rateTimes1000) override;

private:
    QtMuxFilter();
    ~QtMuxFilter() override;

    dshow::HResult QueryOtherInterface(const dshow::Guid& iid, void** object) override;

    dshow::HResult StartFile(const std::vector<StreamFormat>& streams) override;
    dshow::HResult WriteSample(int stream, const uint8_t* data, uint32_t size, bool keyFrame) override;
    dshow::HResult FinishFile() override;

    std::u16string m_path;
    uint32_t m_mode = 0;
    uint32_t m_startTimecode = 0;
    uint32_t m_timecodeRate = 0;  // thousandths of a frame per second; 0 until set
    std::unique_ptr<QuickTimeWriter> m_writer;
    int m_videoStream = -1;
    int m_audioStream = -1;
};

}  // namespace graph
}  // namespace krvx
