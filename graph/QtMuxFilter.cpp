#include "graph/QtMuxFilter.h"

#include <cstring>
#include <new>

#include "graph/HandOut.h"
#include "platform/com.h"
#include "platform/text.h"

namespace krvx {
namespace graph {

using namespace dshow;

namespace {

HResult ResultOf(int code) {
    switch (code) {
        case kQtOk:
            return kOk;
        case kQtNoMemory:
            return kOutOfMemory;
        case kQtBadArgument:
            return kInvalidArg;
        default:
            return kFail;
    }
}

}  // namespace

HResult QtMuxFilter::Create(const Guid& iid, void** object) {
    if (!object) return kPointer;
    *object = nullptr;
    QtMuxFilter* filter = new (std::nothrow) QtMuxFilter();
    return HandOut(filter, filter && filter->HasPins(), iid, object);
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

HResult QtMuxFilter::Pause() {
    {
        platform::ScopedLock hold(m_filterLock);
        if (State() == FilterState::Stopped && m_path.empty()) return kFail;
    }
    return MuxFilter::Pause();
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
    if (m_path.empty()) return kFail;
    QtVideoTrack video{};
    QtAudioTrack audio{};
    StreamChoice choice;
    // The movie holds one video and at most one audio track.
    if (!ChooseStreams(streams, &choice)) return kTypeNotAccepted;
    m_videoStream = choice.video;
    m_audioStream = choice.audio;
    if (choice.video >= 0) {
        const StreamFormat& format = streams[static_cast<size_t>(choice.video)];
        video.width = static_cast<uint32_t>(format.width);
        video.height = static_cast<uint32_t>(format.height < 0 ? -format.height : format.height);
        for (int c = 0; c < 4; ++c) video.fourCC[c] = static_cast<char>(format.compression >> (8 * c));
        video.depth = format.bitCount;
        int64_t timePerFrame = static_cast<int64_t>(format.scale) * 10000000 / format.rate;
        if (!QtFrameTimingFromAverageTimePerFrame(timePerFrame, &video.timing)) return kTypeNotAccepted;
    }
    if (choice.audio >= 0) {
        const StreamFormat& format = streams[static_cast<size_t>(choice.audio)];
        audio.sampleRate = format.wave.samplesPerSecond;
        audio.channels = format.wave.channels;
        audio.bitsPerSample = format.wave.bitsPerSample;
    }
    char path[4096];
    if (!platform::WideToMultibyte(m_path.c_str(), path, sizeof(path))) return kFail;
    m_writer.reset(new (std::nothrow) QuickTimeWriter());
    if (!m_writer) return kOutOfMemory;
    return ResultOf(
        m_writer->Open(path, m_videoStream >= 0 ? &video : nullptr, m_audioStream >= 0 ? &audio : nullptr));
}

HResult QtMuxFilter::WriteSample(int stream, const uint8_t* data, uint32_t size, bool keyFrame) {
    if (stream == m_videoStream) return ResultOf(m_writer->WriteVideo(data, size, keyFrame));
    if (stream == m_audioStream) return ResultOf(m_writer->WriteAudio(data, size));
    return kUnexpected;
}

HResult QtMuxFilter::FinishFile() {
    if (!m_writer) return kOk;
    int result = kQtOk;
    if (m_timecodeRate != 0) result = m_writer->SetTimecode(m_startTimecode, m_timecodeRate);
    int closed = m_writer->Close();
    m_writer.reset();
    return ResultOf(result != kQtOk ? result : closed);
}

}  // namespace graph
}  // namespace krvx
