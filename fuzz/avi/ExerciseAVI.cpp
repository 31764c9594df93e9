#include "ExerciseAVI.h"

#include <cstdlib>
#include <memory>
#include <vector>

#include "avi/AVIReader.h"

namespace krvx {
namespace fuzz {

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

// Frames the file may be asked about: the first ones, around the counts it claims, and the far end.
std::vector<uint32_t> FramesToTry(AVIReader& reader) {
    std::vector<uint32_t> frames;
    for (uint32_t f = 0; f < 40; ++f) frames.push_back(f);
    for (uint32_t n :
         {reader.TotalFrames(), reader.Video().OldIndex().Count(), reader.Video().Header().length}) {
        frames.push_back(n - 1);
        frames.push_back(n);
    }
    frames.push_back(0x7FFFFFFFu);
    frames.push_back(0xFFFFFFFFu);
    return frames;
}

void ExerciseVideo(AVIReader& reader) {
    AVIVideoStream& video = reader.Video();
    video.GetHandler();
    for (uint32_t frame : FramesToTry(reader)) {
        reader.IsVideoKeyFrame(frame);
        uint32_t stored = reader.GetVideoFrameSize(frame);
        for (uint32_t alignment : {512u, 0u, 1u, 4096u, 0xFFFFFFFFu}) {
            uint32_t size = 0, lead = 0, alignedSize = 0;
            uint64_t alignedOffset = 0;
            if (dshow::Failed(video.GetAlignedFrameLocation(frame, alignment, &size, &lead, &alignedOffset,
                                                            &alignedSize))) {
                continue;
            }
            Check(size == stored);
            Check(uint64_t(lead) + size <= alignedSize);
            Check(alignedOffset + lead <= reader.FileSize());
            if (alignment != 512 || alignedSize > (16u << 20)) continue;
            // An unbuffered read into sector-aligned memory, as the frame import does.
            std::unique_ptr<uint8_t[]> block(new uint8_t[alignedSize + 4096]);
            uint8_t* buffer = block.get() + (4096 - reinterpret_cast<uintptr_t>(block.get()) % 4096) % 4096;
            uint64_t got = 0;
            if (dshow::Succeeded(
                    AVIReader::ReadFileData(reader.SampleFile(), alignedOffset, alignedSize, buffer, &got))) {
                Check(got <= alignedSize);
            }
            AVIReader::ReadFileData(reader.ParseFile(), alignedOffset + lead, size, buffer, nullptr);
        }
    }
    AVIReader::ReadFileData(nullptr, 0, 4, nullptr, nullptr);
}

void ExerciseAudio(AVIReader& reader) {
    AVIAudioStream& audio = reader.Audio();
    const uint32_t sampleSize = audio.Header().sampleSize;
    std::vector<uint8_t> buffer(4096 * 16);
    auto read = [&](uint64_t position, uint32_t count, uint32_t bytesPerSample) {
        if (uint64_t(count) * bytesPerSample > buffer.size()) return;
        uint32_t got = 0xFFFFFFFFu;
        audio.ReadSamples(position, buffer.data(), count, bytesPerSample, &got, nullptr);
        Check(got <= count);
    };
    audio.SeekToStart();
    read(0, 1000, sampleSize);
    read(audio.NextSamplePosition(), 3000, sampleSize);
    read(audio.NextSamplePosition(), 4096, 4);
    for (uint64_t position : {1ull, 100ull, 5000ull, 48000ull, 1ull << 31, 1ull << 40, ~0ull}) {
        read(position, 700, sampleSize);
        read(position, 1, 3);
    }
    read(7, 10, 0);
    audio.SeekToStart();
    read(0, 4096, 16);
    uint32_t got = 0;
    audio.ReadSequential(buffer.data(), 100, 2, &got, reader.SampleFile());
    Check(got <= 100);
    audio.ReadSamples(0, nullptr, 1, 4, &got, nullptr);
    audio.ReadSamples(0, buffer.data(), 1, 4, nullptr, nullptr);
}

}  // namespace

void ExerciseAVIFile(const char* path) {
    AVIReader reader;
    if (dshow::Failed(reader.Open(path))) return;
    ExerciseVideo(reader);
    ExerciseAudio(reader);
    reader.Reset();
    // The reader is reused after a reset, as after an open that failed.
    if (dshow::Succeeded(reader.Open(path))) ExerciseVideo(reader);
}

}  // namespace fuzz
}  // namespace krvx
