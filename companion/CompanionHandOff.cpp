#include "companion/CompanionHandOff.h"

#include <cstring>

#include "companion/CompanionWindows.h"
#include "platform/debug.h"
#include "platform/process.h"
#include "platform/store.h"
#include "platform/thread.h"

namespace krvx {

const char kCompanionExecutable[] = "Bravik Korvane Studio.exe";
const char kCompanionKey[] = "SOFTWARE\\Bravik\\KorvaneStudio";
const char kInstallSpotsKey[] = "SOFTWARE\\Wow6432Node\\Bravik\\InstallSpots";
const char kClipValue[] = "PremCS5Clip";
const char kFocusedValue[] = "PremCS5VXFocused";
const char kInstallFolderValue[] = "BravikTools";

namespace {
using platform::StoreHive;

// Room for as many process identifiers as the system's process list is read into.
constexpr size_t kProcessListCapacity = 1024;

bool FindCompanion(platform::ProcessId* process) {
    platform::ProcessId found[kProcessListCapacity];
    if (platform::FindProcessesByName(kCompanionExecutable, found, kProcessListCapacity) == 0) return false;
    *process = found[0];
    return true;
}

bool LaunchInstalledCompanion() {
    // Each level opened with full access, so a process without that right never starts the companion.
    if (!platform::StoreCheckKeyLevels(StoreHive::LocalMachine, kInstallSpotsKey, false)) return false;
    char folder[kCompanionPathBytes];
    if (!platform::StoreReadString(StoreHive::LocalMachine, kInstallSpotsKey, kInstallFolderValue, folder,
                                   sizeof(folder))) {
        platform::DebugPrintf("prefs: no install folder for %s\n", kCompanionExecutable);
        return false;
    }
    size_t folderLength = std::strlen(folder);
    size_t nameLength = std::strlen(kCompanionExecutable);
    if (folderLength + 1 + nameLength + 1 > kCompanionPathBytes) {
        platform::DebugPrintf("prefs: install folder too long to launch %s\n", kCompanionExecutable);
        return false;
    }
    char launchPath[kCompanionPathBytes];
    std::memcpy(launchPath, folder, folderLength);
    launchPath[folderLength] = '\\';
    std::memcpy(launchPath + folderLength + 1, kCompanionExecutable, nameLength + 1);
    bool started = platform::LaunchProcess(launchPath, nullptr, nullptr);
    if (!started) platform::DebugPrintf("prefs: could not start %s\n", launchPath);
    return started;
}
}  // namespace

bool HandOffClipToCompanion(const char* clipPath) {
    if (!clipPath) return false;
    // "SOFTWARE" and "Bravik" must exist; the companion's own key is created when missing.
    if (!platform::StoreCheckKeyLevels(StoreHive::CurrentUser, kCompanionKey, true)) return false;
    if (!platform::StoreWriteString(StoreHive::CurrentUser, kCompanionKey, kClipValue, clipPath) ||
        !platform::StoreWriteDword(StoreHive::CurrentUser, kCompanionKey, kFocusedValue, 1)) {
        platform::DebugPrintf("prefs: could not write the hand-off values\n");
        return false;
    }
    platform::ProcessId companion = 0;
    if (FindCompanion(&companion)) {
        ActivateMainWindow(companion);
        return true;
    }
    return LaunchInstalledCompanion();
}

void WaitWhileCompanionFocused() {
    if (!platform::StoreCheckKeyLevels(StoreHive::CurrentUser, kCompanionKey, false)) return;
    uint32_t focused = 1;
    platform::ProcessId companion = 0;
    while (focused != 0) {
        platform::SleepMs(kCompanionPollMs);
        if (!platform::StoreReadDword(StoreHive::CurrentUser, kCompanionKey, kFocusedValue, &focused))
            focused = 0;
        platform::ProcessId running = 0;
        if (!FindCompanion(&running)) break;
        ActivateMainWindow(running);
        companion = running;
    }
    MinimizeMainWindow(companion);
    ActivateMainWindow(platform::CurrentProcessId());
}

}  // namespace krvx
