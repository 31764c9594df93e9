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
struct InfoAnswer {
    int offset;
    int32_t value;
};

// The one word of the answer that is a number rather than a 0 or 1 flag. Its meaning is the host's: the
// host reads it at offset 52 and expects this value from an importer of this kind.
constexpr int32_t kInfoValueAt52 = 15300;

// imInit's answer: the 32-bit words written, by byte offset; the host reads them as the importer's
// capabilities. Offset 72 follows from interface version 6.
constexpr InfoAnswer kInfoAnswers[] = {
    {8, 0},  {12, 0}, {24, 0}, {28, 0},              {32, 0}, {36, 1},
    {40, 1}, {44, 0}, {48, 0}, {52, kInfoValueAt52}, {64, 0}, {68, 1},
};
constexpr InfoAnswer kInfoAnswerFromVersion6 = {72, 1};
}  // namespace

int32_t HandleInit(const imStdParms* stdParms, ImporterInfoRecord* info) {
    if (info) {
        for (const InfoAnswer& answer : kInfoAnswers) info->word[answer.offset / 4] = answer.value;
        if (stdParms && stdParms->interfaceVersion >= 6)
            info->word[kInfoAnswerFromVersion6.offset / 4] = kInfoAnswerFromVersion6.value;
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
        record->value8 = 0;
        record->value12 = 0;
        record->value16 = 0;
    }
    return kImNoContent;
}

}  // namespace krvx
