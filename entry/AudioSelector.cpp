#include "entry/AudioSelector.h"

#include "entry/ImporterHandle.h"
#include "host/HostAddress.h"
#include "host/HostRecords.h"
#include "host/HostResults.h"
#include "importer/CAVIFileImporter.h"
#include "importer/CAudioReader.h"
#include "platform/debug.h"

namespace krvx {

int32_t HandleImportAudio7(AudioImportRecord* record) {
    CAVIFileImporter* importer = record ? ImporterFromHandle(record->privateData) : nullptr;
    if (!importer) return kImOtherErr;
    CAudioReader reader(importer);
    int32_t result = reader.ReadAudio(record);
    if (result != kImNoErr)
        platform::DebugPrintf("SDKImportAudio7 " KRVX_ADDRESS_FORMAT " result: %d\n", AddressOf(importer),
                              static_cast<int>(result));
    return result;
}

}  // namespace krvx
