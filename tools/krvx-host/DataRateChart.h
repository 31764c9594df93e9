// A bar chart of stored bytes per frame, key frames marked, written as a PNG file.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace krvx {
namespace sim {

struct FrameBytes {
    uint32_t bytes;
    bool keyFrame;
};

// Draws one column per frame, or per run of frames when there are more frames than columns (the
// largest of the run, marked as a key frame when the run holds one). False when the file cannot be
// written.
bool WriteDataRateChart(const std::string& path, const std::vector<FrameBytes>& frames);

}  // namespace sim
}  // namespace krvx
