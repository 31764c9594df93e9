#include "entry/ImporterHandle.h"

#include <new>

#include "importer/CAVIFileImporter.h"

namespace krvx {

CAVIFileImporter* ImporterFromHandle(PrivateDataHandle handle) {
    return handle ? reinterpret_cast<CAVIFileImporter*>(*handle) : nullptr;
}

CAVIFileImporter* GetOrCreateImporter(const imStdParms* stdParms, PrivateDataHandle* field) {
    if (!field) return nullptr;
    if (*field) return ImporterFromHandle(*field);
    HostMemoryFunctions* memory = stdParms && stdParms->suites ? stdParms->suites->memoryFunctions : nullptr;
    auto newHandle = HostSlot<HostNewHandleFn>(memory, kMemNewHandle);
    char** handle = newHandle ? newHandle(sizeof(CAVIFileImporter)) : nullptr;
    if (!handle || !*handle) return nullptr;
    CAVIFileImporter* importer = new (*handle) CAVIFileImporter(stdParms);
    *field = handle;
    return importer;
}

}  // namespace krvx
