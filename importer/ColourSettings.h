// The three colour-processing settings every decode is prepared with. They are 0 unless the user names
// a folder in the key-value store whose "override.colr" file overrides them. Nothing is cached: the
// store and the file are read for every sample prepared, so an edit takes effect at the next frame.
#pragma once
#include <cstdint>

namespace krvx {

class IAllocator;
class SampleDecoder;

struct ColourSettings {
    int32_t active = 0;  // "CACT"
    int32_t mix = 0;     // "CMIX"
    int32_t level = 0;   // "CMVL"
};

// How the override file is read. The importer's own decoder walks the records, skipping unknown tags
// by their length, until three settings were read. A pool entry's decoder reads the first 60 bytes and
// looks at five 12-byte records in place, taking only "CACT" and "CMIX".
enum class OverrideReading { WalkRecords, FiveFixedRecords };

// The settings for the next decode. False when the path buffer cannot be allocated; missing keys,
// values, files or short files are not failures (the settings found so far stand).
bool ReadColourSettings(IAllocator* allocator, OverrideReading reading, ColourSettings* settings);

// Applies the settings as the decoder's active metadata for `sample` ("CMVL" only with withLevel).
// kImNoErr, or kImOtherErr when a metadata call fails or the decoder library is missing.
int32_t ApplyColourSettings(SampleDecoder* decoder, const void* sample, uint32_t sampleSize,
                            const ColourSettings& settings, bool withLevel);

}  // namespace krvx
