#include "graph/QtMuxFilter.h"

#include <cstring>
#include <new>

#include "platform/com.h"

namespace krvx {
namespace graph {

using namespace dshow;

HResult QtMuxFilter::Create(const Guid& iid, void** object) {
    if (!object) return kPointer;
    *object = nullptr;
    QtMuxFilter* filter = new (std::nothrow) QtMuxFilter();
    if (!filter) return kOutOfMemory;
    HResult result = filter->HasPins() ? filter->QueryInterface(iid, object) : kOutOfMemory;
    filter->Release();
    return result;
}

QtMuxFilter::QtMuxFilter() : MuxFilter(kClsidQtMux) {}

QtMuxFilter::~QtMuxFilter() = default;

HResult QtMuxFilter::QueryInterface(const Guid& iid, void** object) {
    return MuxFilter::QueryInterface(iid, object);
}

HResult QtMuxFilter::QueryOtherInterface(const Guid& iid, void** object) {
    if (iid == kIidFileSinkFilter || iid == kIidFileSinkFilter2) {
        *object = static_cast<IFileSinkFilter2*>(this);
    } else if (iid == kIidQtMuxTimecode) {
        *object = static_cast<IQtMuxTimecode*>(this);
    } else {
        return MuxFilter::QueryOtherInterface(iid, object);
    }
    AddRef();
    return kOk;
}

uint32_t QtMuxFilter::AddRef() {
    return MuxFilter::AddRef();
}

uint32_t QtMuxFilter::Release() {
    return MuxFilter::Release();
}

HResult QtMuxFilter::SetFileName(const OleChar* file, const MediaType*) {
    if (!file || !*file) return kPointer;
    platform::ScopedLock hold(m_filterLock);
    if (State() != FilterState::Stopped) return kNotStopped;
    m_path = file;
    return kOk;
}

HResult QtMuxFilter::GetCurFile(OleChar** file, MediaType* type) {
    if (!file) return kPointer;
    *file = nullptr;
    platform::ScopedLock hold(m_filterLock);
    if (type) std::memset(type, 0, sizeof(*type));
    if (m_path.empty()) return kFail;
    size_t bytes = (m_path.size() + 1) * sizeof(OleChar);
    // The caller frees the name with the task allocator.
    *file = static_cast<OleChar*>(platform::ComTaskMemAlloc(bytes));
    if (!*file) return kOutOfMemory;
    std::memcpy(*file, m_path.c_str(), bytes);
    return kOk;
}

HResult QtMuxFilter::SetMode(uint32_t flags) {
    if (flags & ~kFileOverwrite) return kInvalidArg;
    m_mode = flags;
    return kOk;
}

HResult QtMuxFilter::GetMode(uint32_t* flags) {
    if (!flags) return kPointer;
    *flags = m_mode;
    return kOk;
}

HResult QtMuxFilter::SetStartTimecode(uint32_t packed, uint32_t) {
    m_startTimecode = packed;
    return kOk;
}

HResult QtMuxFilter::SetTimecodeRate(uint32_t rateTimes1000) {
    if (rateTimes1000 == 0) return kInvalidArg;
    m_timecodeRate = rateTimes1000;
    return kOk;
}

HResult QtMuxFilter::StartFile(const std::vector<StreamFormat>& streams) {
    // QT_WRITER_START
    return kNotImplemented;
}

HResult QtMuxFilter::WriteSample(int stream, const uint8_t* data, uint32_t size, bool keyFrame) {
    // QT_WRITER_WRITE
    return kNotImplemented;
}

HResult QtMuxFilter::FinishFile() {
    // QT_WRITER_FINISH
    return kNotImplemented;
}

}  // namespace graph
}  // namespace krvx
