// Reads numbered PNG files into pictures.
#pragma once
#include <string>

#include "codec/encoder/KRVXEncoder.h"

namespace krvx {
namespace tools {

// True when this build can read PNG files.
bool PngInputAvailable();

// Reads the file into 8-bit RGBA and converts it to format; false with a message on failure.
bool ReadPng(const std::string& path, uint32_t format, encode::Picture& picture, std::string& error);

}  // namespace tools
}  // namespace krvx
