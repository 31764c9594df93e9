// The two Windows format records that an AVI stream's "strf" chunk holds and that DirectShow format
// blocks carry: BITMAPINFOHEADER and WAVEFORMATEX, laid out byte for byte as Windows lays them out.
#pragma once
#include <cstddef>
#include <cstdint>

namespace krvx {
namespace dshow {

// BITMAPINFOHEADER: 40 bytes.
struct BitmapInfoHeader {
    uint32_t size;
    int32_t width;
    int32_t height;
    uint16_t planes;
    uint16_t bitCount;
    uint32_t compression;
    uint32_t sizeImage;
    int32_t xPelsPerMeter;
    int32_t yPelsPerMeter;
    uint32_t coloursUsed;
    uint32_t coloursImportant;
};

#pragma pack(push, 1)
// WAVEFORMATEX: 18 bytes, packed, so that an array of them or a record holding one has the system's layout.
struct WaveFormatEx {
    uint16_t formatTag;
    uint16_t channels;
    uint32_t samplesPerSecond;
    uint32_t averageBytesPerSecond;
    uint16_t blockAlign;
    uint16_t bitsPerSample;
    uint16_t extraSize;
};
#pragma pack(pop)
constexpr uint16_t kWaveFormatPcm = 1;

static_assert(sizeof(BitmapInfoHeader) == 40 && offsetof(BitmapInfoHeader, compression) == 16 &&
                  offsetof(BitmapInfoHeader, coloursImportant) == 36,
              "BITMAPINFOHEADER");
static_assert(sizeof(WaveFormatEx) == 18 && offsetof(WaveFormatEx, samplesPerSecond) == 4 &&
                  offsetof(WaveFormatEx, blockAlign) == 12 && offsetof(WaveFormatEx, extraSize) == 16,
              "WAVEFORMATEX");

}  // namespace dshow
}  // namespace krvx
