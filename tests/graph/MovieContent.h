// Frames and audio with recognisable bytes, written through the QuickTime writer the way a trim does:
// one frame, then the audio that lies under it.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "graph/QuickTimeWriter.h"

namespace krvx {
namespace test {

struct MovieContent {
    std::vector<std::string> frames;
    std::vector<bool> keyFrames;
    std::vector<std::string> audioBlocks;  // one block per frame (or the whole audio without video)
    std::string Audio() const;
};

struct MovieOptions {
    bool video = true;
    bool audio = true;
    uint32_t frames = 24;
    uint32_t keyInterval = 5;  // 1: every frame is a key frame
    uint32_t width = 64;
    uint32_t height = 36;
    int64_t averageTimePerFrame = 400000;
    uint32_t sampleRate = 48000;
    uint16_t channels = 2;
    uint16_t bits = 16;
    uint32_t audioOnlySamples = 0;  // audio sample frames when there is no video
};

MovieContent MakeContent(const MovieOptions& options);

graph::QtVideoTrack VideoTrackFor(const MovieOptions& options);
graph::QtAudioTrack AudioTrackFor(const MovieOptions& options);

// Opens, writes everything and closes; the result of the first step that failed, else of Close.
// `timecode` of 0 rate leaves the movie without a timecode track.
int WriteMovie(const std::string& path, const MovieOptions& options, const MovieContent& content,
               uint32_t timecodeStart = 0, uint32_t timecodeRate = 0);

}  // namespace test
}  // namespace krvx
