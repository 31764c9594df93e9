// krvx-host timeinfo: the clip's timecode, reel name and log comment as imGetTimeInfo8 answers.
#include <cstdio>
#include <cstring>
#include <string>

#include "host/Selectors.h"
#include "tools/krvx-host/ClipQueries.h"
#include "tools/krvx-host/Command.h"
#include "tools/krvx-host/CommandArguments.h"

namespace krvx {
namespace sim {

namespace {

// A field of the record as text, never reading past the field.
std::string Field(const char* field, size_t size) {
    return std::string(field, strnlen(field, size));
}

int Run(const CommandContext& context) {
    CommandArguments arguments;
    if (!arguments.Parse("timeinfo", context.arguments, {}, {})) return kExitUsage;
    Session session(context.session);
    if (!StartSession(session)) return kExitPluginError;
    OpenClip clip(session, arguments.Clip());
    int32_t result = clip.Open();
    TimeInfoRecord record{};
    record.privateData = clip.Handle();
    if (result == 0) result = session.Call(imGetTimeInfo8, nullptr, &record);
    if (result != 0) {
        std::printf("the plug-in answered %d\n", result);
        return kExitPluginError;
    }
    std::printf("timecode:           %s\n", Field(record.timecode, sizeof(record.timecode)).c_str());
    std::printf("alternate timecode: %s\n",
                Field(record.alternateTimecode, sizeof(record.alternateTimecode)).c_str());
    std::printf("time base:          %d / %d\n", record.timeBase, record.ticksPerFrame);
    std::printf("reel name:          %s\n", Field(record.reelName, sizeof(record.reelName)).c_str());
    std::printf("alternate reel:     %s\n",
                Field(record.alternateReelName, sizeof(record.alternateReelName)).c_str());
    std::printf("log comment:        %s\n", Field(record.logComment, sizeof(record.logComment)).c_str());
    return kExitSuccess;
}

CommandRegistration g_registration({"timeinfo", "CLIP",
                                    "Prints the clip's timecode, reel name and log comment as the plug-in "
                                    "answers imGetTimeInfo8.",
                                    Run, nullptr});
}  // namespace

}  // namespace sim
}  // namespace krvx
