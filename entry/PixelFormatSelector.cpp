#include "entry/PixelFormatSelector.h"

#include <cstring>

#include "host/HostRecords.h"
#include "host/HostResults.h"
#include "host/PrPixelFormat.h"
#include "platform/system.h"

namespace krvx {

namespace {
const PrPixelFormat kPremiereYuvClip[] = {PrPixelFormat_YUYV_422_8u_709, PrPixelFormat_VUYA_4444_8u,
                                          PrPixelFormat_VUYA_4444_32f,   PrPixelFormat_BGRA_4444_8u,
                                          PrPixelFormat_ARGB_4444_8u,    PrPixelFormat_BGRA_4444_32f,
                                          PrPixelFormat_ARGB_4444_32f};
const PrPixelFormat kPremiereOtherClip[] = {PrPixelFormat_BGRA_4444_8u, PrPixelFormat_ARGB_4444_8u,
                                            PrPixelFormat_BGRA_4444_32f, PrPixelFormat_ARGB_4444_32f,
                                            PrPixelFormat_VUYA_4444_32f};
const PrPixelFormat kOtherHost[] = {PrPixelFormat_BGRA_4444_16u, PrPixelFormat_BGRA_4444_32f,
                                    PrPixelFormat_BGRA_4444_8u};

template <size_t N>
int32_t Offer(const PrPixelFormat (&formats)[N], int32_t index, PixelFormatRecord* record) {
    if (index < 0 || static_cast<size_t>(index) >= N) return kImBadFormatIndex;
    if (record) record->pixelFormat = static_cast<int32_t>(formats[index]);
    return kImNoErr;
}
}  // namespace

bool IsPremiereProHost() {
    char name[261];
    if (!platform::HostExecutableName(name, sizeof(name))) return false;
    // Directory and extension do not count.
    char* dot = std::strrchr(name, '.');
    if (dot) *dot = '\0';
    return std::strstr(name, "Adobe Premiere Pro") != nullptr;
}

int32_t HandleGetIndPixelFormat(uint32_t encodedFormat, int32_t index, PixelFormatRecord* record) {
    if (!IsPremiereProHost()) return Offer(kOtherHost, index, record);
    if (encodedFormat == 0) return Offer(kPremiereYuvClip, index, record);
    return Offer(kPremiereOtherClip, index, record);
}

}  // namespace krvx
