// krvx-host frame CLIP --frame N [--format F] [--size WxH] [-o out.png] [--raw out.bin]: one frame as the
// host asks for it, written as an upright PNG and, with --raw, as the host frame's own bytes.
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "tools/krvx-host/ClipQueries.h"
#include "tools/krvx-host/Command.h"
#include "tools/krvx-host/CommandArguments.h"
#include "tools/krvx-host/FrameRequests.h"
#include "tools/krvx-host/PngWriter.h"

namespace krvx {
namespace sim {

namespace {

bool WriteRaw(const std::string& path, const HostSim::FrameView& view) {
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> out(std::fopen(path.c_str(), "wb"), &std::fclose);
    if (!out) return false;
    const size_t rowBytes =
        static_cast<size_t>(view.width + (view.width & 1)) * HostBytesPerPixel(view.pixelFormat);
    for (int32_t y = 0; y < view.height; ++y)
        if (std::fwrite(view.pixels + static_cast<size_t>(y) * view.rowBytes, 1, rowBytes, out.get()) !=
            rowBytes)
            return false;
    return true;
}

int Run(const CommandContext& context) {
    CommandArguments arguments;
    if (!arguments.Parse("frame", context.arguments, {"--frame", "--format", "--size", "-o", "--raw"}, {}))
        return kExitUsage;
    int64_t frameNumber = 0;
    uint32_t format = 0;
    int32_t width = 0, height = 0;
    if (!arguments.Has("--frame")) {
        std::fprintf(stderr, "krvx-host frame: which frame? (--frame N)\n");
        return kExitUsage;
    }
    if (!arguments.Number("frame", "--frame", 0, 0, INT32_MAX, &frameNumber) ||
        !FrameFormatAndSize("frame", arguments, &format, &width, &height))
        return kExitUsage;
    Session session(context.session);
    if (!StartSession(session)) return kExitPluginError;
    OpenClip clip(session, arguments.Clip());
    if (!OpenClipOrSay("frame", clip)) return kExitPluginError;
    if (format == 0) {
        const std::vector<uint32_t> offered = clip.PixelFormats(nullptr);
        if (offered.empty()) {
            std::fprintf(stderr, "krvx-host frame: the plug-in offers no pixel format\n");
            return kExitPluginError;
        }
        format = offered.front();
    }
    if (width == 0) {
        width = clip.Info().width;
        height = clip.Info().height;
    }
    const int32_t frameIndex = static_cast<int32_t>(frameNumber);
    SourceFrame frame(session);
    const int32_t result = frame.Request(clip, frameIndex, format, width, height);
    if (result != 0) {
        std::fprintf(stderr, "krvx-host frame: frame %d in %s at %dx%d: result %d\n", frameIndex,
                     FourChars(format).c_str(), width, height, result);
        return kExitPluginError;
    }
    HostSim::FrameView view;
    RgbaImage image;
    if (!frame.View(&view) || !frame.ToRgba(&image)) {
        std::fprintf(stderr, "krvx-host frame: the plug-in returned no readable frame\n");
        return kExitPluginError;
    }
    const std::string png = arguments.Value("-o"), raw = arguments.Value("--raw");
    if (!png.empty() && !WritePngFile(png, image)) {
        std::fprintf(stderr, "krvx-host frame: cannot write %s\n", png.c_str());
        return kExitPluginError;
    }
    if (!raw.empty() && !WriteRaw(raw, view)) {
        std::fprintf(stderr, "krvx-host frame: cannot write %s\n", raw.c_str());
        return kExitPluginError;
    }
    std::printf("frame %d: %dx%d %s%s%s\n", frameIndex, view.width, view.height, FourChars(format).c_str(),
                png.empty() ? "" : " -> ", png.c_str());
    return kExitSuccess;
}

CommandRegistration g_registration(
    {"frame", "CLIP --frame N [--format F] [--size WxH] [-o out.png] [--raw out.bin]",
     "Requests frame N as the host does (format F by its four characters, such as "
     "bgra, yuy3 or VUya; by default the first offered; size by default the clip's) "
     "and writes it as an upright PNG; --raw writes the host frame's bytes, row by "
     "row in memory order, without row padding.",
     Run, nullptr});

}  // namespace

}  // namespace sim
}  // namespace krvx
