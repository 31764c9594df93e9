// Checks a trimmed copy against its source: every frame's compressed sample and key-frame flag, and
// the audio blocks read at each frame's position; and, where FFmpeg's prober is at hand, what another
// program makes of the file.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace krvx {
namespace testing_support {

struct TrimmedCopy {
    std::string source;
    std::string copy;
    uint32_t first = 0;   // the source frame the copy starts at
    uint32_t frames = 0;  // frames the copy holds
    bool video = true;
    bool audio = true;
};

// The sample position of each copied frame's audio block: (first + i) * samplesPerFrame + 0.5.
std::vector<int64_t> AudioBlockPositions(uint32_t first, uint32_t frames, double samplesPerFrame);

// The copy read back with the AVI reader: frame count, each sample and key flag equal to the source's,
// and the audio equal, block by block, to the source's audio at AudioBlockPositions. Reports through
// gtest.
void ExpectCopyOfSource(const TrimmedCopy& copy);

// ffprobe's view of an AVI or QuickTime copy: the streams, codec tag KRVX, the video frame count and
// key flags equal to the source's, and the audio duration.
void ExpectProbeAgrees(const TrimmedCopy& copy);

}  // namespace testing_support
}  // namespace krvx
