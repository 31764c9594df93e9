// imGetPrefs8: the clip's settings are the companion application's; the plug-in hands the clip over.
#pragma once
#include <cstdint>

#include "host/HostRecords.h"
#include "host/HostTables.h"

namespace krvx {

// Size of the preferences block the plug-in asks the host for; its content is never used.
constexpr int32_t kPrefsBlockBytes = 688;

// kImNoErr, or kImSetFile when the host was asked through its file manager suite to refresh the clip.
int32_t HandleGetPrefs8(imStdParms* stdParms, const FileAccessRecord* access, PrefsRecord* prefs);

}  // namespace krvx
