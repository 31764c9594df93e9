#include "entry/ObjectSizes.h"

#include "avi/AVIReader.h"
#include "host/CAllocator.h"
#include "importer/CAVIFileImporter.h"

namespace krvx {

// The asynchronous importer and its frame reader join this list as they are built; until then their
// size reads 0.
ObjectSizes CurrentObjectSizes() {
    ObjectSizes sizes{};
    sizes.fileImporter = static_cast<int>(sizeof(CAVIFileImporter));
    sizes.allocator = static_cast<int>(sizeof(CAllocator));
    sizes.aviReader = static_cast<int>(sizeof(AVIReader));
    return sizes;
}

}  // namespace krvx
