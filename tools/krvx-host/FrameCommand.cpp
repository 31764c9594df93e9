// krvx-host frame CLIP --frame N [--format F] [--size WxH] [-o out.png] [--raw out.bin]: one frame as the
// host asks for it, written as an upright PNG and, with --raw, as the host frame's own bytes.
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "tools/krvx-host/ClipQueries.h"
#include "tools/krvx-host/Command.h"
#include "tools/krvx-host/FrameRequests.h"
#include "tools/krvx-host/PngWriter.h"

namespace krvx {
namespace host {

namespace {

struct FrameOptions {
    std::string clip;
    int32_t frame = -1;
    std::string format;             // empty: the first format offered
    int32_t width = 0, height = 0;  // 0: the clip's size
    std::string png;
    std::string raw;
};

int Usage(const std::string& message) {
    std::fprintf(stderr, "krvx-host frame: %s\n", message.c_str());
    return kExitUsage;
}

int Parse(const std::vector<std::string>& arguments, FrameOptions* options) {
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        const bool hasValue = i + 1 < arguments.size();
        if (argument == "--frame" || argument == "--format" || argument == "--size" || argument == "-o" ||
            argument == "--raw") {
            if (!hasValue) return Usage(argument + " needs a value");
            const std::string& value = arguments[++i];
            if (argument == "--frame") {
                char* end = nullptr;
                const long frame = std::strtol(value.c_str(), &end, 10);
                if (!end || *end || frame < 0 || frame > INT32_MAX) return Usage("bad --frame " + value);
                options->frame = static_cast<int32_t>(frame);
            } else if (argument == "--format") {
                if (PixelFormatFromText(value) == 0)
                    return Usage("--format takes four characters, such as bgra");
                options->format = value;
            } else if (argument == "--size") {
                if (!ParseFrameSize(value, &options->width, &options->height))
                    return Usage("bad --size " + value);
            } else if (argument == "-o") {
                options->png = value;
            } else {
                options->raw = value;
            }
        } else if (!argument.empty() && argument[0] == '-') {
            return Usage("unknown option " + argument);
        } else if (options->clip.empty()) {
            options->clip = argument;
        } else {
            return Usage("one clip at a time");
        }
    }
    if (options->clip.empty()) return Usage("which clip?");
    if (options->frame < 0) return Usage("which frame? (--frame N)");
    return kExitSuccess;
}

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
    FrameOptions options;
    const int parsed = Parse(context.arguments, &options);
    if (parsed != kExitSuccess) return parsed;
    Session session(context.session);
    if (!StartSession(session)) return kExitPluginError;
    OpenClip clip(session, options.clip);
    int32_t result = clip.Open();
    if (result != 0) {
        std::fprintf(stderr, "krvx-host frame: the plug-in refused the clip: result %d\n", result);
        return kExitPluginError;
    }
    uint32_t format = PixelFormatFromText(options.format);
    if (format == 0) {
        const std::vector<uint32_t> offered = clip.PixelFormats(nullptr);
        if (offered.empty()) {
            std::fprintf(stderr, "krvx-host frame: the plug-in offers no pixel format\n");
            return kExitPluginError;
        }
        format = offered.front();
    }
    const int32_t width = options.width ? options.width : clip.Info().width;
    const int32_t height = options.height ? options.height : clip.Info().height;
    SourceFrame frame(session);
    result = frame.Request(clip, options.frame, format, width, height);
    if (result != 0) {
        std::fprintf(stderr, "krvx-host frame: frame %d in %s at %dx%d: result %d\n", options.frame,
                     FourChars(format).c_str(), width, height, result);
        return kExitPluginError;
    }
    HostSim::FrameView view;
    RgbaImage image;
    if (!frame.View(&view) || !frame.ToRgba(&image)) {
        std::fprintf(stderr, "krvx-host frame: the plug-in returned no readable frame\n");
        return kExitPluginError;
    }
    if (!options.png.empty() && !WritePngFile(options.png, image)) {
        std::fprintf(stderr, "krvx-host frame: cannot write %s\n", options.png.c_str());
        return kExitPluginError;
    }
    if (!options.raw.empty() && !WriteRaw(options.raw, view)) {
        std::fprintf(stderr, "krvx-host frame: cannot write %s\n", options.raw.c_str());
        return kExitPluginError;
    }
    std::printf("frame %d: %dx%d %s%s%s\n", options.frame, view.width, view.height, FourChars(format).c_str(),
                options.png.empty() ? "" : " -> ", options.png.c_str());
    return kExitSuccess;
}

CommandRegistration g_registration(
    {"frame", "CLIP --frame N [--format F] [--size WxH] [-o out.png] [--raw out.bin]",
     "Requests frame N as the host does (format F by its four characters, such as "
     "bgra, yuy3 or VUya; by default the first offered; size by default the clip's) "
     "and writes it as an upright PNG; --raw writes the host frame's bytes, row by "
     "row in memory order, without row padding.",
     Run});

}  // namespace

}  // namespace host
}  // namespace krvx
