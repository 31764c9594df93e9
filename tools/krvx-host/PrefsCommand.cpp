// krvx-host prefs CLIP [--first-time] [--no-file-manager] [--json]: the clip's settings as the host asks for
// them, which hands the clip to the companion application.
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "host/HostRecords.h"
#include "host/Selectors.h"
#include "platform/store.h"
#include "tools/krvx-host/ClipQueries.h"
#include "tools/krvx-host/Command.h"

namespace krvx {
namespace sim {

namespace {
const char kCompanionKey[] = "SOFTWARE\\Bravik\\KorvaneStudio";

std::string ToUtf8(const std::u16string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        uint32_t code = text[i];
        if (code >= 0xD800 && code < 0xDC00 && i + 1 < text.size()) {
            code = 0x10000 + ((code - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        }
        if (code < 0x80) {
            out += static_cast<char>(code);
        } else if (code < 0x800) {
            out += static_cast<char>(0xC0 | (code >> 6));
            out += static_cast<char>(0x80 | (code & 0x3F));
        } else if (code < 0x10000) {
            out += static_cast<char>(0xE0 | (code >> 12));
            out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (code & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (code >> 18));
            out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (code & 0x3F));
        }
    }
    return out;
}

std::string JsonString(const std::string& text) {
    std::string out = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\') out += '\\';
        out += c;
    }
    return out + "\"";
}

struct PrefsOutcome {
    int32_t sizeResult = 0;
    int32_t blockBytes = 0;
    int32_t result = 0;
    double seconds = 0;
    std::vector<std::string> refreshed;
    bool clipWritten = false;
    std::string clipValue;
    bool focusedRead = false;
    uint32_t focused = 0;
};

int Run(const CommandContext& context) {
    std::string path;
    bool json = false, firstTime = false, fileManager = true;
    for (const std::string& argument : context.arguments) {
        if (argument == "--json") {
            json = true;
        } else if (argument == "--first-time") {
            firstTime = true;
        } else if (argument == "--no-file-manager") {
            fileManager = false;
        } else if (!argument.empty() && argument[0] == '-') {
            std::fprintf(stderr, "krvx-host prefs: unknown option %s\n", argument.c_str());
            return kExitUsage;
        } else if (path.empty()) {
            path = argument;
        } else {
            std::fprintf(stderr, "krvx-host prefs: one clip at a time\n");
            return kExitUsage;
        }
    }
    if (path.empty()) {
        std::fprintf(stderr, "krvx-host prefs: which clip?\n");
        return kExitUsage;
    }
    // The host hands over full paths; the companion opens the clip from another folder.
    std::error_code error;
    std::filesystem::path absolute = std::filesystem::absolute(std::filesystem::u8path(path), error);
    if (!error) path = absolute.make_preferred().u8string();

    Session session(context.session);
    if (!StartSession(session)) return kExitPluginError;
    session.Host().SetFileManagerSuiteAvailable(fileManager);
    std::u16string widePath = ToUtf16(path);
    FileAccessRecord access{};
    access.path = widePath.c_str();

    // First the size of the preferences block, then the settings call itself with a block of that size.
    PrefsOutcome outcome;
    PrefsRecord prefs{};
    outcome.sizeResult = session.Call(imGetPrefs8, &access, &prefs);
    outcome.blockBytes = prefs.prefsLength;
    if (outcome.sizeResult == 0 && prefs.prefsLength > 0) {
        prefs.firstTime = firstTime ? 1 : 0;
        auto start = std::chrono::steady_clock::now();
        outcome.result = session.Call(imGetPrefs8, &access, &prefs);
        outcome.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    } else {
        outcome.result = outcome.sizeResult;
    }
    for (const std::u16string& refreshed : session.Host().RefreshedFiles())
        outcome.refreshed.push_back(ToUtf8(refreshed));
    char clip[4096];
    outcome.clipWritten = platform::StoreReadString(platform::StoreHive::CurrentUser, kCompanionKey,
                                                    "PremCS5Clip", clip, sizeof(clip));
    if (outcome.clipWritten) outcome.clipValue = clip;
    outcome.focusedRead = platform::StoreReadDword(platform::StoreHive::CurrentUser, kCompanionKey,
                                                   "PremCS5VXFocused", &outcome.focused);

    bool succeeded = outcome.result == 0 || outcome.result == 17;
    if (json) {
        std::printf("{\"result\": %d, \"blockBytes\": %d, \"seconds\": %.3f, \"refreshed\": [",
                    outcome.result, outcome.blockBytes, outcome.seconds);
        for (size_t i = 0; i < outcome.refreshed.size(); ++i)
            std::printf("%s%s", i ? ", " : "", JsonString(outcome.refreshed[i]).c_str());
        std::printf("], \"clipValue\": %s, \"focused\": %s}\n",
                    outcome.clipWritten ? JsonString(outcome.clipValue).c_str() : "null",
                    outcome.focusedRead ? std::to_string(outcome.focused).c_str() : "null");
    } else {
        std::printf("preferences block: %d bytes (result %d)\n", outcome.blockBytes, outcome.sizeResult);
        std::printf("settings call: result %d after %.3f s%s\n", outcome.result, outcome.seconds,
                    outcome.result == 17 ? " (the host refreshes the clip)" : "");
        for (const std::string& refreshed : outcome.refreshed)
            std::printf("refresh asked for: %s\n", refreshed.c_str());
        if (outcome.clipWritten) std::printf("companion clip value: %s\n", outcome.clipValue.c_str());
        if (outcome.focusedRead)
            std::printf("companion focus value: %u\n", static_cast<unsigned>(outcome.focused));
    }
    return succeeded ? kExitSuccess : kExitPluginError;
}

CommandRegistration g_registration(
    {"prefs", "CLIP [--first-time] [--no-file-manager] [--json]",
     "Asks for the clip's settings as the host does: the plug-in hands the clip to "
     "the companion application, waits while it has the focus and asks the host to "
     "refresh the clip.",
     Run, nullptr});
}  // namespace

}  // namespace sim
}  // namespace krvx
