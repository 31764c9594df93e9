#include "tools/krvx-encode/PngInput.h"

#if defined(KRVX_HAVE_PNG)
#include <png.h>

#include <vector>
#endif

namespace krvx {
namespace tools {

#if defined(KRVX_HAVE_PNG)

bool PngInputAvailable() {
    return true;
}

bool ReadPng(const std::string& path, uint32_t format, encode::Picture& picture, std::string& error) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) {
        error = path + ": " + image.message;
        return false;
    }
    image.format = PNG_FORMAT_RGBA;
    std::vector<uint8_t> pixels(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr)) {
        error = path + ": " + image.message;
        png_image_free(&image);
        return false;
    }
    picture =
        encode::PictureFromRgba8(pixels.data(), image.width, image.height, size_t(image.width) * 4, format);
    return true;
}

#else

bool PngInputAvailable() {
    return false;
}

bool ReadPng(const std::string& path, uint32_t, encode::Picture&, std::string& error) {
    error = path + ": this build has no PNG support";
    return false;
}

#endif

}  // namespace tools
}  // namespace krvx
