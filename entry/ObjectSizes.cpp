#include "entry/ObjectSizes.h"

#include "host/CAllocator.h"
#include "importer/CAVIFileImporter.h"

namespace krvx {

// The asynchronous importer, its frame reader and the AVI reader join this list as they are built;
// until then their size reads 0.
ObjectSizes CurrentObjectSizes() {
    ObjectSizes sizes{};
    sizes.fileImporter = static_cast<int>(sizeof(CAVIFileImporter));
    sizes.allocator = static_cast<int>(sizeof(CAllocator));
    return sizes;
}

}  // namespace krvx
