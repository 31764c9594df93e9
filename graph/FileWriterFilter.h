// "File Writer": MEDIATYPE_Stream samples written to a file at the byte offset each sample's start time
// gives. The file is created when the filter leaves the stopped state and closed when it stops.
#pragma once
#include <memory>
#include <string>

#include "dshow/BaseFilter.h"
#include "dshow/InputPin.h"
#include "graph/PositionedFile.h"
#include "platform/sync.h"

namespace krvx {
namespace graph {

class FileWriterFilter;

class FileWriterInputPin final : public dshow::CBaseInputPin {
public:
    FileWriterInputPin(FileWriterFilter* filter, platform::CriticalSection* lock);

    dshow::HResult CheckMediaType(const dshow::MediaType* type) override;
    dshow::HResult KRVX_COM_CALL Receive(dshow::IMediaSample* sample) override;
    dshow::HResult KRVX_COM_CALL EndOfStream() override;

private:
    FileWriterFilter* m_writer;
};

class FileWriterFilter final : public dshow::CBaseFilter, public dshow::IFileSinkFilter2 {
public:
    static dshow::HResult Create(const dshow::Guid& iid, void** object);

    dshow::HResult KRVX_COM_CALL QueryInterface(const dshow::Guid& iid, void** object) override;
    uint32_t KRVX_COM_CALL AddRef() override;
    uint32_t KRVX_COM_CALL Release() override;

    int GetPinCount() override { return 1; }
    dshow::CBasePin* GetPin(int n) override;
    dshow::HResult KRVX_COM_CALL Stop() override;
    dshow::HResult KRVX_COM_CALL Pause() override;

    // IFileSinkFilter2
    dshow::HResult KRVX_COM_CALL SetFileName(const dshow::OleChar* file,
                                             const dshow::MediaType* type) override;
    dshow::HResult KRVX_COM_CALL GetCurFile(dshow::OleChar** file, dshow::MediaType* type) override;
    dshow::HResult KRVX_COM_CALL SetMode(uint32_t flags) override;
    dshow::HResult KRVX_COM_CALL GetMode(uint32_t* flags) override;

    // Called by the input pin.
    dshow::HResult Write(dshow::IMediaSample* sample);

private:
    FileWriterFilter();
    ~FileWriterFilter() override;

    dshow::HResult QueryOtherInterface(const dshow::Guid& iid, void** object) override;

    platform::CriticalSection m_filterLock;
    // Held while the file is written, opened or closed.
    platform::CriticalSection m_fileLock;
    std::unique_ptr<FileWriterInputPin> m_input;
    std::u16string m_path;
    uint32_t m_mode = 0;
    PositionedFile m_file;
    bool m_writeFailed = false;
};

}  // namespace graph
}  // namespace krvx
