// The clip the trimmed-copy benchmarks copy: 1920 x 1080 KRVX at 25 fps with a key frame every 10
// frames and 48 kHz stereo 16-bit audio, over 1 GiB so that it continues in OpenDML forms. One group
// of frames is encoded once and its samples are repeated in group order, so making it takes seconds.
#pragma once
#include <cstdint>
#include <string>

namespace krvx {
namespace bench {

// The size the benchmarks ask for: past the first RIFF form's 1 GiB, with room to spare.
constexpr uint64_t kBenchClipBytes = (uint64_t(1) << 30) + (uint64_t(100) << 20);

struct BenchClipInfo {
    uint64_t bytes = 0;
    uint32_t frames = 0;
    uint32_t keyFrameInterval = 0;
    uint64_t videoBytes = 0;  // the compressed samples alone
};

// Writes the clip at `path` unless a complete clip of at least `minBytes` is there already. The file
// is written under a temporary name and renamed, so an interrupted run leaves no clip to reuse.
// False with the reason in *error.
bool MakeBenchClip(const std::string& path, uint64_t minBytes, BenchClipInfo* info, std::string* error);

}  // namespace bench
}  // namespace krvx
