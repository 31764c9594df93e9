#include "tools/krvx-host/DataRateChart.h"

#include <cstdio>

#if defined(KRVX_HAVE_PNG)
#include <png.h>
#endif

namespace krvx {
namespace host {

#if defined(KRVX_HAVE_PNG)

namespace {

constexpr uint32_t kMaximumColumns = 1600;
constexpr uint32_t kHeight = 320;
constexpr uint8_t kBackground[3] = {250, 250, 250};
constexpr uint8_t kFrameBar[3] = {70, 110, 180};
constexpr uint8_t kKeyFrameBar[3] = {220, 100, 40};

// Closes the file and frees the writer on every path.
class PngFile {
public:
    explicit PngFile(const std::string& path) : m_file(std::fopen(path.c_str(), "wb")) {
        if (m_file) m_png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
        if (m_png) m_info = png_create_info_struct(m_png);
    }
    ~PngFile() {
        if (m_png) png_destroy_write_struct(&m_png, m_info ? &m_info : nullptr);
        if (m_file) std::fclose(m_file);
    }
    PngFile(const PngFile&) = delete;
    PngFile& operator=(const PngFile&) = delete;

    bool Write(uint32_t width, uint32_t height, std::vector<uint8_t>& rgb) {
        if (!m_info) return false;
        std::vector<png_bytep> rows(height);
        for (uint32_t y = 0; y < height; ++y) rows[y] = &rgb[static_cast<size_t>(y) * width * 3];
        // libpng reports its errors by a long jump back here.
        if (setjmp(png_jmpbuf(m_png))) return false;
        png_init_io(m_png, m_file);
        png_set_IHDR(m_png, m_info, width, height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                     PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
        png_write_info(m_png, m_info);
        png_write_image(m_png, rows.data());
        png_write_end(m_png, nullptr);
        return std::fflush(m_file) == 0;
    }

private:
    std::FILE* m_file;
    png_structp m_png = nullptr;
    png_infop m_info = nullptr;
};

}  // namespace

bool CanWriteDataRateChart() {
    return true;
}

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
    std::vector<uint8_t> rgb(static_cast<size_t>(width) * kHeight * 3);
    for (uint32_t y = 0; y < kHeight; ++y) {
        for (uint32_t x = 0; x < width; ++x) {
            // Row 0 is the top of the picture; bars grow from the bottom.
            const uint64_t bar = static_cast<uint64_t>(columns[x].bytes) * kHeight / largest;
            const uint8_t* colour =
                kHeight - y <= bar ? (columns[x].keyFrame ? kKeyFrameBar : kFrameBar) : kBackground;
            uint8_t* pixel = &rgb[(static_cast<size_t>(y) * width + x) * 3];
            pixel[0] = colour[0];
            pixel[1] = colour[1];
            pixel[2] = colour[2];
        }
    }
    PngFile file(path);
    return file.Write(width, kHeight, rgb);
}

#else

bool CanWriteDataRateChart() {
    return false;
}
bool WriteDataRateChart(const std::string&, const std::vector<FrameBytes>&) {
    return false;
}

#endif

}  // namespace host
}  // namespace krvx
