#include "entry/TrimFileSelector.h"

#include "entry/ImporterHandle.h"
#include "host/HostRecords.h"
#include "host/HostResults.h"
#include "trim/TrimFile.h"

namespace krvx {

int32_t HandleTrimFile8(const imStdParms* stdParms, TrimFileRecord* record) {
    if (!record) return kImUnsupported;
    return TrimFile(stdParms, ImporterFromHandle(record->privateData), *record);
}

}  // namespace krvx
