#include "graph/FileWriterFilter.h"

#include <cstring>
#include <new>

#include "graph/HandOut.h"
#include "platform/com.h"

namespace krvx {
namespace graph {

using namespace dshow;

namespace {
// Small sequential writes gather into blocks of this size before they reach the system.
constexpr size_t kGatherBytes = 4u << 20;
}  // namespace

FileWriterInputPin::FileWriterInputPin(FileWriterFilter* filter, platform::CriticalSection* lock)
    : CBaseInputPin(filter, lock, u"in"), m_writer(filter) {}

HResult FileWriterInputPin::QueryInterface(const Guid& iid, void** object) {
    if (!object) return kPointer;
    if (iid == kIidStream || iid == kIidSequentialStream) {
        *object = static_cast<IStream*>(this);
        AddRef();
        return kOk;
    }
    return CBaseInputPin::QueryInterface(iid, object);
}

uint32_t FileWriterInputPin::AddRef() {
    return CBaseInputPin::AddRef();
}

uint32_t FileWriterInputPin::Release() {
    return CBaseInputPin::Release();
}

HResult FileWriterInputPin::CheckMediaType(const MediaType* type) {
    if (!type) return kPointer;
    return type->majorType == kMediaTypeStream ? kOk : kTypeNotAccepted;
}

HResult FileWriterInputPin::BreakConnect() {
    m_writer->CloseFile();
    return CBaseInputPin::BreakConnect();
}

HResult FileWriterInputPin::Inactive() {
    return kOk;
}

HResult FileWriterInputPin::Receive(IMediaSample* sample) {
    // Taken while the file is open, so also from a multiplexer that stops after this filter.
    if (!sample) return kPointer;
    return m_writer->WriteSample(sample);
}

HResult FileWriterInputPin::EndOfStream() {
    // Everything has arrived; the file is closed later (see the filter).
    return Filter()->State() == FilterState::Stopped ? kWrongState : kOk;
}

HResult FileWriterInputPin::Read(void*, uint32_t, uint32_t* read) {
    if (read) *read = 0;
    return kNotImplemented;
}

HResult FileWriterInputPin::Write(const void* buffer, uint32_t bytes, uint32_t* written) {
    return m_writer->WriteStream(buffer, bytes, written);
}

HResult FileWriterInputPin::Seek(int64_t move, StreamSeek origin, uint64_t* newPosition) {
    return m_writer->SeekStream(move, origin, newPosition);
}

HResult FileWriterInputPin::SetSize(uint64_t) {
    // The file is as long as what was written into it.
    return kOk;
}

HResult FileWriterInputPin::CopyTo(IStream*, uint64_t, uint64_t*, uint64_t*) {
    return kNotImplemented;
}

HResult FileWriterInputPin::Commit(uint32_t) {
    return kOk;
}

HResult FileWriterInputPin::Revert() {
    return kNotImplemented;
}

HResult FileWriterInputPin::LockRegion(uint64_t, uint64_t, uint32_t) {
    return kNotImplemented;
}

HResult FileWriterInputPin::UnlockRegion(uint64_t, uint64_t, uint32_t) {
    return kNotImplemented;
}

HResult FileWriterInputPin::Stat(void*, uint32_t) {
    return kNotImplemented;
}

HResult FileWriterInputPin::Clone(IStream** copy) {
    if (copy) *copy = nullptr;
    return kNotImplemented;
}

HResult FileWriterFilter::Create(const Guid& iid, void** object) {
    if (!object) return kPointer;
    *object = nullptr;
    FileWriterFilter* filter = new (std::nothrow) FileWriterFilter();
    return HandOut(filter, filter && filter->GetPin(0) != nullptr, iid, object);
}

FileWriterFilter::FileWriterFilter() : CBaseFilter(kClsidFileWriter, &m_filterLock), m_file(kGatherBytes) {
    m_input.reset(new (std::nothrow) FileWriterInputPin(this, &m_filterLock));
}

FileWriterFilter::~FileWriterFilter() {
    CloseFile();
}

HResult FileWriterFilter::QueryInterface(const Guid& iid, void** object) {
    return CBaseFilter::QueryInterface(iid, object);
}

HResult FileWriterFilter::QueryOtherInterface(const Guid& iid, void** object) {
    if (iid == kIidFileSinkFilter || iid == kIidFileSinkFilter2) {
        *object = static_cast<IFileSinkFilter2*>(this);
        AddRef();
        return kOk;
    }
    return CBaseFilter::QueryOtherInterface(iid, object);
}

uint32_t FileWriterFilter::AddRef() {
    return CBaseFilter::AddRef();
}

uint32_t FileWriterFilter::Release() {
    return CBaseFilter::Release();
}

CBasePin* FileWriterFilter::GetPin(int n) {
    return n == 0 ? m_input.get() : nullptr;
}

HResult FileWriterFilter::Pause() {
    platform::ScopedLock hold(m_filterLock);
    if (State() == FilterState::Stopped) {
        platform::ScopedLock file(m_fileLock);
        // A file still open from the last run is complete: a new run writes a new one.
        m_file.Close();
        if (m_path.empty()) return kFail;
        if (!m_file.Open(m_path.c_str(), (m_mode & kFileOverwrite) != 0)) return kFail;
        m_streamPosition = 0;
        m_streamEnd = 0;
    }
    return CBaseFilter::Pause();
}

HResult FileWriterFilter::Stop() {
    platform::ScopedLock hold(m_filterLock);
    HResult result = CBaseFilter::Stop();
    platform::ScopedLock file(m_fileLock);
    // What has come so far is in the file; a multiplexer stopping after this filter may still add to it.
    if (m_file.IsOpen() && !m_file.Flush() && Succeeded(result)) result = kFail;
    return result;
}

HResult FileWriterFilter::CloseFile() {
    platform::ScopedLock file(m_fileLock);
    return m_file.Close() ? kOk : kFail;
}

HResult FileWriterFilter::WriteSample(IMediaSample* sample) {
    ReferenceTime start = 0;
    ReferenceTime stop = 0;
    if (Failed(sample->GetTime(&start, &stop)) || start < 0) return kTimeNotSet;
    uint8_t* data = nullptr;
    if (Failed(sample->GetPointer(&data))) return kPointer;
    int32_t size = sample->GetActualDataLength();
    if (size < 0) return kInvalidArg;
    platform::ScopedLock file(m_fileLock);
    if (!m_file.IsOpen()) return kWrongState;
    if (!m_file.WriteAt(static_cast<uint64_t>(start), data, static_cast<size_t>(size))) return kFail;
    uint64_t end = static_cast<uint64_t>(start) + static_cast<uint64_t>(size);
    if (end > m_streamEnd) m_streamEnd = end;
    return kOk;
}

HResult FileWriterFilter::WriteStream(const void* data, uint32_t bytes, uint32_t* written) {
    if (written) *written = 0;
    if (!data && bytes) return kPointer;
    platform::ScopedLock file(m_fileLock);
    if (!m_file.IsOpen()) return kWrongState;
    if (!m_file.WriteAt(m_streamPosition, data, bytes)) return kFail;
    m_streamPosition += bytes;
    if (m_streamPosition > m_streamEnd) m_streamEnd = m_streamPosition;
    if (written) *written = bytes;
    return kOk;
}

HResult FileWriterFilter::SeekStream(int64_t move, StreamSeek origin, uint64_t* newPosition) {
    platform::ScopedLock file(m_fileLock);
    int64_t base = 0;
    switch (origin) {
        case StreamSeek::Set:
            base = 0;
            break;
        case StreamSeek::Current:
            base = static_cast<int64_t>(m_streamPosition);
            break;
        case StreamSeek::End:
            base = static_cast<int64_t>(m_streamEnd);
            break;
        default:
            return kInvalidArg;
    }
    if (base + move < 0) return kInvalidArg;
    m_streamPosition = static_cast<uint64_t>(base + move);
    if (newPosition) *newPosition = m_streamPosition;
    return kOk;
}

HResult FileWriterFilter::SetFileName(const OleChar* file, const MediaType*) {
    if (!file || !*file) return kPointer;
    platform::ScopedLock hold(m_filterLock);
    if (State() != FilterState::Stopped) return kNotStopped;
    m_path = file;
    return kOk;
}

HResult FileWriterFilter::GetCurFile(OleChar** file, MediaType* type) {
    if (!file) return kPointer;
    *file = nullptr;
    platform::ScopedLock hold(m_filterLock);
    if (type) {
        std::memset(type, 0, sizeof(*type));
        type->majorType = kMediaTypeStream;
    }
    if (m_path.empty()) return kFail;
    size_t bytes = (m_path.size() + 1) * sizeof(OleChar);
    // The caller frees the name with the task allocator.
    *file = static_cast<OleChar*>(platform::ComTaskMemAlloc(bytes));
    if (!*file) return kOutOfMemory;
    std::memcpy(*file, m_path.c_str(), bytes);
    return kOk;
}

HResult FileWriterFilter::SetMode(uint32_t flags) {
    if (flags & ~kFileOverwrite) return kInvalidArg;
    m_mode = flags;
    return kOk;
}

HResult FileWriterFilter::GetMode(uint32_t* flags) {
    if (!flags) return kPointer;
    *flags = m_mode;
    return kOk;
}

}  // namespace graph
}  // namespace krvx
