// "File Writer": a byte stream written to a file. Samples (MEDIATYPE_Stream) are written at the byte
// offset their start time gives; a multiplexer may also write at positions through IStream on the input
// pin, as the system's AVI multiplexer does. The file is created when the filter leaves the stopped
// state. Stop writes out what is gathered; the file stays open for samples and writes that a
// multiplexer stopped after this filter still makes (graphs that stop sinks first), and is closed when
// the filter starts again, its input is disconnected, or the filter is released.
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

class FileWriterInputPin final : public dshow::CBaseInputPin, public dshow::IStream {
public:
    FileWriterInputPin(FileWriterFilter* filter, platform::CriticalSection* lock);

    dshow::HResult KRVX_COM_CALL QueryInterface(const dshow::Guid& iid, void** object) override;
    uint32_t KRVX_COM_CALL AddRef() override;
    uint32_t KRVX_COM_CALL Release() override;

    dshow::HResult CheckMediaType(const dshow::MediaType* type) override;
    dshow::HResult BreakConnect() override;
    // Leaves the allocator committed: the upstream pin decommits it when its own filter stops, and
    // until then may still deliver the end of the file.
    dshow::HResult Inactive() override;
    dshow::HResult KRVX_COM_CALL Receive(dshow::IMediaSample* sample) override;
    dshow::HResult KRVX_COM_CALL EndOfStream() override;

    // IStream: writes at a position of the stream's own, which Seek moves. Nothing is read back.
    dshow::HResult KRVX_COM_CALL Read(void* buffer, uint32_t bytes, uint32_t* read) override;
    dshow::HResult KRVX_COM_CALL Write(const void* buffer, uint32_t bytes, uint32_t* written) override;
    dshow::HResult KRVX_COM_CALL Seek(int64_t move, dshow::StreamSeek origin, uint64_t* newPosition) override;
    dshow::HResult KRVX_COM_CALL SetSize(uint64_t size) override;
    dshow::HResult KRVX_COM_CALL CopyTo(dshow::IStream* target, uint64_t bytes, uint64_t* read,
                                        uint64_t* written) override;
    dshow::HResult KRVX_COM_CALL Commit(uint32_t flags) override;
    dshow::HResult KRVX_COM_CALL Revert() override;
    dshow::HResult KRVX_COM_CALL LockRegion(uint64_t offset, uint64_t bytes, uint32_t lockType) override;
    dshow::HResult KRVX_COM_CALL UnlockRegion(uint64_t offset, uint64_t bytes, uint32_t lockType) override;
    dshow::HResult KRVX_COM_CALL Stat(void* statistics, uint32_t flags) override;
    dshow::HResult KRVX_COM_CALL Clone(dshow::IStream** copy) override;

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

    // Called by the input pin: a sample at the offset of its start time, bytes at the stream position.
    dshow::HResult WriteSample(dshow::IMediaSample* sample);
    dshow::HResult WriteStream(const void* data, uint32_t bytes, uint32_t* written);
    dshow::HResult SeekStream(int64_t move, dshow::StreamSeek origin, uint64_t* newPosition);
    // Ends the file: what is gathered is written and the file closed. kFail when any write failed.
    dshow::HResult CloseFile();

private:
    FileWriterFilter();
    ~FileWriterFilter() override;

    dshow::HResult QueryOtherInterface(const dshow::Guid& iid, void** object) override;

    platform::CriticalSection m_filterLock;
    // Held while the file is opened, written or closed, and around the stream position.
    platform::CriticalSection m_fileLock;
    std::unique_ptr<FileWriterInputPin> m_input;
    std::u16string m_path;
    uint32_t m_mode = 0;
    PositionedFile m_file;
    uint64_t m_streamPosition = 0;
    uint64_t m_streamEnd = 0;  // one past the last byte written
};

}  // namespace graph
}  // namespace krvx
