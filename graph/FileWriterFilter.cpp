#include "graph/FileWriterFilter.h"

#include <cstring>
#include <new>

#include "platform/com.h"

namespace krvx {
namespace graph {

using namespace dshow;

namespace {
// Sequential writes gather into blocks of this size before they reach the system.
constexpr size_t kGatherBytes = 4u << 20;
}  // namespace

FileWriterInputPin::FileWriterInputPin(FileWriterFilter* filter, platform::CriticalSection* lock)
    : CBaseInputPin(filter, lock, u"in"), m_writer(filter) {}

HResult FileWriterInputPin::CheckMediaType(const MediaType* type) {
    if (!type) return kPointer;
    return type->majorType == kMediaTypeStream ? kOk : kTypeNotAccepted;
}

HResult FileWriterInputPin::Receive(IMediaSample* sample) {
    HResult result = CBaseInputPin::Receive(sample);
    if (result != kOk) return result;
    return m_writer->Write(sample);
}

HResult FileWriterInputPin::EndOfStream() {
    // Everything has arrived; the file is closed when the graph stops.
    return Filter()->State() == FilterState::Stopped ? kWrongState : kOk;
}

HResult FileWriterFilter::Create(const Guid& iid, void** object) {
    if (!object) return kPointer;
    *object = nullptr;
    FileWriterFilter* filter = new (std::nothrow) FileWriterFilter();
    if (!filter) return kOutOfMemory;
    HResult result = filter->GetPin(0) ? filter->QueryInterface(iid, object) : kOutOfMemory;
    filter->Release();
    return result;
}

FileWriterFilter::FileWriterFilter() : CBaseFilter(kClsidFileWriter, &m_filterLock), m_file(kGatherBytes) {
    m_input.reset(new (std::nothrow) FileWriterInputPin(this, &m_filterLock));
}

FileWriterFilter::~FileWriterFilter() {
    platform::ScopedLock hold(m_fileLock);
    m_file.Close();
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
        if (m_path.empty()) return kFail;
        if (!m_file.Open(m_path.c_str(), (m_mode & kFileOverwrite) != 0)) return kFail;
        m_writeFailed = false;
    }
    return CBaseFilter::Pause();
}

HResult FileWriterFilter::Stop() {
    platform::ScopedLock hold(m_filterLock);
    HResult result = CBaseFilter::Stop();
    platform::ScopedLock file(m_fileLock);
    if (m_file.IsOpen() && !m_file.Close() && Succeeded(result)) result = kFail;
    return result;
}

HResult FileWriterFilter::Write(IMediaSample* sample) {
    ReferenceTime start = 0;
    ReferenceTime stop = 0;
    if (Failed(sample->GetTime(&start, &stop)) || start < 0) return kTimeNotSet;
    uint8_t* data = nullptr;
    if (Failed(sample->GetPointer(&data))) return kPointer;
    int32_t size = sample->GetActualDataLength();
    if (size < 0) return kInvalidArg;
    platform::ScopedLock file(m_fileLock);
    if (!m_file.WriteAt(static_cast<uint64_t>(start), data, static_cast<size_t>(size))) return kFail;
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
