// krvx-host datarate: stored bytes per frame as imDataRateAnalysis answers, optionally as a PNG chart.
#include <cstdio>
#include <vector>

#include "avi/AVIReader.h"
#include "host/Selectors.h"
#include "tools/krvx-host/ClipQueries.h"
#include "tools/krvx-host/Command.h"
#include "tools/krvx-host/CommandArguments.h"
#include "tools/krvx-host/DataRateChart.h"

namespace krvx {
namespace sim {

namespace {

// Key-frame flags straight from the clip's index: the plug-in's answer does not carry them.
std::vector<bool> KeyFrames(const std::string& path, size_t count) {
    std::vector<bool> keys(count, false);
    AVIReader reader;
    if (dshow::Failed(reader.Open(path.c_str()))) return keys;
    for (size_t i = 0; i < count; ++i) keys[i] = reader.IsVideoKeyFrame(static_cast<uint32_t>(i)) == 1;
    return keys;
}

int Run(const CommandContext& context) {
    CommandArguments arguments;
    if (!arguments.Parse("datarate", context.arguments, {"--png"}, {})) return kExitUsage;
    Session session(context.session);
    if (!StartSession(session)) return kExitPluginError;
    OpenClip clip(session, arguments.Clip());
    int32_t result = clip.Open();
    DataRateRecord record{};
    record.privateData = clip.Handle();
    if (result == 0) result = session.Call(imDataRateAnalysis, nullptr, &record);
    std::vector<DataRateEntry> entries(record.bufferSize > 0 ? static_cast<size_t>(record.bufferSize) / 8
                                                             : 0);
    record.buffer = entries.data();
    if (result == 0 && !entries.empty()) result = session.Call(imDataRateAnalysis, nullptr, &record);
    if (result != 0) {
        std::printf("the plug-in answered %d\n", result);
        return kExitPluginError;
    }
    std::vector<bool> keys = KeyFrames(arguments.Clip(), entries.size());
    std::vector<FrameBytes> chart;
    uint64_t total = 0;
    std::printf("frame      bytes  ticks\n");
    for (size_t i = 0; i < entries.size(); ++i) {
        std::printf("%5zu %10u %6u%s\n", i, entries[i].bytes, entries[i].ticksPerFrame,
                    keys[i] ? "  key" : "");
        chart.push_back(FrameBytes{entries[i].bytes, keys[i]});
        total += entries[i].bytes;
    }
    std::printf("%zu frames, %llu bytes\n", entries.size(), static_cast<unsigned long long>(total));
    if (arguments.Has("--png") && !WriteDataRateChart(arguments.Value("--png"), chart)) {
        std::fprintf(stderr, "krvx-host datarate: cannot write %s\n", arguments.Value("--png").c_str());
        return kExitPluginError;
    }
    return kExitSuccess;
}

CommandRegistration g_registration(
    {"datarate", "CLIP [--png CHART.png]",
     "Prints the stored bytes per frame as imDataRateAnalysis answers; with --png, "
     "also draws them as a bar chart with the key frames marked.",
     Run, nullptr});
}  // namespace

}  // namespace sim
}  // namespace krvx
