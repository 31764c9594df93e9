#include "importer/CAVIFileImporter.h"

#include <cinttypes>

#include "platform/debug.h"

namespace krvx {

CAVIFileImporter::CAVIFileImporter(const imStdParms* stdParms) {
    AcquireSuites(stdParms);
    platform::DebugPrintf("\n###################################### AVIFileImporter Instantiated:0X%08" PRIxPTR "\n",
                          reinterpret_cast<uintptr_t>(this));
}

CAVIFileImporter::~CAVIFileImporter() {
    platform::DebugPrintf("\n###################################### AVIFileImporter Destroyed:0X%08" PRIxPTR "\n",
                          reinterpret_cast<uintptr_t>(this));
    Close();
    ReleaseSuites();
    DeleteOwnedAllocator();
}

void CAVIFileImporter::Close() { m_isOpen = false; }

}  // namespace krvx
