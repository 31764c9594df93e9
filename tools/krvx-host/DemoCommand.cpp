// krvx-host demo [--clip PATH]: the tour of a clip's life as the host drives it, one step per stage the
// plug-in offers. Without --clip it makes its sample clip with the encoder once and keeps it.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "host/PrPixelFormat.h"
#include "host/HostResults.h"
#include "host/Selectors.h"
#include "platform/system.h"
#include "tools/clip-writer/ClipWriter.h"
#include "tools/krvx-host/ClipQueries.h"
#include "tools/krvx-host/Command.h"
#include "tools/krvx-host/FrameRequests.h"
#include "tools/krvx-host/HostQueries.h"
#include "tools/krvx-host/PngWriter.h"

namespace krvx {
namespace sim {

namespace {
// The tour plays the editor unless --host-name names another host.
const char kEditorName[] = "Adobe Premiere Pro.exe";

void Heading(const char* text) {
    std::printf("\n== %s\n", text);
}

// The plug-in's debug lines since the last step, indented under it.
void PrintLines(Session& session) {
    for (const std::string& line : session.TakeDebugLines())
        if (!line.empty()) std::printf("  | %s\n", line.c_str());
}

std::string DefaultClipPath() {
    const char* folder = std::getenv("TMPDIR");
    std::string base = folder && *folder ? folder : "/tmp";
#if defined(_WIN32)
    const char* windowsTemp = std::getenv("TEMP");
    if (windowsTemp && *windowsTemp) base = windowsTemp;
#endif
    return base + "/krvx-demo-1080p25-10s.avi";
}

bool FileExists(const std::string& path) {
    return std::ifstream(path, std::ios::binary).good();
}

// 1920 x 1080 at 25 fps for 10 seconds, stereo 48 kHz, timecode and reel, a key frame every 10 frames.
int MakeSampleClip(const std::string& path) {
    encode::ClipOptions options;
    options.frames = 250;
    options.gop = 10;
    options.audioRate = 48000;
    options.audioChannels = 2;
    encode::MetadataItem item;
    if (encode::MakeMetadataItem("TIMC", "01:00:00:00", item)) options.metadata.push_back(item);
    if (encode::MakeMetadataItem("REEL", "A001", item)) options.metadata.push_back(item);
    std::string partial = path + ".partial";
    int last = -1;
    int rc = encode::WriteClip(options, partial.c_str(), [&last](uint32_t done, uint32_t total) {
        int percent = static_cast<int>(100u * done / (total ? total : 1));
        if (percent / 5 != last / 5 || done == total) {
            std::printf("\r  encoding: [%-20s] %3d%%",
                        std::string(static_cast<size_t>(percent / 5), '#').c_str(), percent);
            std::fflush(stdout);
            last = percent;
        }
    });
    std::printf("\n");
    if (rc != 0) return rc;
    // Only a finished clip takes the name, so a clip cut short is made again next time.
    std::remove(path.c_str());
    return std::rename(partial.c_str(), path.c_str()) == 0 ? 0 : 1;
}

// The frames in the clip as the host counts them from its description; 1 when it gives no frame length.
int32_t FrameCount(const FileInfoRecord& info) {
    return info.ticksPerFrame > 0 ? info.durationTicks / info.ticksPerFrame : 1;
}

// The arguments: an optional --clip PATH. False on anything else.
bool ParseArguments(const CommandContext& context, std::string* clipPath) {
    for (size_t i = 0; i < context.arguments.size(); ++i) {
        if (context.arguments[i] == "--clip" && i + 1 < context.arguments.size()) {
            *clipPath = context.arguments[++i];
        } else {
            std::fprintf(stderr, "krvx-host demo: unexpected argument %s\n", context.arguments[i].c_str());
            return false;
        }
    }
    return true;
}

bool ShowCapabilities(Session& session) {
    Heading("What the host learns before opening a file");
    int32_t result = PrintCapabilities(session, stdout);
    PrintLines(session);
    return result == 0;
}

// The clip the tour uses: the one given, or the sample clip, made once and kept. Empty when none can be had.
std::string ChooseClip(const std::string& given) {
    Heading("The sample clip");
    if (!given.empty()) {
        std::printf("using %s\n", given.c_str());
        return given;
    }
    std::string clipPath = DefaultClipPath();
    if (FileExists(clipPath)) {
        std::printf("reusing %s\n", clipPath.c_str());
        return clipPath;
    }
    std::printf(
        "making %s: 1920 x 1080, 25 fps, 10 s, stereo 48 kHz, timecode and reel, key frame every "
        "10\n",
        clipPath.c_str());
    if (MakeSampleClip(clipPath) != 0) {
        std::fprintf(stderr, "krvx-host demo: the encoder could not write %s\n", clipPath.c_str());
        return std::string();
    }
    return clipPath;
}

bool OpenAndDescribe(Session& session, OpenClip& clip) {
    Heading("Opening the clip (imOpenFile8, imGetInfo8)");
    int32_t result = clip.Open();
    PrintLines(session);
    if (result != 0) {
        std::printf("the plug-in refused the clip: result %d\n", result);
        return false;
    }
    const FileInfoRecord& info = clip.Info();
    std::printf(
        "video %d x %d \"%s\", time base %d with %d ticks per frame, %d frames, field type %d, "
        "alpha code %d, pixel aspect %d:%d\n",
        info.width, info.height, FourChars(static_cast<uint32_t>(info.subtype)).c_str(), info.timeBase,
        info.ticksPerFrame, info.ticksPerFrame ? info.durationTicks / info.ticksPerFrame : 0, info.fieldType,
        info.alphaCode, info.pixelAspectNumerator, info.pixelAspectDenominator);
    if (info.hasAudio)
        std::printf("audio %d channels at %g Hz, %lld sample frames\n", info.audioChannels,
                    static_cast<double>(info.audioSampleRate),
                    static_cast<long long>(info.audioDurationFrames));
    return true;
}

// The sizes the plug-in prefers and the pixel formats it offers, as the host asks before any frame.
void ShowSizesAndFormats(Session& session, OpenClip& clip) {
    Heading("Preferred frame sizes (imGetPreferredFrameSize)");
    for (uint32_t format : {PrPixelFormat_BGRA_4444_8u, PrPixelFormat_VUYA_4444_8u}) {
        std::printf("%s:", FourChars(format).c_str());
        for (const auto& size : clip.PreferredSizes(format)) std::printf(" %dx%d", size.first, size.second);
        std::printf("\n");
    }
    session.TakeDebugLines();

    Heading("Pixel formats offered (imGetIndPixelFormat)");
    int32_t closing = 0;
    for (uint32_t format : clip.PixelFormats(&closing)) std::printf("%s ", FourChars(format).c_str());
    std::printf("(then %d)\n", closing);
    session.TakeDebugLines();
}

// Four frames in several formats and sizes; the last is written as a PNG beside the clip.
bool ShowFrames(Session& session, OpenClip& clip, const std::string& clipPath) {
    Heading("Frames as the host asks for them (imGetSourceVideo)");
    struct FrameStep {
        int32_t frame;
        uint32_t format;
        int32_t width, height;
    };
    // The first frame, one about a seventh in (primed from its key frame), one half way, and the next.
    const FileInfoRecord& info = clip.Info();
    const int32_t total = FrameCount(info);
    const int32_t middle = total / 2;
    const int32_t next = middle + 1 < total ? middle + 1 : middle;
    const FrameStep steps[] = {
        {0, PrPixelFormat_BGRA_4444_8u, info.width, info.height},
        {total * 3 / 20, PrPixelFormat_YUYV_422_8u_709, info.width / 4, info.height / 4},
        {middle, PrPixelFormat_VUYA_4444_32f, info.width / 2, info.height / 2},
        {next, PrPixelFormat_BGRA_4444_8u, info.width / 3, info.height / 3}};
    for (const FrameStep& step : steps) {
        SourceFrame frame(session);
        int32_t result = frame.Request(clip, step.frame, step.format, step.width, step.height);
        std::printf("frame %d in %s at %dx%d: result %d\n", step.frame, FourChars(step.format).c_str(),
                    step.width, step.height, result);
        PrintLines(session);
        RgbaImage image;
        if (result == 0 && &step == &steps[3] && frame.ToRgba(&image)) {
            const std::string png = clipPath + ".frame" + std::to_string(step.frame) + ".png";
            std::printf("%s %s\n", WritePngFile(png, image) ? "wrote" : "could not write", png.c_str());
        }
        if (result != 0) return false;
    }
    std::printf("host frames the plug-in still holds: %zu\n", session.Host().LiveFrames());
    return true;
}

void ShowTimeInfo(Session& session, OpenClip& clip) {
    Heading("Timecode and reel (imGetTimeInfo8)");
    TimeInfoRecord time{};
    time.privateData = clip.Handle();
    int32_t result = session.Call(imGetTimeInfo8, nullptr, &time);
    std::printf("result %d: timecode \"%.*s\", reel \"%.*s\"\n", result,
                static_cast<int>(strnlen(time.timecode, sizeof(time.timecode))), time.timecode,
                static_cast<int>(strnlen(time.reelName, sizeof(time.reelName))), time.reelName);
    PrintLines(session);
}

void ShowAudio(Session& session, OpenClip& clip) {
    Heading("Audio (imImportAudio7): the first 4800 sample frames, then the next");
    std::vector<float> left(4800), right(4800);
    for (int64_t position : {int64_t{0}, int64_t{-1}}) {
        int32_t result = clip.ImportAudio(position, 4800, left.data(), right.data());
        float peak = 0.0f;
        for (size_t i = 0; i < left.size(); ++i)
            peak = std::max({peak, std::fabs(left[i]), std::fabs(right[i])});
        std::printf("position %lld: result %d, peak %.3f\n", static_cast<long long>(position), result,
                    static_cast<double>(peak));
    }
    PrintLines(session);
}

// The host first widens the trim to whole frame groups (an end the clip's key frames cannot take is moved
// on a frame at a time). The answered record, with result 0, or the last refusal.
int32_t CheckTrim(Session& session, OpenClip& clip, TrimCheckRecord* check) {
    const FileInfoRecord& info = clip.Info();
    const int32_t total = FrameCount(info);
    const int32_t ticks = info.ticksPerFrame > 0 ? info.ticksPerFrame : 1;
    int32_t result = kImCantTrim;
    for (int32_t frames = total / 4; frames < total / 2 && result == kImCantTrim; ++frames) {
        *check = TrimCheckRecord{};
        check->privateData = clip.Handle();
        check->requestedStart = (total / 4 + 3) * ticks;
        check->requestedDuration = frames * ticks;
        check->keepAudio = info.hasAudio ? 1 : 0;
        check->keepVideo = 1;
        check->ticksPerFrame = ticks;
        result = session.Call(imCheckTrim8, nullptr, check);
    }
    session.TakeDebugLines();
    std::printf("frames %d..%d widen to %d..%d: result %d\n", check->requestedStart / ticks,
                (check->requestedStart + check->requestedDuration) / ticks - 1, check->answeredStart / ticks,
                (check->answeredStart + check->answeredDuration) / ticks - 1, result);
    return result;
}

// Has the plug-in copy the checked frames to copyPath, counting its progress calls.
int32_t TrimFile(Session& session, OpenClip& clip, const TrimCheckRecord& check,
                 const std::string& copyPath) {
    const std::u16string destination = ToUtf16(copyPath);
    TrimFileRecord trim{};
    trim.privateData = clip.Handle();
    trim.trimIn = check.answeredStart;
    trim.duration = check.answeredDuration;
    trim.keepAudio = check.keepAudio;
    trim.keepVideo = 1;
    trim.destinationPath = destination.c_str();
    trim.progress = [](int32_t, int32_t, void* calls) -> int32_t {
        ++*static_cast<int32_t*>(calls);
        return 1;
    };
    int32_t calls = 0;
    trim.progressContext = &calls;
    trim.ticksPerFrame = check.ticksPerFrame;
    int32_t result = session.Call(imTrimFile8, nullptr, &trim);
    std::printf("copied to %s: result %d, %d progress calls\n", copyPath.c_str(), result, calls);
    PrintLines(session);
    return result;
}

// The copy is a clip of its own: it opens and describes itself.
bool OpenCopy(Session& session, const std::string& copyPath) {
    OpenClip copy(session, copyPath);
    int32_t result = copy.Open();
    const FileInfoRecord& copied = copy.Info();
    std::printf("the copy opens: result %d, %d x %d, %d frames, audio %s\n", result, copied.width,
                copied.height, copied.ticksPerFrame ? copied.durationTicks / copied.ticksPerFrame : 0,
                copied.hasAudio ? "yes" : "no");
    copy.Close();
    session.TakeDebugLines();
    return result == 0;
}

bool ShowTrimmedCopy(Session& session, OpenClip& clip, const std::string& clipPath) {
    Heading("A trimmed copy without re-encoding (imCheckTrim8, imTrimFile8)");
    TrimCheckRecord check{};
    if (CheckTrim(session, clip, &check) != 0) return false;
    const std::string copyPath = clipPath + ".trim.avi";
    if (TrimFile(session, clip, check, copyPath) != 0) return false;
    return OpenCopy(session, copyPath);
}

// Closing gives everything back: the tour succeeds only when the plug-in holds no host memory or frame.
bool CloseAndCheckLeaks(Session& session, OpenClip& clip) {
    Heading("Closing the clip (imCloseFile) and the allocator's leak check");
    int32_t result = clip.Close();
    PrintLines(session);
    HostSim& host = session.Host();
    std::printf("host blocks still held by the plug-in: %zu, handles: %zu\n", host.LiveBlocks(),
                host.LiveHandles());
    bool clean = host.LiveBlocks() == 0 && host.LiveHandles() == 0 && host.LiveFrames() == 0;
    return result == 0 && clean;
}

int Run(const CommandContext& context) {
    std::string givenClip;
    if (!ParseArguments(context, &givenClip)) return kExitUsage;
    Session session(context.session);
    Heading("Loading the plug-in module");
    if (!StartSession(session)) return kExitPluginError;
    std::printf("loaded; the plug-in's debug lines follow each step, marked |\n");
    if (!ShowCapabilities(session)) return kExitPluginError;

    const std::string clipPath = ChooseClip(givenClip);
    if (clipPath.empty()) return kExitPluginError;
    OpenClip clip(session, clipPath);
    if (!OpenAndDescribe(session, clip)) return kExitPluginError;
    ShowSizesAndFormats(session, clip);
    if (!ShowFrames(session, clip, clipPath)) return kExitPluginError;
    ShowTimeInfo(session, clip);
    if (clip.Info().hasAudio) ShowAudio(session, clip);
    if (!ShowTrimmedCopy(session, clip, clipPath)) return kExitPluginError;
    return CloseAndCheckLeaks(session, clip) ? kExitSuccess : kExitPluginError;
}

CommandRegistration g_registration(
    {"demo", "[--clip PATH]",
     "Tours a clip's life through the plug-in as the host drives it, with the "
     "plug-in's debug lines at each step. Makes its sample clip when none is given.",
     Run, kEditorName});
}  // namespace

}  // namespace sim
}  // namespace krvx
