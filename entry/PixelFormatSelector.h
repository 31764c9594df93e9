// The host pixel formats offered for a clip, in the plug-in's order of preference.
#pragma once
#include <cstdint>

namespace krvx {

struct PixelFormatRecord;

// True when this process's executable name contains "Adobe Premiere Pro"; asked afresh every call.
bool IsPremiereProHost();

// The format at `index` for a clip of `encodedFormat` in this host; 301 past the last one.
int32_t HandleGetIndPixelFormat(uint32_t encodedFormat, int32_t index, PixelFormatRecord* record);

}  // namespace krvx
