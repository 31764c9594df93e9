#include "entry/BasicSelectors.h"

#include <new>

#include "host/HostRecords.h"
#include "host/HostResults.h"
#include "host/HostTables.h"
#include "entry/ObjectSizes.h"
#include "importer/CAVIFileImporter.h"
#include "platform/debug.h"

namespace krvx {

namespace {
// The one word of imInit's answer that is not a 0 or a 1; like the others, its meaning is the host's.
constexpr int32_t kInfoValueAt52 = 15300;
}  // namespace

// imInit's fixed answer; the words between those written stay as the host left them.
int32_t HandleInit(const imStdParms* stdParms, ImporterInfoRecord* info) {
    if (info) {
        info->offset8 = 0;
        info->offset12 = 0;
        info->offset24 = 0;
        info->offset28 = 0;
        info->offset32 = 0;
        info->offset36 = 1;
        info->offset40 = 1;
        info->offset44 = 0;
        info->offset48 = 0;
        info->offset52 = kInfoValueAt52;
        info->offset64 = 0;
        info->offset68 = 1;
        if (stdParms && stdParms->interfaceVersion >= 6) info->offset72 = 1;
    }
    const ObjectSizes sizes = CurrentObjectSizes();
    platform::DebugPrintf("CAVIFileImporter: %d bytes\n", sizes.fileImporter);
    platform::DebugPrintf("CAsyncAVIFileImporter: %d bytes\n", sizes.asyncFileImporter);
    platform::DebugPrintf("CAsyncAVIFrameReader: %d bytes\n", sizes.asyncFrameReader);
    platform::DebugPrintf("CAllocator: %d bytes\n", sizes.allocator);
    platform::DebugPrintf("AVIFileReader: %d bytes\n", sizes.aviReader);
    return kImNoErr;
}

int32_t HandleCloseFile(const imStdParms* stdParms, char** privateData) {
    if (!privateData) return kImNoErr;
    // The importer lives in the handle's bytes: destroy it in place, then give the handle back.
    auto* importer = reinterpret_cast<CAVIFileImporter*>(*privateData);
    if (importer) {
        importer->Close();
        importer->~CAVIFileImporter();
    }
    HostMemoryFunctions* memory = stdParms && stdParms->suites ? stdParms->suites->memoryFunctions : nullptr;
    auto disposeHandle = HostSlot<HostDisposeHandleFn>(memory, kMemDisposeHandle);
    if (disposeHandle) disposeHandle(privateData);
    return kImNoErr;
}

int32_t HandleGetMetaData(MetaDataRecord* record) {
    if (record) {
        record->offset8 = 0;
        record->offset12 = 0;
        record->offset16 = 0;
    }
    return kImNoContent;
}

}  // namespace krvx
