// FFmpeg's programs as independent readers of the movies the writer makes (stream copy only).
#pragma once
#include <map>
#include <string>
#include <vector>

namespace krvx {
namespace testing_support {

// Runs ffprobe on `path` with `arguments` in its flat output form and returns each key=value line
// (quotes removed); fails the calling test when ffprobe is missing or refuses the file.
std::map<std::string, std::string> Probe(const std::string& path, const std::string& arguments);

// The key-frame flag of every video packet, in file order.
std::vector<bool> VideoKeyFlags(const std::string& path);

// Runs ffmpeg with `arguments` (after the common quiet options); false when it fails.
bool RunFfmpeg(const std::string& arguments);

}  // namespace testing_support
}  // namespace krvx
