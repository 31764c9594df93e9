#include "entry/TrimFileSelector.h"

#include "entry/ImporterHandle.h"
#include "host/HostRecords.h"
#include "trim/TrimFile.h"

namespace krvx {

int32_t HandleTrimFile8(const imStdParms* stdParms, TrimFileRecord* record) {
    if (!record) return kTrimNoImporter;
    return TrimFile(stdParms, ImporterFromHandle(record->privateData), *record);
}

}  // namespace krvx
