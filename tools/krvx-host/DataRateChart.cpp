#include "tools/krvx-host/DataRateChart.h"

#include "tools/krvx-host/PngWriter.h"

namespace krvx {
namespace sim {

namespace {
constexpr uint32_t kMaximumColumns = 1600;
constexpr uint32_t kHeight = 320;
constexpr uint8_t kBackground[3] = {250, 250, 250};
constexpr uint8_t kFrameBar[3] = {70, 110, 180};
constexpr uint8_t kKeyFrameBar[3] = {220, 100, 40};
}  // namespace

bool WriteDataRateChart(const std::string& path, const std::vector<FrameBytes>& frames) {
    const uint64_t count = frames.size();
    const uint32_t width =
        count == 0 ? 1 : static_cast<uint32_t>(count < kMaximumColumns ? count : kMaximumColumns);
    std::vector<FrameBytes> columns(width, FrameBytes{0, false});
    for (uint64_t i = 0; i < count; ++i) {
        FrameBytes& column = columns[static_cast<size_t>(i * width / count)];
        if (frames[i].bytes > column.bytes) column.bytes = frames[i].bytes;
        column.keyFrame = column.keyFrame || frames[i].keyFrame;
    }
    uint32_t largest = 1;
    for (const FrameBytes& column : columns)
        if (column.bytes > largest) largest = column.bytes;
    RgbaImage chart;
    chart.width = static_cast<int32_t>(width);
    chart.height = static_cast<int32_t>(kHeight);
    chart.rgba.resize(static_cast<size_t>(width) * kHeight * 4);
    for (uint32_t y = 0; y < kHeight; ++y) {
        for (uint32_t x = 0; x < width; ++x) {
            // Row 0 is the top of the picture; bars grow from the bottom.
            const uint64_t bar = static_cast<uint64_t>(columns[x].bytes) * kHeight / largest;
            const uint8_t* colour =
                kHeight - y <= bar ? (columns[x].keyFrame ? kKeyFrameBar : kFrameBar) : kBackground;
            uint8_t* pixel = &chart.rgba[(static_cast<size_t>(y) * width + x) * 4];
            pixel[0] = colour[0];
            pixel[1] = colour[1];
            pixel[2] = colour[2];
            pixel[3] = 255;
        }
    }
    return WritePngFile(path, chart);
}

}  // namespace sim
}  // namespace krvx
