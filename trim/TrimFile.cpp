#include "trim/TrimFile.h"

#include <cstdint>
#include <memory>
#include <new>

#include "avi/AVIReader.h"
#include "host/CMemAlloc.h"
#include "host/FrameRate.h"
#include "host/HostRecords.h"
#include "host/HostResults.h"
#include "host/HostTables.h"
#include "importer/CAVIFileImporter.h"
#include "importer/CSampleBuffer.h"
#include "platform/debug.h"
#include "platform/system.h"
#include "platform/text.h"
#include "trim/CAppDirectWriter.h"
#include "trim/CGAudFilter.h"

namespace krvx {

namespace {

constexpr size_t kMultibytePath = 260;
// The copy's audio is 16-bit PCM.
constexpr int32_t kCopyBitsPerSample = 16;
// Counts worked out in floating point from the rates a file claims are converted only below these: the
// per-frame sample count is 32-bit, sample positions and time rates are read as 64- and 32-bit integers.
constexpr double kUint32Limit = 4294967296.0;
constexpr double kInt64Limit = 9223372036854775808.0;

// The audio side of one copy: where each frame's block starts and how long blocks are.
struct AudioPlan {
    uint32_t rate = 0;
    uint32_t sampleSize = 0;
    uint32_t channels = 0;
    double samplesPerFrame = 0.0;
    uint32_t samplesPerBlock = 0;
};

bool PlanAudio(AVIReader* reader, float frameRate, AudioPlan* plan) {
    if (!reader || !reader->Audio().IsValid() || frameRate <= 0.0f) return false;
    const AVIStreamHeader& header = reader->Audio().Header();
    if (header.scale == 0 || header.sampleSize == 0) return false;
    plan->rate = header.rate / header.scale;
    plan->sampleSize = header.sampleSize;
    plan->channels = reader->Audio().Format().channels;
    // A rate and channel count that no PCM media type can describe (one second of audio past 2 GiB,
    // a block alignment past 16 bits) is refused here, before any buffer is allocated or file made.
    if (!CGAudFilter::FormatFits(plan->rate, plan->channels, kCopyBitsPerSample)) return false;
    plan->samplesPerFrame = static_cast<double>(plan->rate) / frameRate;
    if (!(plan->samplesPerFrame + 0.5 < kUint32Limit)) return false;
    plan->samplesPerBlock = static_cast<uint32_t>(plan->samplesPerFrame + 0.5);
    return true;
}

// Whole milliseconds per frame; a rate so slow that they pass 32 bits still asks for interleaving.
int32_t InterleaveHint(float frameRate) {
    if (frameRate <= 0.0f) return 0;
    const float milliseconds = 1000.0f / frameRate;
    return milliseconds < 2147483648.0f ? static_cast<int32_t>(milliseconds) : INT32_MAX;
}

// The host block the audio is read into, given back on every path.
class HostBlock {
public:
    HostBlock(const imStdParms* stdParms)
        : m_memory(stdParms && stdParms->suites ? stdParms->suites->memoryFunctions : nullptr) {}
    ~HostBlock() {
        if (m_block) m_memory.Free(m_block);
    }
    HostBlock(const HostBlock&) = delete;
    HostBlock& operator=(const HostBlock&) = delete;
    bool Allocate(uint64_t bytes) {
        if (bytes > 0xFFFFFFFFu) return false;
        m_block = static_cast<uint8_t*>(m_memory.Alloc(static_cast<uint32_t>(bytes)));
        return m_block != nullptr;
    }
    uint8_t* Data() const { return m_block; }

private:
    CMemAlloc m_memory;
    uint8_t* m_block = nullptr;
};

}  // namespace

int32_t TrimFile(const imStdParms* stdParms, CAVIFileImporter* importer, const TrimFileRecord& record) {
    if (!importer) return kImUnsupported;
    AVIReader* reader = importer->Reader();
    if (!reader || record.ticksPerFrame <= 0 || record.trimIn < 0 || record.duration < 0) {
        platform::DebugPrintf("TrimFile: no reader, or in %d, duration %d, units per frame %d\n",
                              record.trimIn, record.duration, record.ticksPerFrame);
        return kImOtherErr;
    }
    const AVIStreamHeader& video = reader->Video().Header();
    const float frameRate = SnapFrameRate(video.rate, video.scale).snapped;
    const int32_t first = record.trimIn / record.ticksPerFrame;
    const int32_t frameCount = record.duration / record.ticksPerFrame;

    AudioPlan audio;
    HostBlock audioBuffer(stdParms);
    if (record.keepAudio) {
        if (!PlanAudio(reader, frameRate, &audio)) {
            platform::DebugPrintf(
                "TrimFile: the clip has no audio stream that can be copied (%u Hz, %u channels)\n",
                audio.rate, audio.channels);
            return kImOtherErr;
        }
        if (!audioBuffer.Allocate(uint64_t(audio.samplesPerBlock) * audio.sampleSize))
            return kImMemErr;
    }

    char path[kMultibytePath];
    if (!record.destinationPath || !platform::WideToMultibyte(record.destinationPath, path, sizeof(path))) {
        platform::DebugPrintf("TrimFile: the destination path does not convert\n");
        return kImOtherErr;
    }
    std::unique_ptr<CAppDirectWriter> writer(new (std::nothrow) CAppDirectWriter());
    if (!writer) return kImOtherErr;
    if (dshow::Failed(writer->Init(path, InterleaveHint(frameRate)))) writer.reset();

    FrameInfo info{};
    importer->GetFrameInfo(&info);
    bool started = writer != nullptr;
    if (started && record.keepVideo) {
        const uint32_t units = static_cast<uint32_t>(record.ticksPerFrame);
        const double timeRate = units * static_cast<double>(frameRate);
        started =
            timeRate < kUint32Limit && dshow::Succeeded(writer->StartVideo(info.width, info.height, units,
                                                                           static_cast<uint32_t>(timeRate)));
    }
    if (started && record.keepAudio) {
        started = dshow::Succeeded(writer->StartAudio(
            static_cast<int32_t>(audio.rate), static_cast<int32_t>(audio.channels), kCopyBitsPerSample));
    }
    if (!started) {
        platform::DebugPrintf("TrimFile: the copy could not be started\n");
        return kImOtherErr;
    }

    CSampleBuffer sample;
    if (platform::UnbufferedReadsNeedAlignedMemory()) sample.SetReadAlignment(importer->SectorSize());
    int32_t result = kImNoErr;
    for (int32_t i = 0; i < frameCount; ++i) {
        const uint32_t frame = static_cast<uint32_t>(first) + static_cast<uint32_t>(i);
        if (record.keepVideo) {
            if (sample.ReadSample(reader, frame, importer->SectorSize()) != kImNoErr) {
                platform::DebugPrintf("TrimFile: frame %u cannot be read\n", frame);
                result = kImOtherErr;
                break;
            }
            const bool keyFrame = reader->IsVideoKeyFrame(frame) != 0;
            if (dshow::Failed(writer->WriteVideo(sample.Sample(), sample.SampleSize(), keyFrame))) {
                platform::DebugPrintf("TrimFile: frame %u cannot be written\n", frame);
                result = kImOtherErr;
                break;
            }
        }
        if (record.keepAudio) {
            const double exactPosition = frame * audio.samplesPerFrame + 0.5;
            uint32_t samplesRead = 0;
            if (!(exactPosition < kInt64Limit) ||
                importer->ReadAudioSamples(static_cast<int64_t>(exactPosition), audioBuffer.Data(),
                                           audio.samplesPerBlock, &samplesRead) != kImNoErr ||
                dshow::Failed(writer->WriteAudio(samplesRead * audio.sampleSize, audioBuffer.Data()))) {
                platform::DebugPrintf("TrimFile: the audio of frame %u cannot be copied\n", frame);
                result = kImOtherErr;
                break;
            }
        }
        if (record.progress && record.progress(i, frameCount, record.progressContext) == 0) break;
    }
    writer->Finish();
    writer.reset();
    sample.Release();
    return result;
}

}  // namespace krvx
