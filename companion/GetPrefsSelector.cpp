#include "companion/GetPrefsSelector.h"

#include "companion/CompanionHandOff.h"
#include "host/HostResults.h"
#include "platform/debug.h"
#include "platform/file.h"
#include "platform/system.h"
#include "platform/text.h"

namespace krvx {

namespace {
const char kFileManagerSuite[] = "Importer File Manager Suite";
constexpr int32_t kFileManagerSuiteVersion = 2;
// The host's refresh takes the clip path past its first four UTF-16 units.
constexpr size_t kRefreshPathSkip = 4;

void TouchLastWriteTime(const char16_t* path) {
    uint64_t now = 0;
    if (platform::SystemTimeAsFileTime(&now) && !platform::FileSetLastWriteTime(path, now))
        platform::DebugPrintf("prefs: could not set the clip's last-write time\n");
}

const char16_t* RefreshPath(const char16_t* path) {
    // A path shorter than the skipped part is passed as its empty end, never read past its terminator.
    size_t skipped = 0;
    while (skipped < kRefreshPathSkip && path[skipped] != u'\0') ++skipped;
    return path + skipped;
}

// Asks the host to refresh the clip; false when the host has no basic suite or no file manager suite.
bool RequestRefresh(const imStdParms* stdParms, const char16_t* path) {
    HostSuiteTable* suites = stdParms ? stdParms->suites : nullptr;
    auto getBasicSuite =
        HostSlot<HostGetBasicSuiteFn>(suites ? suites->utilityFunctions : nullptr, kUtilGetBasicSuite);
    HostBasicSuite* basic = getBasicSuite ? getBasicSuite() : nullptr;
    auto acquire = HostSlot<HostAcquireSuiteFn>(basic, kBasicAcquireSuite);
    auto release = HostSlot<HostReleaseSuiteFn>(basic, kBasicReleaseSuite);
    if (!acquire) return false;
    const void* table = nullptr;
    if (acquire(kFileManagerSuite, kFileManagerSuiteVersion, &table) != 0 || !table) return false;
    auto refresh = HostSlot<HostRefreshFileFn>(static_cast<const HostSuite*>(table), kFileManagerRefreshFile);
    if (refresh) refresh(RefreshPath(path));
    if (release) release(kFileManagerSuite, kFileManagerSuiteVersion);
    return true;
}
}  // namespace

int32_t HandleGetPrefs8(imStdParms* stdParms, const FileAccessRecord* access, PrefsRecord* prefs) {
    if (!prefs) {
        platform::DebugPrintf("prefs: no preferences record\n");
        return kImOtherErr;
    }
    if (prefs->prefsLength == 0) {
        prefs->prefsLength = kPrefsBlockBytes;
        return kImNoErr;
    }
    if (prefs->firstTime == 1) return kImNoErr;
    if (!access || !access->path) {
        platform::DebugPrintf("prefs: no clip path\n");
        return kImOtherErr;
    }

    char narrowPath[kCompanionPathBytes];
    if (!platform::WideToMultibyte(access->path, narrowPath, sizeof(narrowPath)))
        platform::DebugPrintf("prefs: clip path does not fit %u bytes; not handed over\n",
                              static_cast<unsigned>(sizeof(narrowPath)));
    else if (HandOffClipToCompanion(narrowPath))
        WaitWhileCompanionFocused();

    // Whatever the companion did, the host is told the clip changed.
    TouchLastWriteTime(access->path);
    return RequestRefresh(stdParms, access->path) ? kImSetFile : kImNoErr;
}

}  // namespace krvx
