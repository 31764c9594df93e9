// Writes 8-bit RGBA pictures as PNG files, on every build: the image data goes in uncompressed deflate
// blocks, so no compression library is needed.
#pragma once
#include <cstdint>
#include <string>

#include "tools/krvx-host/FrameImage.h"

namespace krvx {
namespace sim {

bool WritePngFile(const std::string& path, const RgbaImage& image);

}  // namespace sim
}  // namespace krvx
